// The full-screen copy into a back buffer: rows land at the surface's pitch, and the bytes between rows
// are left alone.
#include "platform/win32/pitched_copy.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

struct PitchCase {
  const char* name;
  int width;
  int height;
  std::ptrdiff_t pitch;
};

constexpr std::uint8_t untouched = 0xCD;

const PitchCase pitch_cases[] = {
    {"rows touching, one block", 640, 480, 1280},
    {"wider surface, row by row", 640, 480, 1536},
    {"one byte of gap", 5, 3, 11},
    {"a single row", 7, 1, 64},
};

std::uint16_t pixel_at(int x, int y) { return static_cast<std::uint16_t>(y * 7919 + x * 31 + 1); }

TEST(PitchedCopyTest, EveryPixelLandsAtItsRowAndColumnAndGapsStayAsTheyWere) {
  for (const PitchCase& c : pitch_cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::uint16_t> pixels(static_cast<std::size_t>(c.width) * c.height);
    for (int y = 0; y < c.height; ++y) {
      for (int x = 0; x < c.width; ++x) pixels[static_cast<std::size_t>(y) * c.width + x] = pixel_at(x, y);
    }
    std::vector<std::uint8_t> surface(static_cast<std::size_t>(c.pitch) * c.height, untouched);

    platform::win32::copy_to_pitched_surface(surface.data(), c.pitch, pixels.data(), c.width, c.height);

    const std::ptrdiff_t row_bytes = c.width * 2;
    for (int y = 0; y < c.height; ++y) {
      const std::uint8_t* row = surface.data() + y * c.pitch;
      for (int x = 0; x < c.width; ++x) {
        std::uint16_t got;
        std::memcpy(&got, row + 2 * x, sizeof got);
        ASSERT_EQ(got, pixel_at(x, y)) << "pixel (" << x << ", " << y << ")";
      }
      for (std::ptrdiff_t b = row_bytes; b < c.pitch; ++b) ASSERT_EQ(row[b], untouched) << "row " << y << " gap " << b;
    }
  }
}

}  // namespace
