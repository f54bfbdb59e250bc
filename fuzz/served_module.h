// Hands a fuzz input to the module loader as its file: the loader opens the bytes of the current run
// through the in-memory file's operations, whatever the name.
#pragma once

#include <cstdint>

#include "base/load_result.h"
#include "music/memory_file.h"
#include "music/xm_loader.h"

namespace fuzz {

// Loads the bytes as the program loads "music.xm"; none, with the reason in `result`, when refused. The
// file operations stay installed, as the sound system needs them to open.
inline music::OwnedModule load_served(const std::uint8_t* data, std::size_t size, base::LoadResult& result) {
  music::install_served_bytes({data, size});
  return music::load_module("music.xm", result);
}

}  // namespace fuzz
