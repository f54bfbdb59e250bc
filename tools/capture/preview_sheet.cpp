// The preview's contact sheet.
#include "tools/capture/preview_sheet.h"

#include <array>
#include <cstdio>

#include "base/frame_geometry.h"
#include "tools/files/png_file.h"

namespace tools {
namespace {

constexpr int thumb_width = base::frame_width / 2;
constexpr int thumb_height = base::frame_height / 2;
constexpr int gap = 8;
constexpr int label_scale = 2;
constexpr int label_height = 5 * label_scale + gap;
constexpr Rgb888 background{24, 24, 30};
constexpr Rgb888 label_colour{230, 230, 230};

// 3x5 glyphs of the characters a time label needs, one row of three bits per entry, top row first.
std::array<std::uint8_t, 5> glyph_rows(char c) {
  switch (c) {
    case '0': return {7, 5, 5, 5, 7};
    case '1': return {2, 6, 2, 2, 7};
    case '2': return {7, 1, 7, 4, 7};
    case '3': return {7, 1, 7, 1, 7};
    case '4': return {5, 5, 7, 1, 1};
    case '5': return {7, 4, 7, 1, 7};
    case '6': return {7, 4, 7, 5, 7};
    case '7': return {7, 1, 1, 1, 1};
    case '8': return {7, 5, 7, 5, 7};
    case '9': return {7, 5, 7, 1, 7};
    case '.': return {0, 0, 0, 0, 2};
    case 's': return {0, 3, 6, 1, 6};
    default: return {0, 0, 0, 0, 0};
  }
}

void draw_label(RgbCanvas& canvas, const char* text, int left, int top) {
  for (int n = 0; text[n]; ++n) {
    const auto rows = glyph_rows(text[n]);
    for (int row = 0; row < 5 * label_scale; ++row) {
      for (int col = 0; col < 3 * label_scale; ++col) {
        if (rows[row / label_scale] & (4 >> (col / label_scale))) {
          canvas.put(left + n * 4 * label_scale + col, top + row, label_colour);
        }
      }
    }
  }
}

void paste_frame(RgbCanvas& canvas, const SheetFrame& frame, int left, int top) {
  for (int y = 0; y < thumb_height; ++y) {
    for (int x = 0; x < thumb_width; ++x) {
      const std::uint8_t* p = &frame.rgb[(static_cast<std::size_t>(y) * thumb_width + x) * 3];
      canvas.put(left + x, top + y, {p[0], p[1], p[2]});
    }
  }
  char label[32];
  std::snprintf(label, sizeof label, "%.2fs", frame.at_ms * 0.001);
  draw_label(canvas, label, left, top + thumb_height + gap / 2);
}

}  // namespace

SheetFrame make_sheet_frame(const std::uint16_t* pixels, std::uint32_t at_ms) {
  SheetFrame frame{at_ms, std::vector<std::uint8_t>(static_cast<std::size_t>(thumb_width) * thumb_height * 3)};
  for (int y = 0; y < thumb_height; ++y) {
    for (int x = 0; x < thumb_width; ++x) {
      int sum[3] = {0, 0, 0};
      for (int dy = 0; dy < 2; ++dy) {
        for (int dx = 0; dx < 2; ++dx) {
          const Rgb888 c = base::unpack_rgb565(pixels[(2 * y + dy) * base::frame_width + 2 * x + dx]);
          sum[0] += c.r;
          sum[1] += c.g;
          sum[2] += c.b;
        }
      }
      std::uint8_t* out = &frame.rgb[(static_cast<std::size_t>(y) * thumb_width + x) * 3];
      for (int k = 0; k < 3; ++k) out[k] = static_cast<std::uint8_t>((sum[k] + 2) / 4);
    }
  }
  return frame;
}

std::vector<std::uint64_t> sheet_frame_numbers(std::uint64_t count, std::uint64_t every) {
  if (count == 0 || every == 0) return {};
  const std::uint64_t written = (count - 1) / every + 1;
  const std::uint64_t shown = written < sheet_max_frames ? written : sheet_max_frames;
  std::vector<std::uint64_t> numbers;
  for (std::uint64_t k = 0; k < shown; ++k) {
    const std::uint64_t index = shown == 1 ? 0 : k * (written - 1) / (shown - 1);
    numbers.push_back(index * every);
  }
  return numbers;
}

std::vector<std::uint8_t> make_preview_sheet(const std::vector<SheetFrame>& frames) {
  const int count = static_cast<int>(frames.size());
  const int columns = count < sheet_columns ? (count > 0 ? count : 1) : sheet_columns;
  const int rows = (count + columns - 1) / columns;
  RgbCanvas canvas(gap + columns * (thumb_width + gap),
                   gap + (rows > 0 ? rows : 1) * (thumb_height + label_height + gap), background);
  for (int i = 0; i < count; ++i) {
    paste_frame(canvas, frames[i], gap + (i % columns) * (thumb_width + gap),
                gap + (i / columns) * (thumb_height + label_height + gap));
  }
  return encode_png(canvas);
}

}  // namespace tools
