// The offline render fills blocks only where nobody else does: on an open sound system whose device is
// paced by its caller, never beside a running wave thread.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "music/sound_system.h"
#include "platform/headless/headless.h"
#include "music/offline_render.h"

namespace {

class WaveRender : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::headless::reset();
  }
  void TearDown() override {
    music::close_sound();
    platform::headless::reset();
  }
};

TEST_F(WaveRender, FillsTheBlocksOfADevicePacedByItsCaller) {
  ASSERT_TRUE(music::sound_start_with(nullptr, 44100));
  std::vector<std::int16_t> out;
  ASSERT_TRUE(music::render_blocks(3, out));
  EXPECT_EQ(out.size(), 3u * 884 * 2);
}

TEST_F(WaveRender, RefusesWhileClosedOrWhileTheWaveThreadFillsTheBlocks) {
  std::vector<std::int16_t> out;
  EXPECT_FALSE(music::render_blocks(1, out)) << "closed";
  platform::headless::set_wave_paced_by_caller(false);
  ASSERT_TRUE(music::sound_start_with(nullptr, 44100));
  ASSERT_TRUE(music::sound_system.thread.joinable());
  EXPECT_FALSE(music::render_blocks(1, out)) << "the thread fills the blocks, nobody else";
  EXPECT_TRUE(out.empty());
}

}  // namespace
