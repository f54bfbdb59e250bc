// Blended presentation: each presented frame is averaged half and half with the picture before.
#include <gtest/gtest.h>

#include <vector>

#include "base/frame_geometry.h"
#include "base/rgb565.h"
#include "platform/headless/headless.h"
#include "shell/frame_state.h"
#include "shell/presentation.h"

namespace {

std::uint16_t rgb(int r5, int g6, int b5) { return static_cast<std::uint16_t>((r5 << 11) | (g6 << 5) | b5); }

class BlendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    base::set_up_pixel_format();
    shell::set_up_blended_presentation(glow);
  }
  void blend_filled(std::uint16_t value, int times = 1) {
    const std::vector<std::uint16_t> frame(base::frame_pixel_count, value);
    for (int i = 0; i < times; ++i) shell::blend_into_afterglow(glow, frame.data());
  }
  shell::Presentation glow;
};

TEST_F(BlendTest, HalfMaskComesFromTheColourTables) { EXPECT_EQ(glow.half_mask, 0x7BEF7BEFu); }

TEST_F(BlendTest, FirstFrameShowsAtHalfBrightness) {
  blend_filled(0xFFFF);
  EXPECT_EQ(glow.afterglow_buffer.front(), rgb(15, 31, 15));
  EXPECT_EQ(glow.afterglow_buffer.back(), rgb(15, 31, 15));
}

TEST_F(BlendTest, SameFrameSettlesJustBelowItsValue) {
  blend_filled(0xFFFF, 20);
  EXPECT_EQ(glow.afterglow_buffer[1234], rgb(29, 61, 29));
}

TEST_F(BlendTest, FullChannelBlendedWithItselfLosesOne) {
  glow.afterglow_buffer.assign(base::frame_pixel_count, 0xFFFF);
  blend_filled(0xFFFF);
  EXPECT_EQ(glow.afterglow_buffer[0], rgb(30, 62, 30));
}

TEST_F(BlendTest, BlackFramesFadeThePictureOut) {
  glow.afterglow_buffer.assign(base::frame_pixel_count, 0xFFFF);
  const std::uint16_t expected[] = {rgb(15, 31, 15), rgb(7, 15, 7), rgb(3, 7, 3), rgb(1, 3, 1), rgb(0, 1, 0), 0};
  for (std::uint16_t value : expected) {
    blend_filled(0);
    EXPECT_EQ(glow.afterglow_buffer[99], value);
  }
}

TEST_F(BlendTest, NeighbouringPixelsAndChannelsDoNotBleed) {
  std::vector<std::uint16_t> frame(base::frame_pixel_count, 0);
  frame[0] = 0x0000;
  frame[1] = 0x0001;  // its low bit would shift into pixel 0's red
  frame[2] = 0x0821;  // lowest bit of every channel: each halves to 0 on its own
  frame[3] = 0xFFFF;
  shell::blend_into_afterglow(glow, frame.data());
  EXPECT_EQ(glow.afterglow_buffer[0], 0);
  EXPECT_EQ(glow.afterglow_buffer[1], 0);
  EXPECT_EQ(glow.afterglow_buffer[2], 0);
  EXPECT_EQ(glow.afterglow_buffer[3], rgb(15, 31, 15));
}

TEST_F(BlendTest, FrameItselfIsNotChanged) {
  std::vector<std::uint16_t> frame(base::frame_pixel_count);
  for (std::size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<std::uint16_t>(i * 7919);
  const auto copy = frame;
  shell::blend_into_afterglow(glow, frame.data());
  EXPECT_EQ(frame, copy);
}

TEST(Present, ShowsTheAfterglowAndALostDisplayStopsTheLoop) {
  base::set_up_pixel_format();
  shell::set_up_blended_presentation();
  platform::headless::reset();
  std::vector<std::uint16_t> shown;
  bool display_lost = false;
  platform::headless::set_present_hook([&](const std::uint16_t* pixels, std::uint64_t) {
    shown.assign(pixels, pixels + base::frame_pixel_count);
    return !display_lost;
  });
  const std::vector<std::uint16_t> frame(base::frame_pixel_count, 0xFFFF);
  shell::frame_state.running = 1;
  shell::present_blended(frame.data());
  EXPECT_EQ(shown[0], rgb(15, 31, 15));
  EXPECT_EQ(shell::frame_state.running, 1);

  display_lost = true;
  shell::present_blended(frame.data());
  EXPECT_EQ(shown[0], rgb(22, 46, 22));
  EXPECT_EQ(shell::frame_state.running, 0);
}

}  // namespace
