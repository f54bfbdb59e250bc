// The picture scaled into a window's own pixels: where it stands between the bars, which source pixel
// each screen pixel shows, and that nothing outside its rectangle is touched.
#include "platform/sdl/nearest_scale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

using platform::sdl::PictureRect;

struct PlaceCase {
  const char* name;
  int width, height;
  bool keep_aspect;
  PictureRect expected;
};

const PlaceCase place_cases[] = {
    {"16:9 full screen: bars left and right", 1920, 1080, true, {240, 0, 1440, 1080}},
    {"4:3 full screen: no bars", 1024, 768, true, {0, 0, 1024, 768}},
    {"720 lines", 1280, 720, true, {160, 0, 960, 720}},
    {"odd spare column goes right", 1281, 720, true, {160, 0, 960, 720}},
    {"square: bars above and below", 800, 800, true, {0, 100, 800, 600}},
    {"the picture's own size", 640, 480, true, {0, 0, 640, 480}},
    {"a window stretches", 1000, 300, false, {0, 0, 1000, 300}},
};

TEST(PictureRectTest, FullScreenFitsTheShapeInTheMiddleAndWindowsStretch) {
  for (const PlaceCase& c : place_cases) {
    SCOPED_TRACE(c.name);
    const PictureRect got = platform::sdl::picture_rect_in(c.width, c.height, 640, 480, c.keep_aspect);
    EXPECT_EQ(got.x, c.expected.x);
    EXPECT_EQ(got.y, c.expected.y);
    EXPECT_EQ(got.width, c.expected.width);
    EXPECT_EQ(got.height, c.expected.height);
  }
}

struct ScaleCase {
  const char* name;
  PictureRect rect;
};

// A source of 8 x 6 pixels into a surface of 24 x 16 with a gap after each row.
constexpr int source_width = 8;
constexpr int source_height = 6;
constexpr int surface_width = 24;
constexpr int surface_height = 16;

const ScaleCase scale_cases[] = {
    {"same size", {3, 2, 8, 6}},
    {"twice the size", {0, 0, 16, 12}},
    {"not a whole multiple", {5, 1, 18, 13}},
    {"smaller than the source", {1, 1, 5, 4}},
    {"one pixel", {7, 9, 1, 1}},
    {"the whole surface", {0, 0, surface_width, surface_height}},
};

template <typename Pixel>
Pixel source_pixel(int x, int y) {
  return static_cast<Pixel>(0x81000000u + static_cast<unsigned>(y * 97 + x * 13 + 1));
}

// The source pixel under the centre of a target pixel, worked out in floating point.
int under_centre(int at, int count, int source_count) {
  return static_cast<int>(std::floor((at + 0.5) * source_count / count));
}

template <typename Pixel>
void check_every_case() {
  std::vector<Pixel> source(source_width * source_height);
  for (int y = 0; y < source_height; ++y) {
    for (int x = 0; x < source_width; ++x) source[y * source_width + x] = source_pixel<Pixel>(x, y);
  }
  // Rows longer than the surface is wide, as a surface's may be, and aligned to the pixel as a surface's are.
  constexpr std::ptrdiff_t pitch = surface_width * sizeof(Pixel) + 12;
  constexpr std::uint8_t untouched = 0xCD;
  // One column table for every case, as the display keeps one across sizes.
  std::vector<int> columns;
  for (const ScaleCase& c : scale_cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::uint8_t> surface(pitch * surface_height, untouched);

    platform::sdl::scale_nearest(source.data(), source_width, source_height, surface.data(), pitch, c.rect, columns);

    for (int y = 0; y < surface_height; ++y) {
      for (std::ptrdiff_t b = 0; b < pitch; ++b) {
        const auto x = static_cast<int>(b / static_cast<std::ptrdiff_t>(sizeof(Pixel)));
        const bool inside = x < surface_width && x >= c.rect.x && x < c.rect.x + c.rect.width && y >= c.rect.y &&
                            y < c.rect.y + c.rect.height;
        if (!inside) {
          ASSERT_EQ(surface[y * pitch + b], untouched) << "byte " << b << " of row " << y;
        }
      }
    }
    for (int y = 0; y < c.rect.height; ++y) {
      for (int x = 0; x < c.rect.width; ++x) {
        Pixel got;
        std::memcpy(&got, surface.data() + (c.rect.y + y) * pitch + (c.rect.x + x) * sizeof(Pixel), sizeof got);
        const Pixel expected = source_pixel<Pixel>(under_centre(x, c.rect.width, source_width),
                                                   under_centre(y, c.rect.height, source_height));
        ASSERT_EQ(got, expected) << "pixel (" << x << ", " << y << ") of the picture";
      }
    }
  }
}

TEST(ScaleNearestTest, EachPixelShowsTheSourcePixelUnderItsCentreAndNothingOutsideChanges) {
  {
    SCOPED_TRACE("four bytes a pixel");
    check_every_case<std::uint32_t>();
  }
  {
    SCOPED_TRACE("two bytes a pixel");
    check_every_case<std::uint16_t>();
  }
}

TEST(ScaleNearestTest, TwiceTheSizeShowsEachSourcePixelAsASquareOfFour) {
  std::vector<std::uint32_t> source(source_width * source_height);
  for (std::size_t i = 0; i < source.size(); ++i) source[i] = static_cast<std::uint32_t>(i + 1);
  std::vector<std::uint32_t> target(source_width * 2 * source_height * 2);
  std::vector<int> columns;
  platform::sdl::scale_nearest(source.data(), source_width, source_height, reinterpret_cast<std::uint8_t*>(target.data()),
                               source_width * 2 * 4, {0, 0, source_width * 2, source_height * 2}, columns);
  for (int y = 0; y < source_height * 2; ++y) {
    for (int x = 0; x < source_width * 2; ++x) {
      ASSERT_EQ(target[y * source_width * 2 + x], source[(y / 2) * source_width + x / 2]) << "(" << x << ", " << y << ")";
    }
  }
}

}  // namespace
