// Object texture and shade table: the shade levels of a palette, the texture map a bitmap gives, and the
// fallback grey of a bitmap that cannot be used.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "base/rgb565.h"
#include "base/shade_table.h"
#include "engine3d/object3d.h"
#include "engine3d/object_loader.h"
#include "engine3d/object_texture.h"
#include "support/bmp_builder.h"
#include "support/temp_dir.h"

namespace {

std::vector<std::uint32_t> palette_with(std::uint32_t entry) {
  std::vector<std::uint32_t> palette(256, 0);
  palette[5] = entry;
  return palette;
}

std::uint32_t rgb(int r, int g, int b) { return static_cast<std::uint32_t>(r | g << 8 | b << 16); }

TEST(ObjectShades, LevelTwelveIsThePaletteColourAndLevelsAbove24AddWhite) {
  struct Case {
    std::uint32_t colour;
    int level;
    std::uint16_t expected;
  };
  const Case cases[] = {
      {rgb(255, 255, 255), 12, 0xFFFF},
      {rgb(255, 255, 255), 0, 0x0000},
      {rgb(255, 255, 255), 13, 0xFFFF},
      {rgb(255, 255, 255), 31, 0xFFFF},
      {rgb(12, 24, 36), 1, base::pack_rgb565(1, 2, 3)},
      {rgb(12, 24, 36), 12, base::pack_rgb565(12, 24, 36)},
      {rgb(12, 24, 36), 24, base::pack_rgb565(24, 48, 72)},  // the last level without white
      {rgb(12, 24, 36), 25, base::pack_rgb565(16 + 25, 16 + 50, 16 + 75)},
      {rgb(12, 24, 36), 31, base::pack_rgb565(112 + 31, 112 + 62, 112 + 93)},
      {rgb(200, 7, 0), 5, base::pack_rgb565(83, 2, 0)},  // the division truncates
  };
  base::ShadeTable shades{};
  for (const Case& c : cases) {
    engine3d::object_shades(palette_with(c.colour), shades);
    EXPECT_EQ(shades[c.level][5], c.expected) << std::hex << c.colour << std::dec << " level " << c.level;
  }
}

// A one-triangle object as loaded, with the fallback grey texture.
class ObjectTextureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder.write("triangle.3d", "3 1 0 0 0 10 0 0 0 10 0 0 1 2 0");
    ASSERT_TRUE(engine3d::load_object("triangle.3d", *object).loaded());
  }
  // An 8-bit bitmap whose pixel bytes count 0, 1, 2 … and whose palette entry n is (n, 2n, 3n).
  void write_bmp(const char* name, int width, int height, std::uint16_t bits = 8) {
    std::vector<std::uint8_t> table;
    for (int n = 0; n < 256 && bits == 8; ++n) table.insert(table.end(), {std::uint8_t(3 * n), std::uint8_t(2 * n), std::uint8_t(n), 0});
    const int pitch = (width * bits / 8 + 3) / 4 * 4;
    std::vector<std::uint8_t> rows(static_cast<std::size_t>(pitch) * height);
    for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<std::uint8_t>(i % 251);
    folder.write(name, test_support::build_bmp({.width = width, .height = -height, .bit_count = bits}, table, rows));
  }

  test_support::WorkingFolder folder;
  std::unique_ptr<engine3d::Object3D> object = std::make_unique<engine3d::Object3D>();
};

TEST_F(ObjectTextureTest, EightBitBitmapGivesTextureAndShades) {
  write_bmp("credits.bmp", 16, 17);  // 272 pixel bytes
  ASSERT_TRUE(engine3d::load_object_shades(*object, "credits.bmp"));
  EXPECT_EQ(object->texture[257], 257 % 251);
  // A bitmap smaller than the 256 x 256 map repeats: every texel read stays inside it.
  EXPECT_EQ(object->texture[65535], (65535 % 272) % 251);
  EXPECT_EQ(object->shades[12][6], base::pack_rgb565(6, 12, 18));
}

TEST_F(ObjectTextureTest, UnusableBitmapsKeepTheFallbackGrey) {
  struct Case {
    const char* what;
    int width, height;
    std::uint16_t bits;
  };
  const Case cases[] = {
      {"missing", 0, 0, 0},
      {"24 bits per pixel", 16, 17, 24},
      {"256 pixel bytes: no byte 257", 16, 16, 8},
      {"a single pixel (a row of 4 bytes)", 1, 1, 8},
  };
  for (const Case& c : cases) {
    if (c.bits) write_bmp("texture.bmp", c.width, c.height, c.bits);
    EXPECT_FALSE(engine3d::load_object_shades(*object, c.bits ? "texture.bmp" : "missing.bmp")) << c.what;
    for (int level = 0; level < base::shade_level_count; ++level) {
      const int component = 128 * level / 12 + (level > 24 ? 16 * (level - 24) : 0);
      ASSERT_EQ(object->shades[level][object->texture[257]],
                base::pack_rgb565(component, component, component))
          << c.what << " level " << level;
    }
  }
}

}  // namespace
