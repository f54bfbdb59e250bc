// The intro's 3D step drawn on a torus and on the default knot of the asset set: the pictures are
// written to the build tree to be looked at, and checked to be plausible: on screen, clear of column 0
// and row 0, and the side the light falls on brighter than when the light comes from the other side.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "base/frame_geometry.h"
#include "engine3d/intro_objects.h"
#include "engine3d/rasterizer.h"
#include "support/temp_dir.h"
#include "support/torus_mesh.h"
#include "tools/files/png_file.h"

namespace {

using Frame = std::vector<std::uint16_t>;

// Half a turn of the intro's light: it travels up at 0 ms and down at this time, and the two objects
// swap their rotations, so the pair looks the same and only the light has changed sides.
constexpr std::uint32_t light_half_turn_ms = 4712;

// Sum of the three components of an RGB565 pixel, each scaled to 0 … 255.
int brightness(std::uint16_t pixel) {
  return ((pixel >> 11) & 0x1F) * 255 / 31 + ((pixel >> 5) & 0x3F) * 255 / 63 + (pixel & 0x1F) * 255 / 31;
}

// An object the renders are made of: a torus written by the test, or a file of the asset set.
struct RenderedObject {
  const char* name;
  std::string object_path;   // empty: the test's torus
  std::string texture_path;  // empty: the fallback grey
};

std::string name_of(const ::testing::TestParamInfo<RenderedObject>& info) { return info.param.name; }

class IntroObjectsRender : public ::testing::TestWithParam<RenderedObject> {
 protected:
  void SetUp() override {
    std::string object_path = GetParam().object_path;
    if (object_path.empty()) {
      folder.write("torus.3d", test_support::torus_object_text(60, 25, 40, 25));
      object_path = "torus.3d";
    }
    const std::string& texture = GetParam().texture_path;
    ASSERT_TRUE(
        engine3d::load_intro_objects(*objects, object_path.c_str(), texture.empty() ? nullptr : texture.c_str())
            .loaded());
    engine3d::place_intro_camera(camera);
    ASSERT_TRUE(engine3d::allocate_depth_buffer());
  }

  // The picture at `elapsed_ms`, also written as a PNG under the build tree.
  Frame render(std::uint32_t elapsed_ms) {
    Frame frame(base::frame_pixel_count, 0);
    engine3d::draw_intro_objects(*objects, frame.data(), elapsed_ms, camera);
    const auto picture = std::filesystem::path(ZARN_TEST_OUTPUT_DIR) /
                         ("intro-objects-" + std::string(GetParam().name) + "-" + std::to_string(elapsed_ms) + "ms.png");
    std::filesystem::create_directories(picture.parent_path());
    std::string failure;
    EXPECT_TRUE(tools::write_png_rgb565(picture.string(), frame.data(), base::frame_width, base::frame_height, failure))
        << failure;
    return frame;
  }

