// Hostile PNG and JPEG pictures refused before they are decoded, each with what is wrong and where, and
// palette pictures decoded the same on every run.
#include <gtest/gtest.h>
#include <stb_image_write.h>

#include <string>
#include <vector>

#include "tools/image/image_import.h"
#include "tools/image/picture_check.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void append_big_endian_32(Bytes& out, std::uint32_t v) {
  out.insert(out.end(), {std::uint8_t(v >> 24), std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)});
}

// A zlib stream of stored (uncompressed) blocks, so that each pixel byte is where the test put it.
Bytes zlib_stored(const Bytes& data) {
  Bytes out{0x78, 0x01};
  std::size_t at = 0;
  do {
    const std::size_t n = std::min<std::size_t>(data.size() - at, 65535);
    const bool last = at + n == data.size();
    out.insert(out.end(), {std::uint8_t(last), std::uint8_t(n), std::uint8_t(n >> 8), std::uint8_t(~n),
                           std::uint8_t(~n >> 8)});
    out.insert(out.end(), data.begin() + at, data.begin() + at + n);
    at += n;
  } while (at < data.size());
  std::uint32_t a = 1, b = 0;
  for (std::uint8_t c : data) a = (a + c) % 65521, b = (b + a) % 65521;
  append_big_endian_32(out, b << 16 | a);
  return out;
}

void append_chunk(Bytes& png, const char* type, const Bytes& data) {
  append_big_endian_32(png, static_cast<std::uint32_t>(data.size()));
  const std::size_t typed_at = png.size();
  png.insert(png.end(), type, type + 4);
  png.insert(png.end(), data.begin(), data.end());
  append_big_endian_32(png, tools::png_crc32(std::span(png).subspan(typed_at)));
}

struct PngPicture {
  std::uint32_t width = 4, height = 4;
  std::uint8_t depth = 8, colour_type = 0, interlace = 0;
  Bytes palette{};  // 3 bytes a colour; a PLTE chunk when not empty
  Bytes rows{};     // every row with its filter byte, as the IDAT chunk inflates
};

Bytes png_bytes(const PngPicture& p) {
  Bytes png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes header;
  append_big_endian_32(header, p.width);
  append_big_endian_32(header, p.height);
  header.insert(header.end(), {p.depth, p.colour_type, 0, 0, p.interlace});
  append_chunk(png, "IHDR", header);
  if (!p.palette.empty()) append_chunk(png, "PLTE", p.palette);
  append_chunk(png, "IDAT", zlib_stored(p.rows));
  append_chunk(png, "IEND", {});
  return png;
}

// Rows of `width` one-byte pixels, each row unfiltered, every pixel `value`.
Bytes plain_rows(std::uint32_t width, std::uint32_t height, std::uint8_t value) {
  Bytes rows;
  for (std::uint32_t y = 0; y < height; ++y) {
    rows.push_back(0);
    rows.insert(rows.end(), width, value);
  }
  return rows;
}

const Bytes red_and_blue{255, 0, 0, 0, 0, 255};

// A 4x4 palette picture of red and blue; row 1 is written with the Sub filter, so its pixels are the
// running sum of its bytes: 0, 1, 1, 1.
PngPicture palette_picture() {
  PngPicture p{.colour_type = 3, .palette = red_and_blue};
  p.rows = plain_rows(4, 4, 0);
  const std::uint8_t sub_row[] = {1, 0, 1, 0, 0};
  std::copy(std::begin(sub_row), std::end(sub_row), p.rows.begin() + 5);
  return p;
}

// The first IDAT chunk of a picture with an IHDR and nothing else before it: 8 signature bytes, 25 of IHDR.
constexpr std::size_t first_idat_after_header = 33;

void append_bytes(void* context, void* data, int size) {
  auto* out = static_cast<Bytes*>(context);
  out->insert(out->end(), static_cast<std::uint8_t*>(data), static_cast<std::uint8_t*>(data) + size);
}

