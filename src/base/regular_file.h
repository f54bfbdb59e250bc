// Opening the files the program reads. Every reader takes its files from strangers' folders, where a
// name may stand for a FIFO, a device or a directory: those count as missing, so opening never blocks
// and a directory never reads as an empty file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

namespace base {

struct FileCloser {
  void operator()(std::FILE* file) const {
    if (file) std::fclose(file);
  }
};
using OwnedFile = std::unique_ptr<std::FILE, FileCloser>;

// Opens `path` for reading in binary mode when it names a regular file (a symbolic link is followed);
// none otherwise, as when the file does not exist.
OwnedFile open_regular_file(const char* path);

// The size of an open file in bytes, or -1 when it cannot be told. The position goes back to the start.
long long file_size(std::FILE* file);

// How reading a whole file went. After cannot_read, the bytes hold what came before the error.
enum class FileRead { read, cannot_open, cannot_read, too_large };

// Reads the regular file at `path` into `bytes`, its size checked before anything is read: too_large
// (nothing read) above `max_bytes`, cannot_open when it is not a regular file that opens or its size
// cannot be told. A file that shrinks while it is read keeps the bytes that came.
FileRead read_regular_file(const char* path, std::int64_t max_bytes, std::vector<std::uint8_t>& bytes);

// As read_regular_file, but a longer file is read only up to `max_bytes`, for a reader that never looks
// further: never too_large.
FileRead read_regular_file_start(const char* path, std::int64_t max_bytes, std::vector<std::uint8_t>& bytes);

}  // namespace base
