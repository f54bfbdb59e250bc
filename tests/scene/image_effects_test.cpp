// Effect tables, the lit logo, blobs and shaded images.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "base/frame_geometry.h"
#include "base/rgb565.h"
#include "scene/effect_tables.h"
#include "scene/image_effects.h"
#include "scene/particles.h"
#include "scene/shaded_image.h"
#include "support/grey_logo.h"

namespace {

std::uint16_t rgb(int r5, int g6, int b5) { return static_cast<std::uint16_t>((r5 << 11) | (g6 << 5) | b5); }

using test_support::grey_logo;

class EffectTablesTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    base::set_up_pixel_format();
    tables = std::make_unique<scene::EffectTables>();
    scene::fill_saturating_double_table(*tables);
    scene::fill_light_map(*tables);
  }
  static std::unique_ptr<scene::EffectTables> tables;
};
std::unique_ptr<scene::EffectTables> EffectTablesTest::tables;

TEST_F(EffectTablesTest, SpotValues) {
  const auto light = [](int row, int column) { return tables->light_map[row * scene::light_map_width + column]; };
  EXPECT_EQ(light(485, 645), 31);     // the light's centre is at (645, 485), not the frame's centre
  EXPECT_EQ(light(485, 645 + 300), 9);  // d = 100: 31 - 31 sin(0.785)
  EXPECT_EQ(light(485, 645 - 599), 0);  // d just below 200: sin is almost 1
  EXPECT_EQ(light(0, 0), 0);            // farther than 600 pixels
  EXPECT_EQ(light(959, 1279), 0);

  const auto& twice = tables->saturating_double_table;
  EXPECT_EQ(twice[0xFFFF], 0xFFFF);
  EXPECT_EQ(twice[0], 0);
  EXPECT_EQ(twice[rgb(8, 16, 8)], rgb(16, 32, 16));
  EXPECT_EQ(twice[rgb(20, 40, 3)], rgb(31, 63, 6));

  scene::ParticlePool pool;
  scene::reset_particles(pool);
  const auto& add = pool.particle_add_table;
  EXPECT_EQ(add[0], 0);
  EXPECT_EQ(add[0xFFFF], 0xFFFF);
  EXPECT_EQ(add[rgb(0, 0, 7)], rgb(0, 0, 28));
  EXPECT_EQ(add[rgb(0, 0, 8)], rgb(0, 0, 31));
  EXPECT_EQ(add[rgb(15, 31, 0)], rgb(30, 62, 0));
}

TEST_F(EffectTablesTest, BumpMapFollowsTheLogoSlopeAndKeepsItsBorderZero) {
  // Brightness 3 * (x + 2y): one column to the right adds 3, one row down adds 6.
  const base::Image logo = grey_logo([](int x, int y) { return static_cast<std::uint8_t>((x + 2 * y) & 0x3F); });
  ASSERT_TRUE(scene::fill_bump_map(logo, *tables));
  const auto entry = [](int x, int y) { return tables->bump_map[y * base::frame_width + x]; };
  EXPECT_EQ(entry(10, 10).dx, -6);
  EXPECT_EQ(entry(10, 10).dy1280, -12 * 1280);
  for (const auto& [x, y] : {std::pair{0, 10}, {639, 10}, {10, 0}, {10, 479}, {0, 0}, {639, 479}}) {
    EXPECT_EQ(entry(x, y).dx, 0);
    EXPECT_EQ(entry(x, y).dy1280, 0);
  }
}

TEST_F(EffectTablesTest, LogoShadesLiftTowardWhite) {
  base::Image logo = grey_logo([](int, int) { return 0; });
  logo.palette[5] = 100 | (40 << 8) | (200 << 16);
  scene::fill_logo_shades(logo, *tables);
  EXPECT_EQ(tables->logo_shades[20][5], base::pack_rgb565(100, 40, 200));  // the palette itself
  EXPECT_EQ(tables->logo_shades[10][5], base::pack_rgb565(50, 20, 100));
  EXPECT_EQ(tables->logo_shades[24][5], base::pack_rgb565(120, 48, 240));
  EXPECT_EQ(tables->logo_shades[25][5], base::pack_rgb565(125 + 16, 50 + 16, 250 + 16));
  EXPECT_EQ(tables->logo_shades[31][255], 0xFFFF);
}

