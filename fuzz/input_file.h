// Hands a fuzz input to a reader that opens its file by name: the bytes go into one anonymous in-memory
// file per process, which the reader opens afresh through /proc/self/fd on every run, as a regular file.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace fuzz {

class InputFile {
 public:
  InputFile() : fd_(memfd_create("fuzz-input", 0)), path_("/proc/self/fd/" + std::to_string(fd_)) {
    if (fd_ < 0) fail("memfd_create");
  }

  // The file now holds exactly these bytes; returns its path.
  const char* hold(const std::uint8_t* data, std::size_t size) {
    if (ftruncate(fd_, 0) != 0) fail("ftruncate");
    if (size > 0 && pwrite(fd_, data, size, 0) != static_cast<ssize_t>(size)) fail("pwrite");
    return path_.c_str();
  }

 private:
  // The harness itself cannot go on; not a finding in the reader.
  [[noreturn]] static void fail(const char* what) {
    std::perror(what);
    std::abort();
  }

  int fd_;
  std::string path_;
};

}  // namespace fuzz
