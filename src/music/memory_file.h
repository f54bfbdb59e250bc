// The in-memory file, the loader's file operations as sound_start installs them: open reads the whole
// file into memory, and reading, seeking and telling work on that copy.
#pragma once

#include <cstdint>
#include <memory>

#include "music/file_callbacks.h"

namespace music {

// Largest file memory_open takes in. Far above any module the intro plays; it keeps a stray huge
// file from being copied into memory whole.
inline constexpr std::int32_t memory_file_max_size = 256 << 20;

struct MemoryFile {
  std::int32_t size = 0;      // bytes in data
  std::int32_t position = 0;  // the read position, 0..size
  std::unique_ptr<std::uint8_t[]> data;
};

// Reads the named file into a new MemoryFile; none when it cannot be opened or read, or is larger than
// memory_file_max_size.
FileHandle memory_open(const char* name);
// Releases the MemoryFile; none does nothing.
void memory_close(FileHandle file);
// Copies up to `count` bytes from the read position and advances it; returns the bytes copied (0 for a
// count of 0 or less). Destination bytes beyond them are left as they were.
std::int32_t memory_read(void* destination, std::int32_t count, FileHandle file);
// Moves the read position: origin seek_from_start to `offset`, seek_from_current by `offset`,
// seek_to_end to the size. The position is held within 0..size; an unknown origin leaves it.
FileHandle memory_seek(FileHandle file, std::int32_t offset, std::int32_t origin);
// The read position; 0 for none.
std::int32_t memory_tell(FileHandle file);

}  // namespace music