TEST_F(EffectTablesTest, LitLogoCoversTheFrameAndClampsItsLightLookups) {
  const base::Image logo = grey_logo([](int, int) { return 7; });
  scene::EffectTables lit;
  // Shade level L of every colour is a pixel that says L, so the frame shows which light level was read.
  for (int level = 0; level < base::shade_level_count; ++level) lit.logo_shades[level].fill(static_cast<std::uint16_t>(0x100 + level));
  // Column 0 of every row reads 5, row 0 reads 3 elsewhere, row 958 reads 9 everywhere, the rest 1.
  std::fill(lit.light_map.begin(), lit.light_map.end(), 1);
  std::fill_n(lit.light_map.begin(), scene::light_map_width, 3);
  for (int row = 0; row < scene::light_map_height; ++row) lit.light_map[row * scene::light_map_width] = 5;
  std::fill_n(lit.light_map.begin() + 958 * scene::light_map_width, scene::light_map_width, 9);
  // At 0 ms the light stands at (440, 340): pixel (x, y) looks up column 440 + x + dx, row 340 + y + dy.
  struct Case {
    int x, y, dx, dy;
    std::uint16_t expected;
  };
  const Case cases[] = {
      {360, 1, -100000, 0, 0x105},  // far beyond any slope a logo has: column 0
      {80, 3, 0, 2000, 0x109},      // held at row 958
      {10, 100, -700, 0, 0x105},    // a logo's slopes: column 0
      {300, 200, 0, 700, 0x109},    // row 958
      {300, 250, 0, -700, 0x103},   // row 0
      {600, 300, 700, 0, 0x105},    // column 1280, which is the next row's column 0
      {50, 400, -765, -765, 0x105},  // row 0, column 0
  };
  for (const Case& c : cases) {
    scene::BumpEntry& entry = lit.bump_map[c.y * base::frame_width + c.x];
    entry.dx = c.dx;
    entry.dy1280 = c.dy * scene::light_map_width;
  }
  scene::derive_bump_lookups(lit);

  std::vector<std::uint16_t> frame(base::frame_pixel_count, 0xDEAD);
  scene::draw_lit_logo(frame.data(), 0, logo, lit);
  EXPECT_EQ(std::count(frame.begin(), frame.end(), 0xDEAD), 0);
  for (const Case& c : cases) {
    EXPECT_EQ(frame[c.y * base::frame_width + c.x], c.expected) << "pixel (" << c.x << ", " << c.y << ")";
  }
  EXPECT_EQ(frame[3000], 0x101);
  EXPECT_EQ(frame[250 * base::frame_width + 301], 0x101);

  const base::Image not_a_logo = grey_logo([](int, int) { return 7; });
  base::Image small = not_a_logo;
  small.width = 320;
  scene::draw_lit_logo(frame.data(), 0, small, lit);
  EXPECT_EQ(frame, std::vector<std::uint16_t>(base::frame_pixel_count, 0));
}

TEST(LitLogo, DrawsTheSameWhicheverTableIsFilledFirst) {
  base::set_up_pixel_format();
  const base::Image logo = grey_logo([](int x, int y) { return static_cast<std::uint8_t>((x * 7 + y * 3) & 0xFF); });
  auto light_first = std::make_unique<scene::EffectTables>();
  auto bump_first = std::make_unique<scene::EffectTables>();
  for (scene::EffectTables* tables : {light_first.get(), bump_first.get()}) scene::fill_logo_shades(logo, *tables);
  scene::fill_light_map(*light_first);
  ASSERT_TRUE(scene::fill_bump_map(logo, *light_first));
  ASSERT_TRUE(scene::fill_bump_map(logo, *bump_first));
  scene::fill_light_map(*bump_first);

  std::vector<std::uint16_t> a(base::frame_pixel_count), b(base::frame_pixel_count);
  for (const std::uint32_t ms : {0u, 12345u, 777777u}) {
    scene::draw_lit_logo(a.data(), ms, logo, *light_first);
    scene::draw_lit_logo(b.data(), ms, logo, *bump_first);
    EXPECT_EQ(a, b) << ms << " ms";
    EXPECT_GT(std::count_if(a.begin(), a.end(), [](std::uint16_t p) { return p != 0; }), 0);
  }
}

