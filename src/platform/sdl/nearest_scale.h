// Nearest-pixel scaling of the picture into a rectangle of a window's own pixels, for displays whose
// renderer would draw in software anyway: one pass of the processor instead of a software GL's textured
// quad, full-screen clear and back-buffer copy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace platform::sdl {

struct PictureRect {
  int x, y, width, height;  // pixels of the window's client area
};

// Where the picture stands in a client area of `width` x `height`: at the largest size with the
// picture's shape in the middle of it (the rest are black bars), or stretched over all of it.
inline PictureRect picture_rect_in(int width, int height, int picture_width, int picture_height, bool keep_aspect) {
  if (!keep_aspect) return {0, 0, width, height};
  const auto wide = static_cast<std::int64_t>(width) * picture_height;
  const auto tall = static_cast<std::int64_t>(height) * picture_width;
  if (wide > tall) {
    const int fitted = static_cast<int>(tall / picture_height);
    return {(width - fitted) / 2, 0, fitted, height};
  }
  const int fitted = static_cast<int>(wide / picture_width);
  return {0, (height - fitted) / 2, width, fitted};
}

// The source pixel under the centre of pixel `at` of `count` when `source_count` pixels span them.
inline int nearest_source(int at, int count, int source_count) {
  return static_cast<int>((2 * static_cast<std::int64_t>(at) + 1) * source_count / (2 * static_cast<std::int64_t>(count)));
}

// Scales `source` (`source_width` x `source_height` pixels, rows touching) onto `rect` of `target`,
// whose rows lie `pitch` bytes apart (a multiple of the pixel's size, as a surface's pitch is); nothing
// outside `rect` is written. `columns` keeps the source column of each target column between calls with
// one source width, so that a frame allocates nothing once the size holds.
// A target row that shows the same source row as the one above it is a copy of that one.
template <typename Pixel>
void scale_nearest(const Pixel* source, int source_width, int source_height, std::uint8_t* target,
                   std::ptrdiff_t pitch, PictureRect rect, std::vector<int>& columns) {
  if (rect.width <= 0 || rect.height <= 0) return;
  if (columns.size() != static_cast<std::size_t>(rect.width)) {
    columns.resize(static_cast<std::size_t>(rect.width));
    for (int x = 0; x < rect.width; ++x) columns[static_cast<std::size_t>(x)] = nearest_source(x, rect.width, source_width);
  }
  const std::size_t row_bytes = static_cast<std::size_t>(rect.width) * sizeof(Pixel);
  std::uint8_t* first = target + rect.y * pitch + static_cast<std::ptrdiff_t>(rect.x) * static_cast<std::ptrdiff_t>(sizeof(Pixel));
  int shown_row = -1;
  for (int y = 0; y < rect.height; ++y) {
    std::uint8_t* row = first + y * pitch;
    const int source_row = nearest_source(y, rect.height, source_height);
    if (source_row == shown_row) {
      std::memcpy(row, row - pitch, row_bytes);
      continue;
    }
    const Pixel* from = source + static_cast<std::ptrdiff_t>(source_row) * source_width;
    Pixel* to = reinterpret_cast<Pixel*>(row);
    for (int x = 0; x < rect.width; ++x) to[x] = from[columns[static_cast<std::size_t>(x)]];
    shown_row = source_row;
  }
}

}  // namespace platform::sdl
