// Reading a file a tool is given, bounded and regular only.
#include "tools/files/input_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/regular_file.h"
#include "tools/cli/message_text.h"
#include "tools/files/output_file.h"

namespace tools {
namespace {

constexpr std::size_t read_chunk_bytes = 65536;

std::string megabytes_words(std::int64_t bytes) { return std::to_string(bytes >> 20) + " MiB"; }

std::string too_large(const std::string& path, InputLimit limit) {
  return cut_for_message(path) + " is larger than " + megabytes_words(limit.max_bytes) + ", the most " + limit.what +
         " may be";
}

// Why `path` is not a regular file that opens, as a person would say it.
std::string not_a_file(const std::string& path) {
  const int open_error = errno;
  struct stat status {};
  std::string why;
  if (::stat(path.c_str(), &status) != 0) {
    const int error = errno;
    struct stat link {};
    if (error == ELOOP) {
      why = "is a loop of symbolic links";
    } else if (error == ENOENT && ::lstat(path.c_str(), &link) == 0) {
      why = "is a symbolic link to nothing (what it names does not exist)";
    } else {
      why = std::strerror(error);
    }
  } else if (S_ISDIR(status.st_mode)) {
    why = "is a folder, not a file";
  } else if (S_ISFIFO(status.st_mode)) {
    why = "is a FIFO, not a file";
  } else if (S_ISCHR(status.st_mode) || S_ISBLK(status.st_mode)) {
    why = "is a device, not a file";
  } else if (S_ISSOCK(status.st_mode)) {
    why = "is a socket, not a file";
  } else {
    why = std::strerror(open_error ? open_error : EIO);
  }
  return "cannot read " + cut_for_message(path) + ": " + why;
}

// Standard input up to the limit; more is refused without being kept.
std::optional<std::vector<std::uint8_t>> read_standard_input(InputLimit limit, std::string& failure) {
  std::vector<std::uint8_t> bytes;
  const auto most = static_cast<std::size_t>(limit.max_bytes);
  // Room for the most the limit lets through, taken once: growing by doubling would touch twice that.
  bytes.reserve(most + 1);
  for (;;) {
    const std::size_t had = bytes.size();
    const std::size_t chunk = std::min(read_chunk_bytes, most + 1 - had);
    bytes.resize(had + chunk);
    const ssize_t got = ::read(STDIN_FILENO, bytes.data() + had, chunk);
    bytes.resize(had + static_cast<std::size_t>(got > 0 ? got : 0));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      failure = std::string("cannot read standard input: ") + std::strerror(errno);
      return std::nullopt;
    }
    if (bytes.size() > most) {
      failure = too_large("standard input", limit);
      return std::nullopt;
    }
    if (got == 0) return bytes;
  }
}

}  // namespace

std::optional<std::filesystem::path> resolved_path(const std::filesystem::path& path) {
  // Made absolute first: of a path none of which exists, weakly_canonical keeps the relative path.
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path.empty() ? "." : path, error);
  if (error) return std::nullopt;
  std::filesystem::path resolved = std::filesystem::weakly_canonical(absolute, error);
  if (error) return std::nullopt;
  return resolved;
}

std::optional<std::vector<std::uint8_t>> read_input_file(const std::string& path, InputLimit limit,
                                                         std::string& failure) {
  if (path == standard_stream_path) return read_standard_input(limit, failure);
  std::vector<std::uint8_t> bytes;
  errno = 0;
  switch (base::read_regular_file(path.c_str(), limit.max_bytes, bytes)) {
    case base::FileRead::read: return bytes;
    case base::FileRead::cannot_open: failure = not_a_file(path); break;
    case base::FileRead::too_large: failure = too_large(path, limit); break;
    case base::FileRead::cannot_read:
      failure = "cannot read " + cut_for_message(path) + ": " + std::strerror(errno ? errno : EIO);
      break;
  }
  return std::nullopt;
}

}  // namespace tools
