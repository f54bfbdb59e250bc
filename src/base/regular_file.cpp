// Opening regular files only.
#include "base/regular_file.h"

#include <algorithm>
#include <filesystem>
#include <new>
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

namespace {

FileRead read_file(const char* path, std::int64_t max_bytes, bool cut_at_max, std::vector<std::uint8_t>& bytes) {
  bytes.clear();
  const OwnedFile file = open_regular_file(path);
  if (!file) return FileRead::cannot_open;
  const long long size = file_size(file.get());
  if (size < 0) return FileRead::cannot_open;
  if (size > max_bytes && !cut_at_max) return FileRead::too_large;
  try {
    bytes.resize(static_cast<std::size_t>(std::min<long long>(size, max_bytes)));
  } catch (const std::bad_alloc&) {
    return FileRead::cannot_read;
  }
  const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file.get());
  bytes.resize(got);
  return std::ferror(file.get()) ? FileRead::cannot_read : FileRead::read;
}

}  // namespace

FileRead read_regular_file(const char* path, std::int64_t max_bytes, std::vector<std::uint8_t>& bytes) {
  return read_file(path, max_bytes, false, bytes);
}

FileRead read_regular_file_start(const char* path, std::int64_t max_bytes, std::vector<std::uint8_t>& bytes) {
  return read_file(path, max_bytes, true, bytes);
}

}  // namespace base
