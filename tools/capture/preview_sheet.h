// The contact sheet of a preview: frames of the run as half-size thumbnails in a grid, each with its time.
#pragma once

#include <cstdint>
#include <vector>

namespace tools {

inline constexpr int sheet_columns = 4;
inline constexpr int sheet_max_frames = 16;

struct SheetFrame {
  std::uint32_t at_ms = 0;        // on the program's clock
  std::vector<std::uint8_t> rgb;  // 320x240, 8-bit RGB
};

// A 640x480 RGB565 frame halved by averaging each 2x2 block.
SheetFrame make_sheet_frame(const std::uint16_t* pixels, std::uint32_t at_ms);

// Which of `count` frames numbered 0, every, 2·every, ... go on the sheet: at most sheet_max_frames,
// spread evenly from the first to the last.
std::vector<std::uint64_t> sheet_frame_numbers(std::uint64_t count, std::uint64_t every);

// PNG bytes of the sheet, frames row by row in the order given.
std::vector<std::uint8_t> make_preview_sheet(const std::vector<SheetFrame>& frames);

}  // namespace tools
