// The particle fountain: its generator, time steps, free slots, the area limits and the sprite's blends.
#include <gtest/gtest.h>

#include <vector>

#include "base/c_rand.h"
#include "base/frame_geometry.h"
#include "base/rgb565.h"
#include "scene/particles.h"

namespace {

class ParticleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    base::set_up_pixel_format();
    scene::reset_particles(pool);
  }
  scene::ParticlePool pool;
  std::vector<std::uint16_t> frame = std::vector<std::uint16_t>(base::frame_pixel_count, 0);
};

TEST(CRand, FollowsTheWindowsRuntimeSequence) {
  base::CRand rand;
  const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358};
  for (int value : expected) EXPECT_EQ(rand.next(), value);
}

TEST_F(ParticleTest, SpawnTakesSlotsFromTheStackAndDrawsFourValues) {
  scene::spawn_particles(100, 200, 1, pool);
  EXPECT_EQ(pool.free_count, scene::particle_capacity - 1);
  const scene::Particle& p = pool.particles[scene::particle_capacity - 1];  // the top of the stack
  EXPECT_EQ(p.x, 41 * 16 + 96 * 65536);
  EXPECT_EQ(p.y, 18467 * 16 + 196 * 65536);
  EXPECT_EQ(p.vx, 6334 - 1024);
  EXPECT_EQ(p.vy, 26500 - 1024);
  EXPECT_EQ(p.ax, -((6334 - 1024) >> 7));
  EXPECT_EQ(p.life, 0x200000);

  pool.free_count = 3;
  scene::spawn_particles(100, 200, 15, pool);
  EXPECT_EQ(pool.free_count, 0);
  scene::spawn_particles(100, 200, 15, pool);
  EXPECT_EQ(pool.free_count, 0);
}

TEST_F(ParticleTest, FirstUpdateIsOneUnitThenTheClockCounts) {
  scene::spawn_particles(300, 200, 1, pool);
  const scene::Particle before = pool.particles[scene::particle_capacity - 1];
  scene::update_particles(frame.data(), 5000, pool);  // whatever time has passed: one unit
  const scene::Particle& p = pool.particles[scene::particle_capacity - 1];
  EXPECT_EQ(p.x, before.x + base::fix_mul(before.vx, 0x10000));
  EXPECT_EQ(p.vx, before.vx + base::fix_mul(before.ax, 0x10000));
  EXPECT_EQ(p.life, 0x200000 - 0x10000);
  EXPECT_EQ(pool.particle_clock, 5000);

  scene::update_particles(frame.data(), 5040, pool);  // 40 ms: two units, 3276.8 x 40 = 131072
  EXPECT_EQ(p.life, 0x200000 - 3 * 0x10000);
  scene::update_particles(frame.data(), 5640, pool);  // 600 ms more: 30 units, life used up
  EXPECT_EQ(p.life, 0);
  EXPECT_EQ(pool.free_count, scene::particle_capacity);
}

// The intro's clock is unsigned 32-bit milliseconds; the particle clock holds it as a signed value.
TEST_F(ParticleTest, ClockCrossingTheSignBitOrWrappingStepsOnlyByTheTimeThatPassed) {
  struct Case {
    const char* what;
    std::uint32_t first_ms, second_ms;
  };
  const Case cases[] = {
      {"across 2^31 milliseconds (24.8 days)", 0x7FFFFFECu, 0x80000000u},
      {"across 2^32 milliseconds (49.7 days)", 0xFFFFFFECu, 0x00000000u},
  };
  for (const Case& c : cases) {
    scene::reset_particles(pool);
    pool.particle_clock = -1;
    scene::spawn_particles(300, 200, 1, pool);
    scene::update_particles(frame.data(), c.first_ms, pool);
    scene::update_particles(frame.data(), c.second_ms, pool);  // 20 ms later: one unit
    EXPECT_EQ(pool.particles[scene::particle_capacity - 1].life, 0x200000 - 2 * 0x10000) << c.what;
  }
}

TEST_F(ParticleTest, LeavingTheAreaFreesTheSlotWithoutDrawing) {
  struct Case {
    base::Fixed16 x, y;
    bool kept;
  };
  const Case cases[] = {
      {633 << 16, 100 << 16, true},
      {634 << 16, 100 << 16, false},  // px 634: its block would pass column 636
      {(633 << 16) + 1, 100 << 16, false},
      {100 << 16, 473 << 16, true},
      {100 << 16, 474 << 16, false},
      {-1, 100 << 16, true},  // fix_ceil(-1/65536) is 0: still inside
      {-0x10000, 100 << 16, false},
  };
  for (const Case& c : cases) {
    scene::reset_particles(pool);
    pool.particle_clock = -1;
    std::fill(frame.begin(), frame.end(), 0);
    scene::spawn_particles(0, 0, 1, pool);
    scene::Particle& p = pool.particles[scene::particle_capacity - 1];
    p = scene::Particle{0x200000, c.x, c.y, 0, 0, 0, 0};
    scene::update_particles(frame.data(), 0, pool);
    EXPECT_EQ(p.life != 0, c.kept) << c.x << "," << c.y;
    EXPECT_EQ(pool.free_count, scene::particle_capacity - (c.kept ? 1 : 0));
    EXPECT_EQ(std::count(frame.begin(), frame.end(), 0) != base::frame_pixel_count, c.kept);
  }
}

TEST_F(ParticleTest, SpriteBlendsEachPixelOnceOrTwiceInTableOrder) {
  const std::uint16_t background = base::pack_rgb565(80, 40, 120);
  std::fill(frame.begin(), frame.end(), background);
  scene::spawn_particles(0, 0, 1, pool);
  pool.particles[scene::particle_capacity - 1] = scene::Particle{0x200000, 100 << 16, 50 << 16, 0, 0, 0, 0};
  scene::update_particles(frame.data(), 0, pool);

  // After one unit life is 31: level (31 >> 1) + 16 = 31.
  const auto& t = base::colour_tables;
  const std::uint16_t full = (t.red[31] | t.green[31] | t.blue[31]) & 0xF79E;
  const std::uint16_t half = (full >> 1) & 0xF7DE;
  const auto blend = [&](std::uint16_t p, std::uint16_t q) {
    return pool.particle_add_table[((std::uint32_t{p} & 0xF7DE) + q) >> 1];
  };
  const char* pattern[5][4] = {{"H", "F", "F", "H"},
                               {"HF", "FF", "FF", "HF"},
                               {"FF", "FF", "FF", "FF"},
                               {"HF", "FF", "FF", "HF"},
                               {"H", "F", "F", "H"}};
  for (int row = 0; row < 5; ++row) {
    for (int col = 0; col < 4; ++col) {
      std::uint16_t expected = background;
      for (const char* q = pattern[row][col]; *q; ++q) expected = blend(expected, *q == 'H' ? half : full);
      EXPECT_EQ(frame[(51 + row) * base::frame_width + 100 + col], expected) << row << "," << col;
    }
  }
  EXPECT_EQ(frame[50 * base::frame_width + 100], background);  // the particle's own row is untouched
  EXPECT_EQ(frame[56 * base::frame_width + 100], background);
  EXPECT_EQ(frame[51 * base::frame_width + 104], background);
}

}  // namespace
