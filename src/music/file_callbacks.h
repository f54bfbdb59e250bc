// The five file operations the module loader reads through, and the Stream that forwards to them.
// sound_start installs the in-memory file (memory_file.h); a table test may install its own.
#pragma once

#include <cstdint>

namespace music {

// What the installed open operation returned for one file; opaque to the loader.
using FileHandle = void*;

// Seek origins.
inline constexpr std::int32_t seek_from_start = 0;
inline constexpr std::int32_t seek_from_current = 1;
inline constexpr std::int32_t seek_to_end = 2;

struct FileCallbacks {
  FileHandle (*open)(const char* name) = nullptr;  // none when the file cannot be opened
  void (*close)(FileHandle file) = nullptr;
  std::int32_t (*read)(void* destination, std::int32_t count, FileHandle file) = nullptr;  // bytes copied
  FileHandle (*seek)(FileHandle file, std::int32_t offset, std::int32_t origin) = nullptr;
  std::int32_t (*tell)(FileHandle file) = nullptr;

  bool complete() const { return open && close && read && seek && tell; }
};

// The installed table: all five set, or all clear.
extern FileCallbacks file_callbacks;

// Installs the five operations; if any is missing, clears all five instead.
void set_file_callbacks(decltype(FileCallbacks::open) open, decltype(FileCallbacks::close) close,
                        decltype(FileCallbacks::read) read, decltype(FileCallbacks::seek) seek,
                        decltype(FileCallbacks::tell) tell);

// One open file of one load. A Stream without a handle is missing: every operation on it does nothing.
struct Stream {
  FileHandle handle = nullptr;
};

// Opens through the installed table; the Stream is missing when the table is incomplete or open fails.
Stream stream_open(const char* name);
// Closes the file and leaves the Stream missing.
void stream_close(Stream& stream);
// Bytes copied; 0 on a missing Stream.
std::int32_t stream_read(void* destination, std::int32_t count, Stream& stream);
void stream_seek(Stream& stream, std::int32_t offset, std::int32_t origin);
// The read position; 0 on a missing Stream.
std::int32_t stream_tell(Stream& stream);

}  // namespace music
