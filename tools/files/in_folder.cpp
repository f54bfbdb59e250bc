// Entering a folder for a while.
#include "tools/files/in_folder.h"

#include <system_error>

namespace tools {

InFolder::InFolder(const std::filesystem::path& dir) {
  // A process started in a folder that was removed since has no current folder to come back to: it
  // enters `dir` all the same (given absolute, it is found), and stays there.
  std::error_code error;
  previous_ = std::filesystem::current_path(error);
  std::filesystem::current_path(dir, error);
  if (error) failure_ = "cannot enter " + dir.string() + ": " + error.message();
}

InFolder::~InFolder() {
  // Coming back can fail only when the old folder went away meanwhile; the run's work is done by then.
  std::error_code ignored;
  if (entered() && !previous_.empty()) std::filesystem::current_path(previous_, ignored);
}

}  // namespace tools