  test_support::WorkingFolder folder;
  std::unique_ptr<engine3d::IntroObjects> objects = std::make_unique<engine3d::IntroObjects>();
  engine3d::Camera camera;
};

struct Coverage {
  int drawn = 0;
  int middle_row = 0;
  long long upper_brightness = 0;  // above the middle row
  long long lower_brightness = 0;
};

Coverage coverage_of(const Frame& frame, int middle_row = -1) {
  Coverage c;
  long long row_sum = 0;
  for (int y = 0; y < base::frame_height; ++y) {
    for (int x = 0; x < base::frame_width; ++x) {
      const std::uint16_t pixel = frame[y * base::frame_width + x];
      if (!pixel) continue;
      ++c.drawn;
      row_sum += y;
      (y < middle_row ? c.upper_brightness : c.lower_brightness) += brightness(pixel);
    }
  }
  c.middle_row = c.drawn ? static_cast<int>(row_sum / c.drawn) : 0;
  return c;
}

TEST(PoseIntroObjects, AtTimeZeroTheAnglesAreZeroOneOneAndTheirOpposites) {
  auto objects = std::make_unique<engine3d::IntroObjects>();
  engine3d::pose_intro_objects(*objects, 0);
  engine3d::Object3D expected;
  engine3d::set_rotation(expected, 0, 1, 1);
  EXPECT_EQ(objects->first.rotation.m, expected.rotation.m);
  engine3d::set_rotation(expected, 0, -1, -1);
  EXPECT_EQ(objects->second.rotation.m, expected.rotation.m);
  for (const engine3d::Object3D* object : {&objects->first, &objects->second}) {
    EXPECT_EQ(object->translation.m[3], -300);
    EXPECT_EQ(object->translation.m[7], 100);
    EXPECT_EQ(object->translation.m[11], -300);
  }
  const float length = std::sqrt(50.0f * 50.0f + 60.0f * 60.0f);
  EXPECT_FLOAT_EQ(objects->light_direction.y, 50 / length);
  EXPECT_FLOAT_EQ(objects->light_direction.z, -60 / length);
}

TEST_P(IntroObjectsRender, PairIsOnScreenLeftOfCentreAndClearOfTheFirstColumnAndRow) {
  const Frame frame = render(0);
  // The objects stand at (−300, 100, −300), left of and above what the camera looks at.
  for (int y = 0; y < base::frame_height; ++y) {
    for (int x = 0; x < base::frame_width; ++x) {
      if (!frame[y * base::frame_width + x]) continue;
      ASSERT_TRUE(x > 0 && y > 0 && x < base::frame_width / 2 && y < base::frame_height / 2) << x << "," << y;
    }
  }
  const int drawn = coverage_of(frame).drawn;
  EXPECT_GT(drawn, base::frame_pixel_count / 100);
  EXPECT_LT(drawn, base::frame_pixel_count / 4);
}

// The light's sides are compared on the torus only: its symmetry makes the pair look the same half a
// turn later, when the light comes from the other side.
class LightSideRender : public IntroObjectsRender {};

TEST_P(LightSideRender, SideTheLightFallsOnIsBrighter) {
  const Frame light_up = render(0);
  const Frame light_down = render(light_half_turn_ms);
  const int middle = coverage_of(light_up).middle_row;
  const Coverage up = coverage_of(light_up, middle);
  const Coverage down = coverage_of(light_down, middle);
  EXPECT_NEAR(up.drawn, down.drawn, up.drawn / 50) << "the pair should look the same";
  // Light travelling up lights the undersides, which face down on the screen too.
  EXPECT_GT(up.lower_brightness, down.lower_brightness * 11 / 10);
  EXPECT_GT(down.upper_brightness, up.upper_brightness * 11 / 10);
}

INSTANTIATE_TEST_SUITE_P(
    Objects, IntroObjectsRender,
    ::testing::Values(RenderedObject{"torus", "", ""},
                      RenderedObject{"knot", ZARN_ASSET_DIR "/3d-obj.3d", ZARN_ASSET_DIR "/credits.bmp"}),
    name_of);
INSTANTIATE_TEST_SUITE_P(Torus, LightSideRender, ::testing::Values(RenderedObject{"torus", "", ""}), name_of);

TEST(DefaultKnot, IsDrawnInTheGoldOfTheCreditsRule) {
  auto objects = std::make_unique<engine3d::IntroObjects>();
  ASSERT_TRUE(engine3d::load_intro_objects(*objects, ZARN_ASSET_DIR "/3d-obj.3d", ZARN_ASSET_DIR "/credits.bmp")
                  .loaded());
  engine3d::Camera camera;
  engine3d::place_intro_camera(camera);
  ASSERT_TRUE(engine3d::allocate_depth_buffer());
  Frame frame(base::frame_pixel_count, 0);
  engine3d::draw_intro_objects(*objects, frame.data(), 0, camera);
  long long red = 0, blue = 0;
  for (std::uint16_t pixel : frame) {
    red += (pixel >> 11) & 0x1F;
    blue += pixel & 0x1F;
  }
  EXPECT_GT(red, 2 * blue);
}

}  // namespace
