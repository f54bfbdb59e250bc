// zarn-tool import: OBJ models made into checked object files, and PNG and JPEG pictures made into the
// bitmaps of the picture slots with the palette structure their effects read.
#include <gtest/gtest.h>
#include <stb_image_write.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "engine3d/object_loader.h"
#include "tools/assets/pictures.h"
#include "tools/image/image_import.h"
#include "tools/kit/imported_file.h"
#include "tools/object/object_import.h"
#include "tools/object/object_report.h"

namespace {

// A unit cube's corners and its six sides as quads wound counter-clockwise seen from outside, the way
// modellers write OBJ files: normals out of the object, the opposite of what the intro draws.
const std::string cube_corners =
    "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 0 0 1\nv 1 0 1\nv 1 1 1\nv 0 1 1\n";
const std::string outward_sides = "f 1 4 3 2\nf 5 6 7 8\nf 1 2 6 5\nf 2 3 7 6\nf 3 4 8 7\nf 4 1 5 8\n";
const std::string inward_sides = "f 1 2 3 4\nf 5 8 7 6\nf 1 5 6 2\nf 2 6 7 3\nf 3 7 8 4\nf 4 8 5 1\n";
const std::string mixed_sides = "f 1 4 3 2\nf 5 8 7 6\nf 1 2 6 5\nf 2 6 7 3\nf 3 4 8 7\nf 4 1 5 8\n";

TEST(ImportObject, TriangulatesCentresScalesAndTurnsFacesInward) {
  struct Case {
    const char* what;
    std::string obj;
  };
  const Case cases[] = {
      {"quads turned outwards", cube_corners + outward_sides},
      {"quads already inward", cube_corners + inward_sides},
      {"quads turned either way", cube_corners + mixed_sides},
      {"corners repeated per face, with texture coordinates",
       "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 0 0 1\nv 1 0 1\nv 1 1 1\nv 0 1 1\nv 0 0 0\nvt 0 0\n" +
           std::string("f 9/1 4/1 3/1 2/1\nf 5 6 7 8\nf 1 2 6 5\nf 2 3 7 6\nf 3 4 8 7\nf 4 1 5 8\n")},
  };
  for (const Case& c : cases) {
    std::vector<std::string> report;
    const auto text = tools::import_object(c.obj, "cube.obj", report);
    ASSERT_TRUE(text) << c.what << ": " << (report.empty() ? "" : report.back());
    auto object = std::make_unique<engine3d::Object3D>();
    ASSERT_TRUE(engine3d::parse_object(*text, *object).loaded()) << c.what;
    EXPECT_EQ(object->vertex_count(), 8) << c.what;
    EXPECT_EQ(object->face_count(), 12) << c.what;
    const tools::ObjectReport checked = tools::inspect_object(*object);
    EXPECT_TRUE(checked.ships()) << c.what;
    EXPECT_NEAR(checked.low.x + checked.high.x, 0, 1e-3) << c.what;
    EXPECT_NEAR(std::hypot(checked.high.x - checked.low.x, checked.high.y - checked.low.y,
                           checked.high.z - checked.low.z),
                tools::imported_object_diagonal, 0.01)
        << c.what;
  }
}

TEST(ImportObject, RefusesWhatTheIntroWouldDrawWrong) {
  struct Case {
    const char* what;
    std::string obj;
    const char* said;
  };
  const Case cases[] = {
      {"open mesh", cube_corners + "f 1 4 3 2\nf 5 6 7 8\nf 1 2 6 5\nf 2 3 7 6\nf 3 4 8 7\n", "open"},
      {"vertex that does not exist", cube_corners + "f 1 2 99\n", "vertex 99"},
      {"no faces", cube_corners, "no faces"},
      {"edge of three faces", cube_corners + outward_sides + "f 1 2 7\n", "three faces"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> report;
    EXPECT_FALSE(tools::import_object(c.obj, "model.obj", report)) << c.what;
    std::string said;
    for (const std::string& line : report) said += line + "\n";
    EXPECT_NE(said.find(c.said), std::string::npos) << c.what << ":\n" << said;
  }
}

void append_bytes(void* context, void* data, int size) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(context);
  out->insert(out->end(), static_cast<std::uint8_t*>(data), static_cast<std::uint8_t*>(data) + size);
}

// A w x h picture, four bytes a pixel: a red disc, opaque, on a transparent ground.
std::vector<std::uint8_t> disc_rgba(int w, int h) {
  std::vector<std::uint8_t> rgba(static_cast<std::size_t>(w) * h * 4, 0);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if (std::hypot(x - w / 2.0 + 0.5, y - h / 2.0 + 0.5) > std::min(w, h) * 0.4) continue;
      std::uint8_t* p = &rgba[(static_cast<std::size_t>(y) * w + x) * 4];
      p[0] = 220, p[1] = 40 + static_cast<std::uint8_t>(y % 64), p[2] = 30, p[3] = 255;
    }
  }
  return rgba;
}

std::vector<std::uint8_t> png_of(int w, int h, const std::vector<std::uint8_t>& rgba) {
  std::vector<std::uint8_t> file;
  stbi_write_png_to_func(append_bytes, &file, w, h, 4, rgba.data(), w * 4);
  return file;
}

