// Linux calls throughout (renameat2, flock): zarn-tool runs on Linux only.
#include "tools/files/folder_write.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <set>
#include <utility>
#include <vector>

#include "tools/files/temporary_name.h"

namespace tools {
namespace {

constexpr int temporary_name_attempts = 100;
constexpr unsigned permission_bits = 07777;

// One file of the set on its way into the folder.
struct StagedFile {
  std::string name;
  // The hidden name that holds the new bytes until the swap, and the old file after it; empty once
  // nothing is left under it.
  std::string temporary;
  bool swapped = false;  // the new file stands under `name`
};

// A name the folder can hold directly: no path, no "." or "..".
bool is_bare_name(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find_first_of(std::string("/\0", 2)) == std::string::npos;
}

bool write_all(int fd, const std::vector<std::uint8_t>& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) return false;
    done += static_cast<std::size_t>(written);
  }
  return true;
}

// A file that replaces a regular file takes its mode, and its owner where we may give one away.
bool take_mode_of(int fd, const struct stat& old) {
  const bool owner_differs = old.st_uid != geteuid() || old.st_gid != getegid();
  if (owner_differs && fchown(fd, old.st_uid, old.st_gid) != 0 && errno != EPERM) return false;
  // After the owner: a change of owner clears the set-user-ID bit.
  return fchmod(fd, old.st_mode & permission_bits) == 0;
}

// The folder being written: the set is staged beside the old files, then swapped in under a lock.
// Destroyed before commit(), it puts every old file back and removes every new one.
class FolderWrite {
 public:
  explicit FolderWrite(std::filesystem::path dir) : dir_(std::move(dir)) {}
  ~FolderWrite() {
    if (!committed_) roll_back();
    if (dir_fd_ >= 0) ::close(dir_fd_);
  }
  FolderWrite(const FolderWrite&) = delete;
  FolderWrite& operator=(const FolderWrite&) = delete;

  bool open();
  bool stage(const NamedFile& file);
  bool swap_in_all();
  bool commit();
  const std::string& failure() const { return failure_; }

 private:
  bool fail(const char* what, const std::filesystem::path& path);
  int create_temporary(StagedFile& file, mode_t mode);
  bool swap_in(StagedFile& file);
  void roll_back();
  void remove_temporaries();

  std::filesystem::path dir_;
  int dir_fd_ = -1;
  std::vector<StagedFile> staged_;
  bool committed_ = false;
  std::string failure_;
};

// Why `dir` cannot be made where making it failed with `error`: what stands there, when that is what is
// in the way ("File exists" would not say that the name is a dangling link or a file).
std::string making_problem(const std::filesystem::path& dir, const std::error_code& error) {
  std::error_code ignored;
  const std::filesystem::file_status link = std::filesystem::symlink_status(dir, ignored);
  const std::filesystem::file_status target = std::filesystem::status(dir, ignored);
  std::string why = error.message();
  if (std::filesystem::is_symlink(link) && !std::filesystem::exists(target)) {
    why = "a symbolic link to nothing stands there (what it names does not exist)";
  } else if (std::filesystem::exists(target) && !std::filesystem::is_directory(target)) {
    why = "a file that is not a folder stands there";
  }
  return "cannot make " + dir.string() + ": " + why;
}

