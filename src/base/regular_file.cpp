// Opening regular files only.
#include "base/regular_file.h"

#include <filesystem>
#include <system_error>

namespace base {

OwnedFile open_regular_file(const char* path) {
  std::error_code error;
  // Asked before the open: opening a FIFO for reading would wait for a writer.
  if (!path || !std::filesystem::is_regular_file(path, error)) return nullptr;
  return OwnedFile(std::fopen(path, "rb"));
}

long long file_size(std::FILE* file) {
  if (std::fseek(file, 0, SEEK_END) != 0) return -1;
  const long size = std::ftell(file);
  if (std::fseek(file, 0, SEEK_SET) != 0) return -1;
  return size;
}

}  // namespace base
