// Shared helpers: RGB565 packing, the component tables, 16.16 fixed point and the float-to-int conversion.
#include <gtest/gtest.h>

#include <climits>

#include "base/fixed_point.h"
#include "base/rgb565.h"

namespace {

TEST(PackRgb565, ClampsAndPacksTopBits) {
  struct Case {
    int r, g, b;
    std::uint16_t packed;
  };
  const Case cases[] = {
      {0, 0, 0, 0x0000},       {255, 255, 255, 0xFFFF}, {255, 0, 0, 0xF800},  {0, 255, 0, 0x07E0},
      {0, 0, 255, 0x001F},     {8, 4, 8, 0x0821},       {7, 3, 7, 0x0000},    {-5, 300, 128, 0x07F0},
      {1000, -1, -1000, 0xF800}, {128, 128, 128, 0x8410},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(base::pack_rgb565(c.r, c.g, c.b), c.packed) << c.r << "," << c.g << "," << c.b;
  }
}

TEST(ColourTables, HoldOneComponentEach) {
  EXPECT_EQ(base::set_up_pixel_format(), 1);
  const auto& t = base::colour_tables;
  EXPECT_EQ(t.red[255], 0xF800);
  EXPECT_EQ(t.green[255], 0x07E0);
  EXPECT_EQ(t.blue[255], 0x001F);
  for (int i = 0; i < 256; ++i) {
    EXPECT_EQ(t.red[i], base::pack_rgb565(i, 0, 0));
    EXPECT_EQ(t.green[i], base::pack_rgb565(0, i, 0));
    EXPECT_EQ(t.blue[i], base::pack_rgb565(0, 0, i));
  }
}

TEST(FixedPoint, MultiplyKeepsSixteenFractionBits) {
  struct Case {
    base::Fixed16 a, b, product;
  };
  const Case cases[] = {
      {0x20000, 0x20000, 0x40000},        // 2 x 2 = 4: the high half of the product counts
      {0x18000, 0x20000, 0x30000},        // 1.5 x 2
      {-0x10000, 0x8000, -0x8000},        // -1 x 0.5
      {-0x18000, -0x18000, 0x24000},      // -1.5 x -1.5 = 2.25
      {1, 1, 0},                          // below the resolution
      {-1, 1, -1},                        // arithmetic shift rounds toward minus infinity
      {0x7FFF0000, 0x20000, -0x20000},    // 32767 x 2 wraps to the low 32 bits
      {0x1000000, 0x1000000, 0},          // 256 x 256 = 65536: wraps to 0
  };
  for (const Case& c : cases) EXPECT_EQ(base::fix_mul(c.a, c.b), c.product) << c.a << " x " << c.b;
}

TEST(FixedPoint, CeilIsSmallestIntegerNotBelow) {
  struct Case {
    base::Fixed16 a;
    int ceil;
  };
  const Case cases[] = {{0, 0},        {1, 1},         {0x10000, 1},   {0x10001, 2}, {0x1FFFF, 2},
                        {-1, 0},       {-0x8000, 0},   {-0x10000, -1}, {-0x18000, -1}, {-0x10001, -1},
                        {0x7FFF0000, 32767}};
  for (const Case& c : cases) EXPECT_EQ(base::fix_ceil(c.a), c.ceil) << c.a;
}

TEST(FixedPoint, RasterizerHelpers) {
  constexpr base::Fixed16 one = base::fixed_one;
  struct Case {
    const char* what;
    base::Fixed16 result, expected;
  };
  const Case cases[] = {
      {"fix_ceil(65536)", base::fix_ceil(65536), 1},
      {"fix_ceil(65537)", base::fix_ceil(65537), 2},
      {"fix_ceil(0)", base::fix_ceil(0), 0},
      {"fix_ceil(-1)", base::fix_ceil(-1), 0},
      {"fix_ceil(-65537)", base::fix_ceil(-65537), -1},
      {"fix_mul(3, 0.5)", base::fix_mul(3 * one, one / 2), 98304},
      {"fix_div(1, 2)", base::fix_div(one, 2 * one), 32768},
      {"fix_div(-1, 3) truncates toward zero", base::fix_div(-one, 3 * one), -21845},
      {"fix_div(10, -4)", base::fix_div(10 * one, -4 * one), -2 * one - one / 2},
      {"fix_div keeps the low 32 bits", base::fix_div(0x10000, 1), 0},
      {"fix_mul14(1, 2^14)", base::fix_mul14(one, 1 << 14), one},
      {"fix_mul14(-3, 2^14)", base::fix_mul14(-3, 1 << 14), -3},
      {"fix_mul14 of x step 2^30 / Δy", base::fix_mul14(10 * one, (1 << 30) / (2 * one)), 5 * one},
      {"fix_mul14 keeps the low 32 bits", base::fix_mul14(1 << 30, 1 << 30), 0},
  };
  for (const Case& c : cases) EXPECT_EQ(c.result, c.expected) << c.what;
}

TEST(TruncateToInt32, TruncatesTowardZeroAndSaturates) {
  EXPECT_EQ(base::truncate_to_int32(2.9), 2);
  EXPECT_EQ(base::truncate_to_int32(-2.9), -2);
  EXPECT_EQ(base::truncate_to_int32(1e30), INT_MAX);
  EXPECT_EQ(base::truncate_to_int32(-1e30), INT_MIN);
  EXPECT_EQ(base::truncate_to_int32(0.0 / 0.0), 0);
}

}  // namespace
