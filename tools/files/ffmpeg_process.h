// The ffmpeg program run as a child process, optionally fed through a pipe on its standard input.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <vector>

namespace tools {

// One run of ffmpeg. It gets its own process group, so that Ctrl-C on the terminal reaches only the tool,
// which decides what becomes of the output; its messages go to the tool's standard error.
class FfmpegProcess {
 public:
  FfmpegProcess() = default;
  ~FfmpegProcess();
  FfmpegProcess(const FfmpegProcess&) = delete;
  FfmpegProcess& operator=(const FfmpegProcess&) = delete;

  // Starts "ffmpeg ARGS...", reading the bytes given to write() when `fed` and nothing otherwise. False
  // when it cannot be started; failure() then says why in one line, naming a missing ffmpeg as such.
  bool start(const std::vector<std::string>& args, bool fed);
  // Sends bytes to its standard input; false once it has stopped reading (it ended or failed).
  bool write(const void* data, std::size_t size);
  // Ends its input and waits for it; true when it exited with 0.
  bool finish();

  const std::string& failure() const { return failure_; }

 private:
  pid_t pid_ = -1;
  int input_ = -1;
  std::string failure_;
};

}  // namespace tools