bool FolderWrite::open() {
  std::error_code error;
  std::filesystem::create_directories(dir_, error);
  if (error) {
    failure_ = making_problem(dir_, error);
    return false;
  }
  dir_fd_ = ::open(dir_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  return dir_fd_ >= 0 || fail("cannot open", dir_);
}

int FolderWrite::create_temporary(StagedFile& file, mode_t mode) {
  for (int attempt = 0; attempt < temporary_name_attempts; ++attempt) {
    const std::string name = hidden_temporary_name(file.name);
    const int fd = openat(dir_fd_, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0) file.temporary = name;
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

bool FolderWrite::stage(const NamedFile& file) {
  StagedFile& staged = staged_.emplace_back(StagedFile{file.name, {}, false});
  struct stat old {};
  const bool replaces_file =
      fstatat(dir_fd_, file.name.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(old.st_mode);
  // A copy of an existing file stays private until it has the original's mode.
  const int fd = create_temporary(staged, replaces_file ? 0600 : 0666);
  if (fd < 0) return fail("cannot write", dir_ / file.name);
  // Every byte is on disk before the name moves over to it, so a crash leaves one file or the other.
  const bool written = (!replaces_file || take_mode_of(fd, old)) && write_all(fd, file.bytes) && fsync(fd) == 0;
  const int error = errno;
  const bool closed = ::close(fd) == 0;
  if (!written) errno = error;
  return (written && closed) || fail("cannot write", dir_ / file.name);
}

// Puts the staged file under its name. An old file is exchanged with it in one step, so the name never
// stands empty and the old file stays under the hidden name until commit.
bool FolderWrite::swap_in(StagedFile& file) {
  const char* name = file.name.c_str();
  const char* temporary = file.temporary.c_str();
  const std::filesystem::path path = dir_ / file.name;
  struct stat old {};
  if (fstatat(dir_fd_, name, &old, AT_SYMLINK_NOFOLLOW) != 0) {
    if (errno != ENOENT) return fail("cannot replace", path);
    if (renameat2(dir_fd_, temporary, dir_fd_, name, RENAME_NOREPLACE) != 0) return fail("cannot replace", path);
    file.temporary.clear();
    file.swapped = true;
    return true;
  }
  if (S_ISDIR(old.st_mode)) {
    errno = EISDIR;
    return fail("cannot replace", path);
  }
  if (renameat2(dir_fd_, temporary, dir_fd_, name, RENAME_EXCHANGE) != 0) return fail("cannot replace", path);
  file.swapped = true;
  return true;
}

bool FolderWrite::swap_in_all() {
  // Another writer of this folder waits here until its set is in place, so the folder ends with one whole
  // set. A file system without locks (some network ones) still gets every file whole, the sets maybe mixed.
  if (flock(dir_fd_, LOCK_EX) != 0 && errno != ENOLCK && errno != EOPNOTSUPP) return fail("cannot lock", dir_);
  for (StagedFile& file : staged_) {
    if (!swap_in(file)) return false;
  }
  return true;
}

bool FolderWrite::commit() {
  // The new names reach the disk before the old files go.
  if (fsync(dir_fd_) != 0) return fail("cannot write", dir_);
  committed_ = true;
  remove_temporaries();
  return true;
}

// Swaps the old files back in the reverse order, then removes what the write left.
void FolderWrite::roll_back() {
  for (auto file = staged_.rbegin(); file != staged_.rend(); ++file) {
    if (!file->swapped) continue;
    if (file->temporary.empty()) {
      unlinkat(dir_fd_, file->name.c_str(), 0);
    } else if (renameat2(dir_fd_, file->temporary.c_str(), dir_fd_, file->name.c_str(), RENAME_EXCHANGE) != 0) {
      file->temporary.clear();  // the old file stays under its hidden name rather than being lost
    }
  }
  remove_temporaries();
}

void FolderWrite::remove_temporaries() {
  for (StagedFile& file : staged_) {
    if (!file.temporary.empty()) unlinkat(dir_fd_, file.temporary.c_str(), 0);
    file.temporary.clear();
  }
}

bool FolderWrite::fail(const char* what, const std::filesystem::path& path) {
  const int error = errno;
  if (failure_.empty()) failure_ = std::string(what) + " " + path.string() + ": " + std::strerror(error);
  return false;
}

// Why the set cannot be written whatever the folder holds: a name that is not a bare file name, or a name
// given twice; empty when there is none.
std::string naming_problem(const std::filesystem::path& dir, const FileSet& files) {
  std::set<std::string> names;
  for (const NamedFile& file : files) {
    const std::string path = (dir / file.name).string();
    if (!is_bare_name(file.name)) return "cannot write " + path + ": not a file name in the folder";
    if (!names.insert(file.name).second) return "cannot write " + path + ": named twice in the set";
  }
  return {};
}

}  // namespace

bool write_folder(const std::filesystem::path& dir, const FileSet& files, std::string& failure) {
  failure = naming_problem(dir, files);
  if (!failure.empty()) return false;
  FolderWrite folder(dir);
  bool written = folder.open();
  for (auto file = files.begin(); written && file != files.end(); ++file) written = folder.stage(*file);
  written = written && folder.swap_in_all() && folder.commit();
  if (!written) failure = folder.failure();
  return written;
}

}  // namespace tools
