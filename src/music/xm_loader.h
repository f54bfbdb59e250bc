// Turns an XM module file into a Module, reading through the installed file operations.
//
// Files come from anywhere: every count is checked against the limits of module.h before anything is
// allocated, what the replay cannot use is clamped into range, and only structure the Module cannot hold
// is refused. A file that ends early reads as if zeros followed, and a sample cut by the end keeps the
// frames that are there. A refused file yields no Module and a one-line reason; the program then runs
// without music.
#pragma once

#include "base/load_result.h"
#include "music/file_callbacks.h"
#include "music/module.h"

namespace music {

// Opens the file through the installed FileCallbacks and loads it; none when the file cannot be opened
// or is refused, and `result` says which and why.
OwnedModule load_module(const char* file_name, base::LoadResult& result);

// Reads an XM module from the stream into a fresh, zeroed Module; refused with the reason when the file
// holds what the Module cannot. On failure the Module holds what was read so far, to be released with
// free_module.
base::LoadResult load_xm(Module& module, Stream& stream);

}  // namespace music
