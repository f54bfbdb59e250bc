// Rasterizer: the fill and winding rules, the depth test with its left-neighbour quirk, texel and shade
// reads, and corners far outside the screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <vector>

#include "base/frame_geometry.h"
#include "base/rgb565.h"
#include "base/shade_table.h"
#include "engine3d/object_texture.h"
#include "engine3d/rasterizer.h"

namespace {

using engine3d::Fixed16;
using engine3d::ScreenCorner;
using engine3d::ScreenTriangle;

constexpr int width = base::frame_width;
constexpr Fixed16 one = base::fixed_one;

// A corner at pixel (x, y) with a shade level and an integer depth; u and v 0.
ScreenCorner corner(double x, double y, int shade = 12, int depth = 1) {
  return {static_cast<Fixed16>(x * one), static_cast<Fixed16>(y * one), 0, 0, shade * one, depth * one};
}

// A triangle whose only pixel is (x, y): its corners lie half a pixel around it.
ScreenTriangle single_pixel(int x, int y, Fixed16 depth) {
  ScreenTriangle t{{corner(x - 0.5, y - 0.5), corner(x - 0.5, y + 0.5), corner(x + 1.5, y + 0.5)}};
  for (auto& c : t.corners) c.depth = depth;
  return t;
}

class RasterizerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(engine3d::allocate_depth_buffer(depth));
    // A probe table: the written pixel tells the level and the texel that were read.
    for (int level = 0; level < base::shade_level_count; ++level) {
      for (int texel = 0; texel < base::palette_size; ++texel) {
        shades[level][texel] = static_cast<std::uint16_t>(0x8000 | level << 8 | texel);
      }
    }
    texture.fill(7);
  }
  void draw(const ScreenTriangle& t) { engine3d::rasterize_triangle(t, frame.data(), texture, shades, depth); }
  std::uint16_t& pixel(int x, int y) { return frame[y * width + x]; }
  std::int16_t& stored_depth(int x, int y) { return depth.entries()[y * width + x]; }
  int written() const {
    int n = 0;
    for (std::uint16_t p : frame) n += p != 0;
    return n;
  }

  std::vector<std::uint16_t> frame = std::vector<std::uint16_t>(base::frame_pixel_count, 0);
  engine3d::DepthBuffer depth;
  engine3d::TextureMap texture{};
  base::ShadeTable shades{};
};

TEST_F(RasterizerTest, FillsRowsAndColumnsFromTheCeilingOfTopAndLeftUpToTheCeilingOfBottomAndRight) {
  draw({{corner(10, 10), corner(10, 20), corner(20, 20)}});
  EXPECT_EQ(written(), 45);
  for (int r = 10; r <= 19; ++r) {
    for (int k = 0; k < width; ++k) EXPECT_EQ(pixel(k, r) != 0, k >= 10 && k < r) << k << "," << r;
  }
}

TEST_F(RasterizerTest, FillsOnlyCounterClockwiseTrianglesWithArea) {
  struct Case {
    const char* what;
    ScreenTriangle triangle;
    int pixels;
  };
  const Case cases[] = {
      {"counter-clockwise", {{corner(10, 10), corner(10, 20), corner(20, 20)}}, 45},
      {"same corners, clockwise", {{corner(10, 10), corner(20, 20), corner(10, 20)}}, 0},
      {"started from another corner", {{corner(10, 20), corner(20, 20), corner(10, 10)}}, 45},
      {"corners on one line", {{corner(10, 10), corner(15, 15), corner(20, 20)}}, 0},
      {"two corners the same", {{corner(10, 10), corner(10, 10), corner(20, 20)}}, 0},
      {"flat within one row", {{corner(10, 10.2), corner(10, 10.8), corner(30, 10.5)}}, 0},
  };
  for (const Case& c : cases) {
    frame.assign(frame.size(), 0);
    engine3d::clear_depth_buffer(depth);
    draw(c.triangle);
    EXPECT_EQ(written(), c.pixels) << c.what;
  }
}

TEST_F(RasterizerTest, NeighbouringTrianglesFillTheirSharedEdgeOnce) {
  // A 20 x 20 square split along its diagonal, each half into its own frame.
  draw({{corner(10, 10), corner(10, 30), corner(30, 30)}});
  const auto lower = frame;
  frame.assign(frame.size(), 0);
  engine3d::clear_depth_buffer(depth);
  draw({{corner(10, 10), corner(30, 30), corner(30, 10)}});
  int both = 0, either = 0;
  for (std::size_t i = 0; i < frame.size(); ++i) {
    both += lower[i] && frame[i];
    either += lower[i] || frame[i];
  }
  EXPECT_EQ(both, 0);
  EXPECT_EQ(either, 400);
}

