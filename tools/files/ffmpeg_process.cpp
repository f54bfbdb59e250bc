// ffmpeg as a child process behind a pipe.
#include "tools/files/ffmpeg_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace tools {

FfmpegProcess::~FfmpegProcess() { finish(); }

bool FfmpegProcess::start(const std::vector<std::string>& args, bool fed) {
  int pipe_ends[2] = {-1, -1};
  if (fed && pipe2(pipe_ends, O_CLOEXEC) != 0) {
    failure_ = std::string("cannot make a pipe to ffmpeg: ") + std::strerror(errno);
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (fed) posix_spawn_file_actions_adddup2(&actions, pipe_ends[0], STDIN_FILENO);
  else posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, 0);

  std::vector<char*> argv;
  std::string name = "ffmpeg";
  argv.push_back(name.data());
  std::vector<std::string> copies = args;
  for (std::string& arg : copies) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const int error = posix_spawnp(&pid_, "ffmpeg", &actions, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (fed) close(pipe_ends[0]);
  if (error != 0) {
    pid_ = -1;
    if (fed) close(pipe_ends[1]);
    failure_ = error == ENOENT ? "ffmpeg is not installed (it encodes the video; on Debian: apt-get install ffmpeg)"
                               : std::string("cannot start ffmpeg: ") + std::strerror(error);
    return false;
  }
  input_ = fed ? pipe_ends[1] : -1;
  return true;
}

bool FfmpegProcess::write(const void* data, std::size_t size) {
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    if (input_ < 0) return false;
    const ssize_t written = ::write(input_, bytes, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

bool FfmpegProcess::finish() {
  if (input_ >= 0) close(input_);
  input_ = -1;
  if (pid_ < 0) return false;
  int status = 0;
  pid_t done = -1;
  do {
    done = waitpid(pid_, &status, 0);
  } while (done < 0 && errno == EINTR);
  pid_ = -1;
  return done >= 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace tools