Bytes baseline_jpeg() {
  Bytes rgb(16 * 16 * 3);
  for (std::size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<std::uint8_t>(i * 7);
  Bytes file;
  stbi_write_jpg_to_func(append_bytes, &file, 16, 16, 3, rgb.data(), 90);
  return file;
}

// Where the segment of marker `code` starts (its 0xFF), walking the segments before the first scan.
std::size_t jpeg_segment(const Bytes& jpeg, std::uint8_t code) {
  std::size_t at = 2;
  while (jpeg.at(at + 1) != code) at += 2 + (jpeg.at(at + 2) << 8 | jpeg.at(at + 3));
  return at;
}

// The JPEG with its first Huffman table's 16 counts each set to `count`.
Bytes with_huffman_counts(Bytes jpeg, std::uint8_t count) {
  const std::size_t table = jpeg_segment(jpeg, 0xC4) + 5;
  std::fill(jpeg.begin() + table, jpeg.begin() + table + 16, count);
  return jpeg;
}

Bytes with_frame_marker(Bytes jpeg, std::uint8_t code) {
  jpeg[jpeg_segment(jpeg, 0xC0) + 1] = code;
  return jpeg;
}

// The JPEG with its first scan header repeated `count` more times, with no data, before its end.
Bytes with_empty_scans(const Bytes& jpeg, int count) {
  const std::size_t sos = jpeg_segment(jpeg, 0xDA);
  const Bytes header(jpeg.begin() + sos, jpeg.begin() + sos + 2 + (jpeg[sos + 2] << 8 | jpeg[sos + 3]));
  Bytes out(jpeg.begin(), jpeg.end() - 2);
  for (int i = 0; i < count; ++i) out.insert(out.end(), header.begin(), header.end());
  out.insert(out.end(), {0xFF, 0xD9});
  return out;
}

std::string import_failure(const Bytes& file) {
  std::string failure;
  const auto imported = tools::import_image(file, "p", tools::ImageSlot::logo, {}, failure);
  return imported ? "imported" : failure;
}

TEST(PictureCheck, ChunkChecksumIsTheOneOfPng) {
  const std::uint8_t iend[] = {'I', 'E', 'N', 'D'};
  EXPECT_EQ(tools::png_crc32(iend), 0xAE426082u);  // every PNG's last four bytes
}

TEST(PictureCheck, RefusesHostilePicturesSayingWhatAndWhere) {
  struct Case {
    const char* what;
    Bytes file;
    std::string says;
  };
  const Bytes gray = png_bytes({.rows = plain_rows(4, 4, 128)});
  Bytes bad_checksum = gray;
  bad_checksum[first_idat_after_header + 8 + 10] ^= 1;
  Bytes no_end(gray.begin(), gray.end() - 12);
  PngPicture past_palette = palette_picture();
  past_palette.rows[5 + 4] = 1;  // pixel (3, 1): 0 + 1 + 0 + 1 = entry 2 of 2
  PngPicture two_bit = palette_picture();
  two_bit.depth = 2;
  two_bit.rows = {0, 0xC0, 0, 0, 0, 0, 0, 0};  // pixel (0, 0) takes entry 3
  PngPicture interlaced = palette_picture();
  interlaced.interlace = 1;
  // Adam7 passes of a 4x4 picture: 1x1, none, none, 1x1, 2x1, 2x2 (pixels 1 and 3 of rows 0 and 2), 4x2.
  interlaced.rows = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 9, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  PngPicture unknown_filter = palette_picture();
  unknown_filter.rows[10] = 5;
  PngPicture no_palette = palette_picture();
  no_palette.palette.clear();
  PngPicture short_palette = palette_picture();
  short_palette.palette.pop_back();
  const Bytes jpeg = baseline_jpeg();
  const std::size_t scan_header = jpeg_segment(jpeg, 0xDA), scan_header_size = 2 + jpeg[scan_header + 3];
  const Case cases[] = {
      {"a chunk's checksum that does not match", bad_checksum, "chunk IDAT at byte 33 has a wrong checksum"},
      {"a PNG cut inside a chunk", Bytes(gray.begin(), gray.begin() + first_idat_after_header + 20),
       "the PNG ends early: chunk IDAT at byte 33 runs past the end of the file"},
      {"a PNG with no IEND", no_end, "the PNG ends early, at byte " + std::to_string(no_end.size()) +
                                          ", before its IEND chunk"},
      {"an index past the palette", png_bytes(past_palette),
       "pixel (3, 1) takes palette entry 2, past the palette's 2 colours"},
      {"a 2-bit index past the palette", png_bytes(two_bit),
       "pixel (0, 0) takes palette entry 3, past the palette's 2 colours"},
      {"an interlaced index past the palette", png_bytes(interlaced),
       "pixel (3, 2) takes palette entry 9, past the palette's 2 colours"},
      {"an unknown filter in a palette picture", png_bytes(unknown_filter), "row 2 has an unknown filter type 5"},
      {"a palette picture with no palette", png_bytes(no_palette),
       "the palette picture has no PLTE chunk before its pixels"},
      {"a palette of 5 bytes", png_bytes(short_palette),
       "chunk PLTE at byte 33 holds 5 bytes: a palette is 1 to 256 colours of 3 bytes"},
      {"pixel data short of its rows", png_bytes({.rows = plain_rows(4, 3, 0)}),
       "the pixel data ends early: 15 of 20 bytes"},
      {"pixel data past its rows", png_bytes({.rows = plain_rows(4, 5, 0)}),
       "the pixel data holds more than its size needs"},
      {"an IHDR with zero width", png_bytes({.width = 0}), "the picture is 0x4: it has no pixels"},
      {"a header wider than taken", png_bytes({.width = 16385, .height = 1}),
       "the picture is 16385x1: at most 16384 pixels a side and 32 million pixels are taken"},
      {"a header with more pixels than taken", png_bytes({.width = 8192, .height = 4097}),
       "the picture is 8192x4097: at most 16384 pixels a side and 32 million pixels are taken"},
      {"a bit depth the colour type does not have", png_bytes({.depth = 4, .colour_type = 2}),
       "colour type 2 with 4-bit samples is not a PNG format"},
      {"a JPEG cut inside its scan", Bytes(jpeg.begin(), jpeg.begin() + jpeg.size() / 2 + 100),
       "the JPEG ends early, at byte " + std::to_string(jpeg.size() / 2 + 100) + ", before its end"},
      {"a JPEG cut inside its scan header", Bytes(jpeg.begin(), jpeg.begin() + scan_header + 4),
       "the JPEG ends early, at byte " + std::to_string(scan_header + 4) + ", before its end"},
      {"a lossless JPEG", with_frame_marker(jpeg, 0xC3), "lossless JPEG is not supported"},
      {"an arithmetic-coded JPEG", with_frame_marker(jpeg, 0xC9),
       "arithmetic-coded JPEG is not supported (save it with Huffman coding)"},
      {"a Huffman table of more codes than it may have", with_huffman_counts(jpeg, 20),
       "the Huffman table at byte " + std::to_string(jpeg_segment(jpeg, 0xC4)) + " has 320 codes: at most 256"},
      {"a JPEG of 1000 empty scans", with_empty_scans(jpeg, 1000),
       "the JPEG has more than 100 scans (at byte " + std::to_string(jpeg.size() - 2 + 99 * scan_header_size) +
           ")"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(tools::picture_fault(c.file), c.says) << c.what;
    EXPECT_EQ(import_failure(c.file), "p: " + c.says) << c.what;
  }
}

TEST(PictureCheck, PassesSoundPictures) {
  PngPicture two_bit = palette_picture();
  two_bit.depth = 2;
  two_bit.rows = {0, 0x40, 0, 0x10, 2, 0x04, 0, 0x01};  // one pixel of entry 1 a row, the third row filtered Up
  PngPicture interlaced = palette_picture();
  interlaced.interlace = 1;
  interlaced.rows = Bytes(23, 0);
  const struct {
    const char* what;
    Bytes file;
  } cases[] = {
      {"grey", png_bytes({.rows = plain_rows(4, 4, 128)})},
      {"palette", png_bytes(palette_picture())},
      {"2-bit palette", png_bytes(two_bit)},
      {"interlaced palette", png_bytes(interlaced)},
      {"baseline JPEG", baseline_jpeg()},
      {"JPEG of 99 more empty scans", with_empty_scans(baseline_jpeg(), 99)},
  };
  for (const auto& c : cases) EXPECT_EQ(tools::picture_fault(c.file), "") << c.what;
}

// The decoder expands a palette through a table filled as far as the palette goes: what it draws must
// come from the palette alone, the same on every run.
TEST(PictureCheck, PalettePictureImportsTheSameEveryTime) {
  const Bytes file = png_bytes(palette_picture());
  std::string failure;
  const auto first = tools::import_image(file, "p", tools::ImageSlot::logo, {}, failure);
  const auto second = tools::import_image(file, "p", tools::ImageSlot::logo, {}, failure);
  ASSERT_TRUE(first && second) << failure;
  EXPECT_EQ(tools::encode_bmp8(first->picture), tools::encode_bmp8(second->picture));
  for (std::uint8_t index : first->picture.pixels) {
    const tools::Rgb888 c = first->picture.palette[index];
    const bool from_palette = (c.r == 0 || c.r == 255) && c.g == 0 && (c.b == 0 || c.b == 255) && c.r + c.b <= 255;
    ASSERT_TRUE(from_palette) << int(c.r) << "," << int(c.g) << "," << int(c.b);
  }
}

}  // namespace
