// Turns an XM module file into a Module: read through the installed file operations, as the program
// loads its music, or from bytes in memory.
//
// Files come from anywhere: every count is checked against the limits of module.h before anything is
// allocated, what the replay cannot use is clamped into range, and only structure the Module cannot hold
// is refused. A file that ends early reads as if zeros followed, and a sample cut by the end keeps the
// frames that are there. A refused file yields no Module and a one-line reason; the program then runs
// without music.
#pragma once

#include <cstdint>
#include <span>

#include "base/load_result.h"
#include "music/file_callbacks.h"
#include "music/module.h"

namespace music {

// Opens the file through the installed FileCallbacks and loads it; none when the file cannot be opened
// or is refused, and `result` says which and why.
OwnedModule load_module(const char* file_name, base::LoadResult& result);

// Loads the bytes of a module file; none when they are refused, and `result` says why.
OwnedModule load_module(std::span<const std::uint8_t> bytes, base::LoadResult& result);

// Reads the regular file at `path`, as the in-memory file reads one (memory_file.h), and loads its bytes:
// the same result as load_module through the in-memory file's operations, without installing them.
OwnedModule load_module_file(const char* path, base::LoadResult& result);

// Reads an XM module from the stream into a fresh, zeroed Module; refused with the reason when the file
// holds what the Module cannot. On failure the Module holds what was read so far, to be released with
// free_module.
base::LoadResult load_xm(Module& module, Stream& stream);

}  // namespace music
