// POSIX calls throughout: zarn-tool runs on Linux only.
#include "tools/files/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "tools/files/temporary_name.h"

namespace tools {
namespace {

// As many links as the kernel follows before it calls the path a loop.
constexpr int max_followed_links = 40;
constexpr int temporary_name_attempts = 100;
constexpr unsigned permission_bits = 07777;
// A temporary file is sent on its way to the disk in pieces of this size while it is written.
constexpr std::size_t writeback_bytes = std::size_t{4} << 20;

// The folder part of `path` with its slash ("" for a bare name), and the name after it.
std::string folder_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}
std::string name_of(const std::string& path) { return path.substr(folder_of(path).size()); }

// Follows the symlinks at the end of `path` to the name a new file is to take: a link may name a file
// that does not exist yet. False (errno set) on a loop or an unreadable link.
bool follow_links_to_new_file(std::string& path) {
  for (int followed = 0; followed <= max_followed_links; ++followed) {
    struct stat status {};
    if (lstat(path.c_str(), &status) != 0) return errno == ENOENT;
    if (!S_ISLNK(status.st_mode)) return true;
    char link[PATH_MAX];
    const ssize_t length = readlink(path.c_str(), link, sizeof link);
    if (length < 0) return false;
    if (length == static_cast<ssize_t>(sizeof link)) {
      errno = ENAMETOOLONG;
      return false;
    }
    const std::string target(link, static_cast<std::size_t>(length));
    path = !target.empty() && target.front() == '/' ? target : folder_of(path) + target;
  }
  errno = ELOOP;
  return false;
}

}  // namespace

OutputFile::~OutputFile() { abandon(); }

bool OutputFile::open(const std::string& path) {
  path_ = path;
  if (path == standard_stream_path) {
    std::fflush(stdout);  // whatever the tool printed before goes first
    fd_ = STDOUT_FILENO;
    return true;
  }
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) {
    std::string target = path;
    if (errno != ENOENT || !follow_links_to_new_file(target)) return fail("cannot write");
    return open_replacement(target, nullptr);
  }
  if (S_ISDIR(status.st_mode)) {
    errno = EISDIR;
    return fail("cannot write");
  }
  if (S_ISREG(status.st_mode)) {
    // The real path, so that the temporary file lands on the same file system as the file it replaces.
    const std::unique_ptr<char, decltype(&std::free)> real(realpath(path.c_str(), nullptr), &std::free);
    if (!real) return fail("cannot write");
    return open_replacement(real.get(), &status);
  }
  // A device or a FIFO: written where it is. Opening a FIFO waits for its reader, as any writer does.
  fd_ = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
  if (fd_ < 0) return fail("cannot write");
  owns_fd_ = true;
  return true;
}

bool OutputFile::open_replacement(const std::string& target, const struct stat* existing) {
  target_ = target;
  // A new file gets the usual mode less the umask; a copy of an existing one stays private until it has
  // the original's mode.
  const mode_t create_mode = existing ? 0600 : 0666;
  for (int attempt = 0; attempt < temporary_name_attempts && fd_ < 0; ++attempt) {
    const std::string name = folder_of(target) + hidden_temporary_name(name_of(target));
    fd_ = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, create_mode);
    if (fd_ >= 0) temporary_ = name;
    else if (errno != EEXIST) return fail("cannot write");
  }
  if (fd_ < 0) return fail("cannot write");
  owns_fd_ = true;
  if (!existing) return true;
  // Only root may give a file away; anyone else's copy becomes their own, as with any editor.
  const bool owner_differs = existing->st_uid != geteuid() || existing->st_gid != getegid();
  if (owner_differs && fchown(fd_, existing->st_uid, existing->st_gid) != 0 && errno != EPERM) {
    return fail("cannot write");
  }
  // After the owner: a change of owner clears the set-user-ID bit.
  if (fchmod(fd_, existing->st_mode & permission_bits) != 0) return fail("cannot write");
  return true;
}

bool OutputFile::write(const void* data, std::size_t size) {
  if (failed_) return false;
  if (fd_ < 0) {
    errno = EBADF;
    return fail("cannot write");
  }
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t written = ::write(fd_, bytes, size);
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) return fail("cannot write");
    bytes += written;
    size -= static_cast<std::size_t>(written);
    written_ += static_cast<std::size_t>(written);
  }
  start_writeback();
  return true;
}

// Starts the disk writes of what a temporary file holds every few megabytes, without waiting for them:
// the disk then works while the rest is produced, and the flush at commit waits only for the last piece.
void OutputFile::start_writeback() {
  if (temporary_.empty() || written_ - written_back_ < writeback_bytes) return;
  // Only a request: a write that fails shows at the flush in commit.
  sync_file_range(fd_, static_cast<off_t>(written_back_), static_cast<off_t>(written_ - written_back_),
                  SYNC_FILE_RANGE_WRITE);
  written_back_ = written_;
}

bool OutputFile::rewrite(std::size_t offset, const void* data, std::size_t size) {
  if (failed_) return false;
  if (fd_ < 0 || !can_rewrite()) {
    errno = EBADF;
    return fail("cannot write");
  }
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t written = ::pwrite(fd_, bytes, size, static_cast<off_t>(offset));
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return fail("cannot write");
    bytes += written;
    offset += static_cast<std::size_t>(written);
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

bool OutputFile::commit() {
  if (failed_) return false;
  if (fd_ < 0) {
    errno = EBADF;
    return fail("cannot write");
  }
  // Every byte reaches the disk before the name moves over to it, so a crash leaves one file or the other.
  if (!temporary_.empty() && fsync(fd_) != 0) return fail("cannot write");
  const int fd = fd_;
  fd_ = -1;
  if (owns_fd_ && ::close(fd) != 0) return fail("cannot write");
  owns_fd_ = false;
  if (temporary_.empty()) return true;
  if (std::rename(temporary_.c_str(), target_.c_str()) != 0) return fail("cannot replace");
  temporary_.clear();
  return true;
}

bool OutputFile::fail(const std::string& what) {
  const int error = errno;
  if (!failed_) failure_ = what + " " + path_ + ": " + std::strerror(error);
  failed_ = true;
  abandon();
  return false;
}

void OutputFile::abandon() {
  if (owns_fd_ && fd_ >= 0) ::close(fd_);
  fd_ = -1;
  owns_fd_ = false;
  if (!temporary_.empty()) unlink(temporary_.c_str());
  temporary_.clear();
}

}  // namespace tools