TEST(LightPosition, StaysInItsRange) {
  EXPECT_EQ(scene::light_position(0).x, 440);
  EXPECT_EQ(scene::light_position(0).y, 340);
  for (std::uint32_t ms = 0; ms < 2000000; ms += 997) {
    const auto light = scene::light_position(ms);
    EXPECT_GE(light.x, 100);
    EXPECT_LE(light.x, 540);
    EXPECT_GE(light.y, 20);
    EXPECT_LE(light.y, 460);
  }
}

TEST(Blob, PositionsAreWorkedOutInDoublePrecision) {
  // Moments of the intro's fourth second at which a time subtracted in float puts the blob's column one
  // pixel off; the corners here are those of the whole sum in double.
  struct Case {
    float t;
    int blob;
    int x, y;
  };
  const Case cases[] = {
      {0x1.81843ap+1f, 8, 572, 306},  // float gives 573
      {0x1.867b9ap+1f, 9, 513, 287},  // float gives 512
      {0x1.98eeb2p+1f, 8, 563, 301},  // float gives 564
      {0x1.9e7706p+1f, 9, 516, 291},  // float gives 517
      {0x1.fea762p+1f, 9, 546, 309},  // float gives 545
      {0.0f, 0, 610, 310},
  };
  for (const Case& c : cases) {
    const scene::BlobPosition at = scene::blob_position(c.blob, c.t);
    EXPECT_EQ(at.x, c.x) << "blob " << c.blob << " at " << c.t << " s";
    EXPECT_EQ(at.y, c.y) << "blob " << c.blob << " at " << c.t << " s";
  }
}

TEST(Blob, HalvesItsBrightenedColourOverTheFrameAndClipsAtTheEdges) {
  base::set_up_pixel_format();
  std::vector<std::uint16_t> brighten(65536);
  for (int p = 0; p < 65536; ++p) brighten[p] = 0xFFFF;  // every colour brightens to white
  scene::ShadedImage blob;
  blob.width = 4;
  blob.height = 3;
  blob.pixels = {0, 1, 1, 0, 1, 1, 1, 1, 0, 1, 1, 0};
  std::vector<std::uint16_t> frame(base::frame_pixel_count, 0);
  frame[10 * base::frame_width + 20] = 0x1234;

  scene::draw_blob(frame.data(), 20, 10, blob, brighten);
  EXPECT_EQ(frame[10 * base::frame_width + 20], 0x1234);  // value 0 leaves the frame pixel
  EXPECT_EQ(frame[10 * base::frame_width + 21], 0x7BEF);  // white over black

  // Corners past every edge of the frame: only the part inside is drawn (the sanitizers watch the rest).
  for (const auto& [x, y] : {std::pair{638, 478}, {-2, -1}, {-10, 200}, {700, 900}}) {
    scene::draw_blob(frame.data(), x, y, blob, brighten);
  }
  EXPECT_EQ(frame[479 * base::frame_width + 639], 0x7BEF);
  EXPECT_EQ(frame[0], 0x7BEF);
}

TEST(ShadedImage, ShadesAndRowsComeFromTheBitmap) {
  base::Image bitmap;
  bitmap.width = 3;  // rows padded to 4 bytes in the bitmap
  bitmap.height = -2;
  bitmap.bits_per_pixel = 8;
  bitmap.pitch = 4;
  bitmap.pixels = {1, 2, 3, 99, 4, 5, 6, 99};
  bitmap.palette.assign(256, 0);
  bitmap.palette[1] = 255 | (255 << 8) | (255 << 16);
  bitmap.palette[2] = 64 | (128 << 8) | (32 << 16);
  scene::ShadedImage image;
  scene::make_shaded_image(bitmap, image);
  EXPECT_EQ(image.width, 3);
  EXPECT_EQ(image.height, 2);
  EXPECT_EQ(image.pixels, (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(image.shades[31][1], base::pack_rgb565(247, 247, 247));  // 31/32 of white: no full colour
  EXPECT_EQ(image.shades[0][1], 0);
  EXPECT_EQ(image.shades[16][2], base::pack_rgb565(32, 64, 16));

  bitmap.bits_per_pixel = 24;
  scene::make_shaded_image(bitmap, image);
  EXPECT_EQ(image.width, 0);
  EXPECT_TRUE(image.pixels.empty());
}

}  // namespace
