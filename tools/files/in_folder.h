// Entering an asset folder for a while: the intro opens its files by bare name from where it starts, so
// the tools that run its readers (check, preview, record) run them from inside the folder.
#pragma once

#include <filesystem>
#include <string>

namespace tools {

// The process's current folder is `dir` for the object's lifetime, and the folder it was before again
// afterwards. Paths given relative to the old folder must be made absolute before.
class InFolder {
 public:
  explicit InFolder(const std::filesystem::path& dir);
  ~InFolder();
  InFolder(const InFolder&) = delete;
  InFolder& operator=(const InFolder&) = delete;

  bool entered() const { return failure_.empty(); }
  // Why the folder could not be entered: "cannot enter DIR: No such file or directory".
  const std::string& failure() const { return failure_; }

 private:
  std::filesystem::path previous_;
  std::string failure_;
};

}  // namespace tools
