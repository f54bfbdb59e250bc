// The in-memory file, the installed file operations and the Stream that forwards to them.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "music/file_callbacks.h"
#include "music/memory_file.h"
#include "music/xm_loader.h"
#include "support/temp_dir.h"

namespace {

using music::MemoryFile;

// A MemoryFile over the bytes 0..9 with its read position at `position`.
std::unique_ptr<MemoryFile> ten_bytes_at(std::int32_t position) {
  auto file = std::make_unique<MemoryFile>();
  file->size = 10;
  file->position = position;
  file->data = std::make_unique<std::uint8_t[]>(10);
  for (int i = 0; i < 10; ++i) file->data[i] = static_cast<std::uint8_t>(i);
  return file;
}

TEST(MemoryFile, OpenReadsTheWholeFileIntoMemory) {
  test_support::WorkingFolder folder;
  folder.write("ten.bin", std::string("0123456789"));
  folder.write("empty.bin", std::string());
  struct Case {
    const char* name;
    bool opens;
    std::int32_t size;
  };
  const Case cases[] = {{"ten.bin", true, 10}, {"empty.bin", true, 0}, {"missing.bin", false, 0}};
  for (const Case& c : cases) {
    auto* file = static_cast<MemoryFile*>(music::memory_open(c.name));
    ASSERT_EQ(file != nullptr, c.opens) << c.name;
    if (!file) continue;
    EXPECT_EQ(file->size, c.size) << c.name;
    EXPECT_EQ(file->position, 0) << c.name;
    EXPECT_EQ(std::memcmp(file->data.get(), "0123456789", c.size), 0) << c.name;
    music::memory_close(file);
  }
}

TEST(MemoryFile, ReadCopiesUpToTheEndAndLeavesTheRestOfTheDestination) {
  struct Case {
    std::int32_t position, count, copied, position_after;
  };
  const Case cases[] = {
      {0, 4, 4, 4},
      {8, 4, 2, 10},
      {10, 1, 0, 10},
      {0, 10, 10, 10},
      {3, 0, 0, 3},
      {3, -5, 0, 3},
      {5, INT_MAX, 5, 10},  // position + count would wrap in 32 bits
  };
  for (const Case& c : cases) {
    auto file = ten_bytes_at(c.position);
    std::uint8_t destination[16];
    std::memset(destination, 0xEE, sizeof destination);
    EXPECT_EQ(music::memory_read(destination, c.count, file.get()), c.copied) << c.position << "+" << c.count;
    EXPECT_EQ(file->position, c.position_after) << c.position << "+" << c.count;
    for (int i = 0; i < 16; ++i) {
      const int expected = i < c.copied ? c.position + i : 0xEE;
      EXPECT_EQ(destination[i], expected) << c.position << "+" << c.count << " byte " << i;
    }
  }
}

TEST(MemoryFile, SeekHoldsThePositionInsideTheFile) {
  struct Case {
    const char* what;
    std::int32_t offset, origin, position;
  };
  const Case cases[] = {
      {"from the start", 3, music::seek_from_start, 3},
      {"from the current position", 3, music::seek_from_current, 8},
      {"to the end ignores the offset", -4, music::seek_to_end, 10},
      {"past the end", 20, music::seek_from_start, 10},
      {"before the start", -1, music::seek_from_start, 0},
      {"back past the start", -7, music::seek_from_current, 0},
      {"largest offset", INT_MAX, music::seek_from_current, 10},
      {"smallest offset", INT_MIN, music::seek_from_current, 0},
      {"unknown origin", 3, 7, 5},
  };
  for (const Case& c : cases) {
    auto file = ten_bytes_at(5);
    EXPECT_EQ(music::memory_seek(file.get(), c.offset, c.origin), file.get()) << c.what;
    EXPECT_EQ(file->position, c.position) << c.what;
    EXPECT_EQ(music::memory_tell(file.get()), c.position) << c.what;
  }
}

void install_the_five_memory_operations() {
  music::set_file_callbacks(music::memory_open, music::memory_close, music::memory_read, music::memory_seek,
                            music::memory_tell);
}

TEST(FileCallbacks, AMissingOperationClearsTheWholeTable) {
  install_the_five_memory_operations();
  EXPECT_TRUE(music::file_callbacks.complete());
  music::set_file_callbacks(music::memory_open, music::memory_close, music::memory_read, music::memory_seek, nullptr);
  EXPECT_EQ(music::file_callbacks.open, nullptr);
  EXPECT_EQ(music::file_callbacks.read, nullptr);

  // Nothing can be opened now, and every operation on the missing Stream does nothing.
  test_support::WorkingFolder folder;
  folder.write("ten.bin", std::string("0123456789"));
  music::Stream stream = music::stream_open("ten.bin");
  EXPECT_EQ(stream.handle, nullptr);
  std::uint8_t byte = 0xEE;
  EXPECT_EQ(music::stream_read(&byte, 1, stream), 0);
  EXPECT_EQ(byte, 0xEE);
  music::stream_seek(stream, 4, music::seek_from_start);
  EXPECT_EQ(music::stream_tell(stream), 0);
  music::stream_close(stream);
  base::LoadResult result;
  EXPECT_EQ(music::load_module("ten.bin", result), nullptr);
  EXPECT_EQ(result.reason, "cannot open the file");
}

TEST(FileCallbacks, StreamForwardsToTheInstalledOperations) {
  test_support::WorkingFolder folder;
  folder.write("ten.bin", std::string("0123456789"));
  install_the_five_memory_operations();
  music::Stream stream = music::stream_open("ten.bin");
  ASSERT_NE(stream.handle, nullptr);
  music::stream_seek(stream, 6, music::seek_from_start);
  char text[8] = {};
  EXPECT_EQ(music::stream_read(text, 8, stream), 4);
  EXPECT_STREQ(text, "6789");
  EXPECT_EQ(music::stream_tell(stream), 10);
  music::stream_close(stream);
  EXPECT_EQ(stream.handle, nullptr);
}

}  // namespace