TEST_F(RasterizerTest, DepthTestReadsTheLeftNeighbourAsTheLowerHalf) {
  struct Case {
    std::int16_t stored, left_neighbour;
    Fixed16 depth;
    bool written;
  };
  const Case cases[] = {
      {100, 0, 100 * one + one / 2, true},      // 100.5 over 100
      {100, 0, 99 * one + one * 9 / 10, false},  // 99.9 under 100
      {100, 0, 100 * one, false},               // equal is not nearer
      {100, 0, 100 * one + 1, true},
      {100, 60, 100 * one + 50, false},  // nearer than 100, but not than 100 + 60/65536
      {100, 60, 100 * one + 61, true},
  };
  for (const Case& c : cases) {
    engine3d::clear_depth_buffer(depth);
    pixel(50, 40) = 0;
    stored_depth(50, 40) = c.stored;
    stored_depth(49, 40) = c.left_neighbour;
    draw(single_pixel(50, 40, c.depth));
    EXPECT_EQ(pixel(50, 40) != 0, c.written) << c.stored << " " << c.left_neighbour << " " << c.depth;
    EXPECT_EQ(stored_depth(50, 40), c.written ? c.depth >> 16 : c.stored);
  }
}

TEST_F(RasterizerTest, AfterClearingEveryPositiveDepthPassesEvenAtTheFirstPixel) {
  const int entries = base::frame_pixel_count + engine3d::depth_buffer_spare_entries;
  for (int i = -1; i < entries - 1; ++i) depth.entries()[i] = 12345;
  engine3d::clear_depth_buffer(depth);
  for (int i = -1; i < entries - 1; ++i) ASSERT_EQ(depth.entries()[i], 0) << i;
  // Pixel (0, 0) reads the spare entry in front of the buffer as its left neighbour.
  const int places[][2] = {{0, 0}, {1, 0}, {0, 1}, {320, 240}, {639, 479}};
  for (const auto& p : places) {
    draw(single_pixel(p[0], p[1], 1));
    EXPECT_NE(pixel(p[0], p[1]), 0) << p[0] << "," << p[1];
    draw(single_pixel(p[0] + 1 < width ? p[0] + 1 : p[0] - 1, p[1], 0));  // depth 0 is not in front
  }
  EXPECT_EQ(written(), 5);
}

TEST_F(RasterizerTest, ClearingTheDrawnRowsLeavesTheWholeBufferAsAFullClearDoes) {
  const ScreenTriangle triangles[] = {
      {{corner(10, 10), corner(10, 20), corner(20, 20)}},
      {{corner(-1000, -1000), corner(-1000, 5000), corner(9000, -1000)}},  // the whole screen
      {{corner(100, -30), corner(100, 5), corner(130, 5)}},                   // across the top
      {{corner(600, 470), corner(600, 900), corner(650, 900)}},               // across the bottom
      {{corner(10, 10), corner(20, 20), corner(10, 20)}},                     // the winding drawing nothing
  };
  const int entries = base::frame_pixel_count + engine3d::depth_buffer_spare_entries;
  for (const ScreenTriangle& t : triangles) {
    engine3d::clear_depth_buffer(depth);
    draw(t);
    draw(single_pixel(300, 200, 7 * one));
    engine3d::clear_drawn_depth(depth);
    for (int i = -1; i < entries - 1; ++i) ASSERT_EQ(depth.entries()[i], 0) << i;
  }
  engine3d::clear_drawn_depth(depth);  // nothing drawn since: nothing to clear
  for (int i = -1; i < entries - 1; ++i) ASSERT_EQ(depth.entries()[i], 0) << i;
}

TEST_F(RasterizerTest, ReadsTexelUPlus256VModulo65536AndShadeLevelsHeldTo0To31) {
  for (int i = 0; i < engine3d::texture_map_size; ++i) texture[i] = static_cast<std::uint8_t>(i * 31 / 7);
  struct Case {
    Fixed16 u, v, shade;
    int texel_index, level;
  };
  const Case cases[] = {
      {5 * one, 3 * one, 12 * one, 5 + 3 * 256, 12},
      {one, one, 0, 257, 0},
      {300 * one, 0, 31 * one, 300, 31},
      {0, 300 * one, 5 * one, (300 * 256) % 65536, 5},
      {-one, 0, 5 * one, 65535, 5},
      {0, 0, 40 * one, 0, 31},        // above the table: the brightest level
      {0, 0, -3 * one, 0, 0},         // below it: black
      {0, 0, 255 * one, 0, 31},
      {0, 0, INT_MIN, 0, 0},
  };
  for (const Case& c : cases) {
    engine3d::clear_depth_buffer(depth);
    ScreenTriangle t = single_pixel(100, 100, one);
    for (auto& corner : t.corners) {
      corner.u = c.u;
      corner.v = c.v;
      corner.shade = c.shade;
    }
    draw(t);
    EXPECT_EQ(pixel(100, 100), shades[c.level][texture[c.texel_index]]) << c.u << " " << c.v << " " << c.shade;
  }
}

