// Hands a fuzz input to the module loader as its file: the installed open operation serves the bytes
// of the current run, whatever the name, and the in-memory file's operations read them.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>

#include "base/load_result.h"
#include "music/memory_file.h"
#include "music/xm_loader.h"

namespace fuzz {

struct ServedBytes {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
};

inline ServedBytes& served_bytes() {
  static ServedBytes bytes;
  return bytes;
}

inline music::FileHandle open_served(const char*) {
  const ServedBytes& bytes = served_bytes();
  auto* file = new music::MemoryFile;
  file->size = static_cast<std::int32_t>(bytes.size);
  file->data = std::make_unique<std::uint8_t[]>(bytes.size);
  if (bytes.size > 0) std::memcpy(file->data.get(), bytes.data, bytes.size);
  return file;
}

// Installs the serving operations; the sound system also needs them installed before it opens.
inline void install_served_module() {
  music::set_file_callbacks(open_served, music::memory_close, music::memory_read, music::memory_seek,
                            music::memory_tell);
}

// Loads the bytes as the program loads "music.xm"; none, with the reason in `result`, when refused.
inline music::OwnedModule load_served(const std::uint8_t* data, std::size_t size, base::LoadResult& result) {
  served_bytes() = {data, size};
  return music::load_module("music.xm", result);
}

}  // namespace fuzz
