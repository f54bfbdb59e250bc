// The in-memory file.
#include "music/memory_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "base/regular_file.h"

namespace music {
namespace {

MemoryFile* as_memory_file(FileHandle file) { return static_cast<MemoryFile*>(file); }

}  // namespace

FileHandle memory_open(const char* name) {
  const base::OwnedFile file = base::open_regular_file(name);
  if (!file) return nullptr;
  const long long size = base::file_size(file.get());
  if (size < 0 || size > memory_file_max_size) return nullptr;
  auto memory = std::unique_ptr<MemoryFile>(new (std::nothrow) MemoryFile);
  if (!memory) return nullptr;
  memory->size = static_cast<std::int32_t>(size);
  memory->data.reset(new (std::nothrow) std::uint8_t[size]);
  if (!memory->data) return nullptr;
  // A file that shrinks while it is read keeps the bytes that came.
  memory->size = static_cast<std::int32_t>(std::fread(memory->data.get(), 1, memory->size, file.get()));
  return memory.release();
}

void memory_close(FileHandle file) { delete as_memory_file(file); }

std::int32_t memory_read(void* destination, std::int32_t count, FileHandle file) {
  MemoryFile* memory = as_memory_file(file);
  if (!memory || count <= 0) return 0;
  const std::int32_t copied = std::min(count, memory->size - memory->position);
  std::memcpy(destination, memory->data.get() + memory->position, copied);
  memory->position += copied;
  return copied;
}

FileHandle memory_seek(FileHandle file, std::int32_t offset, std::int32_t origin) {
  MemoryFile* memory = as_memory_file(file);
  if (!memory) return file;
  // 64 bits, so that an offset near the 32-bit limits cannot wrap the sum past the checks.
  std::int64_t target = memory->position;
  if (origin == seek_from_start) target = offset;
  if (origin == seek_from_current) target = std::int64_t{memory->position} + offset;
  if (origin == seek_to_end) target = memory->size;
  memory->position = static_cast<std::int32_t>(std::clamp<std::int64_t>(target, 0, memory->size));
  return file;
}

std::int32_t memory_tell(FileHandle file) {
  const MemoryFile* memory = as_memory_file(file);
  return memory ? memory->position : 0;
}

}  // namespace music
