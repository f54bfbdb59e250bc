// The installed file operations and the Stream that forwards to them.
#include "music/file_callbacks.h"

namespace music {

FileCallbacks file_callbacks;

namespace {

// A Stream forwards only while it has a handle and the table that opened it is still installed.
bool usable(const Stream& stream) { return stream.handle && file_callbacks.complete(); }

}  // namespace

void set_file_callbacks(decltype(FileCallbacks::open) open, decltype(FileCallbacks::close) close,
                        decltype(FileCallbacks::read) read, decltype(FileCallbacks::seek) seek,
                        decltype(FileCallbacks::tell) tell) {
  const FileCallbacks table{open, close, read, seek, tell};
  // Half a table would let a load open a file it cannot read; the sound system refuses to open while
  // the table is clear.
  file_callbacks = table.complete() ? table : FileCallbacks{};
}

Stream stream_open(const char* name) {
  if (!file_callbacks.complete()) return Stream{};
  return Stream{file_callbacks.open(name)};
}

void stream_close(Stream& stream) {
  if (!usable(stream)) return;
  file_callbacks.close(stream.handle);
  stream.handle = nullptr;
}

std::int32_t stream_read(void* destination, std::int32_t count, Stream& stream) {
  if (!usable(stream)) return 0;
  return file_callbacks.read(destination, count, stream.handle);
}

void stream_seek(Stream& stream, std::int32_t offset, std::int32_t origin) {
  if (usable(stream)) file_callbacks.seek(stream.handle, offset, origin);
}

std::int32_t stream_tell(Stream& stream) { return usable(stream) ? file_callbacks.tell(stream.handle) : 0; }

}  // namespace music
