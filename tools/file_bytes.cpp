// Whole-file reads and writes.
#include "tools/file_bytes.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace tools {

std::optional<std::vector<std::uint8_t>> read_file_bytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (file.bad()) return std::nullopt;
  return bytes;
}

bool replace_file_bytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  const std::string temporary = path + ".tmp";
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!file) {
      std::fprintf(stderr, "cannot write %s\n", temporary.c_str());
      std::filesystem::remove(temporary);
      return false;
    }
  }
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  if (error) {
    std::fprintf(stderr, "cannot replace %s: %s\n", path.c_str(), error.message().c_str());
    std::filesystem::remove(temporary);
    return false;
  }
  return true;
}

}  // namespace tools
