// A fresh folder under the test's temporary directory, entered for the test's lifetime: the program
// opens its files by bare name, as it does when started from a release's folder. The folder's name holds
// the process id, so test runs of other build trees on the same machine never share one; it is kept
// when the test fails, to look at, and removed when it passes.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace test_support {

class WorkingFolder {
 public:
  WorkingFolder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = std::filesystem::path(::testing::TempDir()) / "zarn-tests" /
            (std::string(info->test_suite_name()) + "." + info->name() + "." + std::to_string(getpid()));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(path_);
  }
  ~WorkingFolder() {
    std::filesystem::current_path(previous_);
    std::error_code ignored;
    if (!::testing::Test::HasFailure()) std::filesystem::remove_all(path_, ignored);
  }
  WorkingFolder(const WorkingFolder&) = delete;
  WorkingFolder& operator=(const WorkingFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }

  void write(const std::string& name, const std::string& bytes) const {
    std::ofstream(path_ / name, std::ios::binary) << bytes;
  }
  void write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
    write(name, std::string(bytes.begin(), bytes.end()));
  }

 private:
  std::filesystem::path path_;
  std::filesystem::path previous_;
};

}  // namespace test_support