std::vector<std::uint8_t> jpeg_of(int w, int h, const std::vector<std::uint8_t>& rgba) {
  std::vector<std::uint8_t> rgb;
  for (std::size_t i = 0; i < rgba.size(); i += 4) rgb.insert(rgb.end(), {rgba[i], rgba[i + 1], rgba[i + 2]});
  std::vector<std::uint8_t> file;
  stbi_write_jpg_to_func(append_bytes, &file, w, h, 3, rgb.data(), 90);
  return file;
}

int brightness(tools::Rgb888 c) { return c.r + c.g + c.b; }

TEST(ImportImage, FitsEachSlotWithThePaletteItsEffectReads) {
  const tools::Rgb888 gold_top{235, 160, 60};
  const std::vector<tools::Rgb888> gold = {{40, 24, 6}, {150, 90, 20}, gold_top};
  struct Case {
    const char* what;
    std::vector<std::uint8_t> file;
    tools::ImageSlot slot;
    int width, height;
  };
  const Case cases[] = {
      {"PNG with alpha as the logo", png_of(300, 120, disc_rgba(300, 120)), tools::ImageSlot::logo, 640, 480},
      {"PNG with alpha as the blob", png_of(64, 64, disc_rgba(64, 64)), tools::ImageSlot::blob, 28, 28},
      {"JPEG as the banner", jpeg_of(800, 200, disc_rgba(800, 200)), tools::ImageSlot::banner, 640, 150},
      {"tiny PNG as the credits strip", png_of(1, 1, {9, 200, 9, 255}), tools::ImageSlot::credits, 400, 40},
  };
  for (const Case& c : cases) {
    std::string failure;
    const auto imported = tools::import_image(c.file, "in", c.slot, gold, failure);
    ASSERT_TRUE(imported) << c.what << ": " << failure;
    const auto& picture = imported->picture;
    EXPECT_EQ(picture.width, c.width) << c.what;
    EXPECT_EQ(picture.height, c.height) << c.what;
    EXPECT_FALSE(imported->summary.empty());
    EXPECT_EQ(imported->summary.find('\n'), std::string::npos) << c.what;
    if (c.slot == tools::ImageSlot::logo) {
      for (int i = 1; i < 256; ++i) {
        EXPECT_GE(brightness(picture.palette[i]), brightness(picture.palette[i - 1])) << "logo palette entry " << i;
      }
      EXPECT_GT(brightness(picture.palette[picture.at(320, 240)]), brightness(picture.palette[picture.at(2, 2)]));
    }
    if (c.slot == tools::ImageSlot::blob) {
      EXPECT_EQ(picture.at(0, 0), 0);  // the transparent ground stays transparent
      EXPECT_NE(picture.at(14, 14), 0);
    }
    if (c.slot == tools::ImageSlot::credits) {
      EXPECT_EQ(picture.pixels[tools::assets::credits_object_pixel], tools::assets::credits_object_colour_index);
      EXPECT_EQ(brightness(picture.palette[tools::assets::credits_object_colour_index]), brightness(gold_top));
      EXPECT_NE(picture.at(200, 20), 0);  // the tiny picture, scaled up under the rule
    }
  }
}

// What `import image` writes is the file the slot stands for in the intro's folder, under that name.
TEST(ImportImage, MakesTheFileTheIntroOpensForTheSlot) {
  struct Case {
    tools::ImageSlot slot;
    const char* name;
    int width, height;
  };
  const Case cases[] = {
      {tools::ImageSlot::logo, "logo.bmp", 640, 480},
      {tools::ImageSlot::banner, "zarn.bmp", 640, 150},
      {tools::ImageSlot::credits, "credits.bmp", 400, 40},
      {tools::ImageSlot::blob, "blob.bmp", 28, 28},
  };
  for (const Case& c : cases) {
    std::string failure;
    const auto imported = tools::import_picture_file(png_of(8, 8, disc_rgba(8, 8)), "in.png", c.slot,
                                                     tools::assets::CreditsDesign{}.gold, failure);
    ASSERT_TRUE(imported) << c.name << ": " << failure;
    EXPECT_EQ(imported->file.name, c.name);
    EXPECT_EQ(imported->width, c.width) << c.name;
    EXPECT_EQ(imported->height, c.height) << c.name;
    const std::vector<std::uint8_t>& bmp = imported->file.bytes;
    ASSERT_GT(bmp.size(), 30u) << c.name;
    EXPECT_EQ(std::string(bmp.begin(), bmp.begin() + 2), "BM") << c.name;
    EXPECT_EQ(bmp[18] | bmp[19] << 8, c.width) << c.name;  // the header's width, little-endian
    EXPECT_EQ(bmp[28], 8) << c.name;                       // bits per pixel
  }
}

TEST(ImportImage, RefusesWhatIsNotAPngOrJpeg) {
  std::string failure;
  const std::vector<std::uint8_t> text = {'h', 'e', 'l', 'l', 'o'};
  EXPECT_FALSE(tools::import_image(text, "notes.txt", tools::ImageSlot::logo, {}, failure));
  EXPECT_NE(failure.find("not a PNG or JPEG"), std::string::npos);
  // A picture cut short is refused or decoded as far as it goes, never read beyond (ASan runs this).
  std::vector<std::uint8_t> cut = png_of(40, 40, disc_rgba(40, 40));
  cut.resize(cut.size() / 2);
  tools::import_image(cut, "cut.png", tools::ImageSlot::logo, {}, failure);
}

}  // namespace
