// The one way the tools write a file, so that a failed write never costs the file that was there.
#pragma once

#include <cstddef>
#include <string>

struct stat;

namespace tools {

// The output path that means the tool's standard output. A tool writing there reports on stderr.
inline constexpr const char* standard_stream_path = "-";

// One output, written in pieces and then committed:
//  - "-" is standard output;
//  - a symlink is followed to the file it names, even one that does not exist yet;
//  - a device or a FIFO is written in place;
//  - a regular file, or a new one, is written to a temporary file with a unique name in the same folder,
//    which takes the original's mode and replaces it only at commit, once every byte is on disk. Until
//    then the original is untouched, and concurrent writers of one file do not disturb each other: the
//    last to commit wins;
//  - a directory is refused.
// The first failure sticks: every later call fails too, and a temporary file is removed at once. An
// output destroyed without a commit is abandoned the same way.
class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // False when `path` cannot be written; failure() says why.
  bool open(const std::string& path);
  // Appends `size` bytes; false on any error.
  bool write(const void* data, std::size_t size);
  // Whether bytes already written can be written again: true for a regular file, false for standard
  // output, a device or a FIFO.
  bool can_rewrite() const { return !temporary_.empty(); }
  // Writes `size` bytes again at `offset`, within what was written; false on any error or when the
  // output cannot be rewritten.
  bool rewrite(std::size_t offset, const void* data, std::size_t size);
  // Ends the output: a regular file is flushed to disk and renamed over its target, a device or a FIFO
  // is closed. False when this or anything before it failed.
  bool commit();

  // Why the first failing call failed, naming the file: "cannot write out.wav: No space left on device".
  const std::string& failure() const { return failure_; }

 private:
  // Opens a temporary file beside `target`, with the mode and owner of `existing` unless it is null.
  bool open_replacement(const std::string& target, const struct stat* existing);
  bool fail(const std::string& what);
  void abandon();
  void start_writeback();

  std::string path_;       // as the caller named it, for messages
  std::string target_;     // the regular file the temporary file replaces at commit
  std::string temporary_;  // empty when writing in place
  int fd_ = -1;
  bool owns_fd_ = false;   // standard output stays open
  bool failed_ = false;
  std::string failure_;
  std::size_t written_ = 0;       // bytes appended so far
  std::size_t written_back_ = 0;  // of those, the bytes already on their way to the disk
};

}  // namespace tools
