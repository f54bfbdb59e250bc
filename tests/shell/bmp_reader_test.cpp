// BMP reader: the accepted layouts, the refused ones, and files from strangers.
#include <gtest/gtest.h>

#include <climits>

#include "shell/bmp_reader.h"
#include "support/bmp_builder.h"
#include "support/temp_dir.h"

namespace {

using test_support::BmpFields;
using test_support::build_bmp;

std::vector<std::uint8_t> bytes_counting_from(int first, int count) {
  std::vector<std::uint8_t> out(count);
  for (int i = 0; i < count; ++i) out[i] = static_cast<std::uint8_t>(first + i);
  return out;
}

std::vector<std::uint8_t> concat(std::vector<std::uint8_t> a, const std::vector<std::uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

class BmpReaderTest : public ::testing::Test {
 protected:
  int load(const std::vector<std::uint8_t>& file) {
    folder.write("test.bmp", file);
    return shell::load_bmp("test.bmp", image);
  }
  test_support::WorkingFolder folder;
  base::Image image;
};

TEST_F(BmpReaderTest, BottomUpRowsEndUpTopFirst) {
  // Width 13 at 8 bits pads each row to 16 bytes; the first file row is the bottom of the picture.
  const auto file = build_bmp({.width = 13, .height = 2}, std::vector<std::uint8_t>(1024, 0),
                              concat(bytes_counting_from(100, 16), bytes_counting_from(200, 16)));
  ASSERT_EQ(load(file), shell::bmp_loaded);
  EXPECT_EQ(image.width, 13);
  EXPECT_EQ(image.height, 2);
  EXPECT_EQ(image.bits_per_pixel, 8);
  EXPECT_EQ(image.pitch, 16);
  ASSERT_EQ(image.pixels.size(), 32u);
  EXPECT_EQ(image.pixels[0], 200);   // top row: the file's last row
  EXPECT_EQ(image.pixels[16], 100);  // bottom row: the file's first row
  EXPECT_EQ(image.palette.size(), 256u);
}

TEST_F(BmpReaderTest, TopDownRowsKeepFileOrderAndNegativeHeight) {
  const auto file = build_bmp({.width = 4, .height = -2}, std::vector<std::uint8_t>(1024, 0),
                              concat(bytes_counting_from(1, 4), bytes_counting_from(50, 4)));
  ASSERT_EQ(load(file), shell::bmp_loaded);
  EXPECT_EQ(image.height, -2);
  EXPECT_EQ(image.row_count(), 2);
  EXPECT_EQ(image.pixels[0], 1);
  EXPECT_EQ(image.pixels[4], 50);
}

TEST_F(BmpReaderTest, ShortColourTableIsReadAndPixelsFollowItWhateverTheHeaderSays) {
  std::vector<std::uint8_t> table(16 * 4, 0);
  table[0] = 0x11;  // blue
  table[1] = 0x22;  // green
  table[2] = 0x33;  // red
  table[3] = 0x44;  // reserved: dropped
  // The pixel-data offset claims 1078, as if 256 colours followed; the rows really start at 14 + 40 + 64.
  const auto file = build_bmp({.width = 4, .height = 1, .colours_used = 16, .pixel_offset = 1078}, table,
                              bytes_counting_from(7, 4));
  ASSERT_EQ(file.size(), 118u + 4);
  ASSERT_EQ(load(file), shell::bmp_loaded);
  EXPECT_EQ(image.palette[0], 0x00112233u);  // memory order red, green, blue, 0
  EXPECT_EQ(image.pixels[0], 7);
  EXPECT_EQ(image.pixels[3], 10);
}

// What many editors write: a 108- or 124-byte info header, pixels placed further on by the header's
// pixel offset. Each reads as the plain 40-byte file of the same picture does.
TEST_F(BmpReaderTest, LaterInfoHeadersAndGapsBeforeThePixelsReadLikeThePlainFile) {
  std::vector<std::uint8_t> table(256 * 4, 0);
  table[4 * 3] = 0x10;  // colour 3: blue 0x10, green 0x20, red 0x30
  table[4 * 3 + 1] = 0x20;
  table[4 * 3 + 2] = 0x30;
  const auto rows = concat(bytes_counting_from(3, 4), bytes_counting_from(60, 4));
  struct Case {
    const char* what;
    BmpFields fields;
  };
  const Case cases[] = {
      {"40-byte header", {.width = 4, .height = 2}},
      {"108-byte header", {.width = 4, .height = 2, .info_header_size = 108}},
      {"124-byte header", {.width = 4, .height = 2, .info_header_size = 124}},
      {"16 bytes between the colour table and the pixels", {.width = 4, .height = 2, .gap = 16}},
      {"124-byte header and a gap", {.width = 4, .height = 2, .info_header_size = 124, .gap = 100}},
      {"a pixel offset pointing into the headers", {.width = 4, .height = 2, .pixel_offset = 20}},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(load(build_bmp(c.fields, table, rows)), shell::bmp_loaded) << c.what;
    EXPECT_EQ(image.palette[3], 0x00102030u) << c.what;
    EXPECT_EQ(image.pixels[0], 60) << c.what;  // the top row is the file's last
    EXPECT_EQ(image.pixels[7], 6) << c.what;
  }
  EXPECT_EQ(load(build_bmp({.info_header_size = 12}, table, rows)), shell::bmp_not_supported)
      << "the 12-byte header of OS/2 has another layout";
}

TEST_F(BmpReaderTest, TwentyFourBitsHasNoPalette) {
  const auto file = build_bmp({.width = 3, .height = 1, .bit_count = 24}, {}, bytes_counting_from(1, 12));
  ASSERT_EQ(load(file), shell::bmp_loaded);
  EXPECT_TRUE(image.palette.empty());
  EXPECT_EQ(image.pitch, 12);
  EXPECT_EQ(image.pixels[8], 9);
}

TEST_F(BmpReaderTest, ShortFileLeavesMissingRowsZero) {
  // Four rows announced, one stored: it is the bottom row, the three above it stay zero.
  const auto file = build_bmp({.width = 4, .height = 4}, std::vector<std::uint8_t>(1024, 0), {9, 9, 9, 9});
  ASSERT_EQ(load(file), shell::bmp_loaded);
  EXPECT_EQ(image.pixels, concat(std::vector<std::uint8_t>(12, 0), {9, 9, 9, 9}));
}

TEST_F(BmpReaderTest, RefusedFilesLeaveTheRecordEmptyAndSayWhy) {
  struct Case {
    const char* what;
    BmpFields fields;
    const char* reason;
  };
  const Case cases[] = {
      {"4 bits per pixel", {.bit_count = 4}, "not 8 to 32 bits per pixel"},
      {"run-length encoded", {.compression = 1}, "not an uncompressed bitmap of one plane"},
      {"bit fields", {.bit_count = 16, .compression = 3}, "not an uncompressed bitmap of one plane"},
      {"two planes", {.planes = 2}, "not an uncompressed bitmap of one plane"},
      {"not BM", {.type = 0x4142}, "not a BMP file"},
      {"more bits than the format has", {.bit_count = 48}, "not 8 to 32 bits per pixel"},
      {"colour count above 256", {.colours_used = 257}, "more than 256 colours"},
      {"huge colour count", {.colours_used = 0xFFFFFFFF}, "more than 256 colours"},
      {"negative width", {.width = -4}, "a negative width"},
      {"width above 16384", {.width = 16385}, "a side above 16384 pixels"},
      {"height above 16384", {.height = 16385}, "a side above 16384 pixels"},
      {"top-down height above 16384", {.height = -16385}, "a side above 16384 pixels"},
      {"most negative height", {.height = INT_MIN}, "a side above 16384 pixels"},
      {"largest width with 32-bit pixels", {.width = INT_MAX, .bit_count = 32}, "a side above 16384 pixels"},
      {"a gigabyte of pixels from a few bytes", {.width = 16384, .height = 16384, .bit_count = 32},
       "more than 256 MiB of pixels"},
  };
  for (const Case& c : cases) {
    // Fill the record first: a refused file must leave it cleared, not half-written.
    ASSERT_EQ(load(build_bmp({.width = 4}, std::vector<std::uint8_t>(1024, 1), {1, 2, 3, 4})), shell::bmp_loaded);
    EXPECT_EQ(load(build_bmp(c.fields, {}, {1, 2, 3, 4})), shell::bmp_not_supported) << c.what;
    EXPECT_TRUE(image.pixels.empty() && image.palette.empty() && image.width == 0 && image.pitch == 0) << c.what;
    const base::LoadResult result = shell::read_bmp_file("test.bmp", image);
    EXPECT_EQ(result.status, base::LoadStatus::refused) << c.what;
    EXPECT_EQ(result.reason, c.reason) << c.what;
  }
}

TEST_F(BmpReaderTest, TruncatedHeaderIsRefusedAndMissingFileCannotOpen) {
  auto file = build_bmp({}, {}, {});
  file.resize(30);
  EXPECT_EQ(load(file), shell::bmp_not_supported);
  EXPECT_EQ(load({}), shell::bmp_not_supported);
  EXPECT_EQ(shell::load_bmp("no-such-file.bmp", image), shell::bmp_cannot_open);
  EXPECT_EQ(shell::read_bmp_file("no-such-file.bmp", image).status, base::LoadStatus::cannot_open);
}

}  // namespace
