// Opening the files the program reads. Every reader takes its files from strangers' folders, where a
// name may stand for a FIFO, a device or a directory: those count as missing, so opening never blocks
// and a directory never reads as an empty file.
#pragma once

#include <cstdio>
#include <memory>

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

}  // namespace base
