// Turns an XM module file into a Module, reading through the installed file operations.
//
// Files come from anywhere: every count is checked against the limits of module.h before anything is
// allocated, what the replay cannot use is clamped into range, and only structure the Module cannot hold
// is refused. A file that ends early reads as if zeros followed, and a sample cut by the end keeps the
// frames that are there. A refused file yields no Module and a one-line reason; the program then runs
// without music.
#pragma once

#include "music/file_callbacks.h"
#include "music/module.h"

namespace music {

struct LoadResult {
  bool ok = false;
  const char* reason = "";  // why the file was refused; static text, empty when ok
};

struct ModuleLoad {
  OwnedModule module;       // none when the file did not load
  const char* reason = "";  // why it did not, one short line
};

// Opens the file through the installed FileCallbacks and loads it; none (with the reason) when the file
// cannot be opened or is refused.
ModuleLoad load_module(const char* file_name);

// Reads an XM module from the stream into a fresh, zeroed Module. On failure the Module holds what was
// read so far, to be released with free_module.
LoadResult load_xm(Module& module, Stream& stream);

}  // namespace music