TEST_F(RasterizerTest, ShadeTwelveWritesThePaletteColourAndZeroBlack) {
  std::vector<std::uint32_t> palette(256, 0);
  palette[7] = 200 | 100 << 8 | 50 << 16;
  engine3d::object_shades(palette, shades);
  const struct {
    int level;
    std::uint16_t colour;
  } cases[] = {{12, base::pack_rgb565(200, 100, 50)}, {0, 0x0000}};
  for (const auto& c : cases) {
    engine3d::clear_depth_buffer(depth);
    pixel(30, 30) = 0x1234;
    ScreenTriangle t = single_pixel(30, 30, one);
    for (auto& corner : t.corners) corner.shade = c.level * one;
    draw(t);
    EXPECT_EQ(pixel(30, 30), c.colour) << c.level;
  }
}

TEST_F(RasterizerTest, CornersOffTheScreenDrawOnlyInsideIt) {
  using Raw = ScreenCorner;
  struct Case {
    const char* what;
    ScreenTriangle triangle;
    int pixels;  // -1: any number
  };
  const Case cases[] = {
      {"covering the whole screen", {{corner(-1000, -1000), corner(-1000, 5000), corner(9000, -1000)}},
       base::frame_pixel_count},
      {"far corners within 16.16", {{corner(-32000, -100), corner(-32000, 32000), corner(32000, -100)}},
       base::frame_pixel_count},
      {"left of the screen", {{corner(-50, 10), corner(-50, 20), corner(-40, 20)}}, 0},
      {"right of the screen", {{corner(650, 10), corner(650, 20), corner(700, 20)}}, 0},
      {"above the screen", {{corner(10, -30), corner(10, -20), corner(20, -20)}}, 0},
      {"below the screen", {{corner(10, 500), corner(10, 510), corner(20, 510)}}, 0},
      // Columns 0 … 2r − 31 of rows 16 … 19.
      {"across the left edge", {{corner(-10, 10), corner(-10, 20), corner(10, 20)}}, 2 + 4 + 6 + 8},
      {"most extreme corners", {{Raw{INT_MIN, INT_MIN}, Raw{INT_MIN, INT_MAX}, Raw{INT_MAX, INT_MAX}}}, -1},
      {"most extreme, other winding", {{Raw{INT_MAX, INT_MIN}, Raw{INT_MIN, INT_MAX}, Raw{INT_MIN, INT_MIN}}}, -1},
      {"a sliver a pixel high and miles wide",
       {{corner(-30000, 100), corner(-30000, 100.9), corner(30000, 101.1)}}, -1},
      {"a sliver with steep gradients",
       {{Raw{0, 10 * one, INT_MAX, INT_MIN, INT_MAX, INT_MAX}, Raw{0, 11 * one, INT_MIN, INT_MAX, INT_MIN, INT_MIN},
         Raw{1000 * one, 10 * one + 1, 0, 0, 0, 0}}},
       -1},
  };
  for (const Case& c : cases) {
    frame.assign(frame.size(), 0);
    engine3d::clear_depth_buffer(depth);
    draw(c.triangle);
    if (c.pixels >= 0) {
      EXPECT_EQ(written(), c.pixels) << c.what;
    }
  }
}

TEST(RasterizerWithoutDepthBuffer, DrawsNothingAndClearingDoesNothing) {
  engine3d::DepthBuffer none;
  engine3d::clear_depth_buffer(none);
  std::vector<std::uint16_t> frame(base::frame_pixel_count, 0);
  engine3d::TextureMap texture{};
  base::ShadeTable shades;
  for (auto& level : shades) level.fill(0xFFFF);
  engine3d::rasterize_triangle({{corner(10, 10), corner(10, 20), corner(20, 20)}}, frame.data(), texture, shades, none);
  EXPECT_EQ(std::count(frame.begin(), frame.end(), 0), base::frame_pixel_count);
}

}  // namespace
