// Whole-file reads and writes, with every error checked.
#include "tools/files/file_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "tools/files/output_file.h"

namespace tools {
namespace {

constexpr std::size_t read_chunk_bytes = 65536;

// Reads what is left of `fd` onto the end of `bytes`; false (errno set) on an error.
bool read_to_end(int fd, std::vector<std::uint8_t>& bytes) {
  for (;;) {
    const std::size_t had = bytes.size();
    bytes.resize(had + read_chunk_bytes);
    const ssize_t got = ::read(fd, bytes.data() + had, read_chunk_bytes);
    bytes.resize(had + static_cast<std::size_t>(got > 0 ? got : 0));
    if (got == 0) return true;
    if (got < 0 && errno != EINTR) return false;
  }
}

std::optional<std::vector<std::uint8_t>> read_failed(const std::string& path, std::string* failure) {
  if (failure) *failure = "cannot read " + path + ": " + std::strerror(errno);
  return std::nullopt;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> read_file_bytes(const std::string& path, std::string* failure) {
  std::vector<std::uint8_t> bytes;
  if (path == standard_stream_path) {
    if (!read_to_end(STDIN_FILENO, bytes)) return read_failed(path, failure);
    return bytes;
  }
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return read_failed(path, failure);
  struct stat status {};
  bool read = fstat(fd, &status) == 0;
  if (read && S_ISDIR(status.st_mode)) {
    errno = EISDIR;
    read = false;
  }
  if (read && S_ISREG(status.st_mode)) bytes.reserve(static_cast<std::size_t>(status.st_size));
  read = read && read_to_end(fd, bytes);
  const int error = errno;
  ::close(fd);
  errno = error;
  if (!read) return read_failed(path, failure);
  return bytes;
}

bool write_file_bytes(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& failure) {
  OutputFile file;
  const bool written = file.open(path) && file.write(bytes.data(), bytes.size()) && file.commit();
  if (!written) failure = file.failure();
  return written;
}

}  // namespace tools
