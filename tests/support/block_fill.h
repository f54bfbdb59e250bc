// The sound system's blocks filled one after another by the wave thread's own block fill, for tests that
// look at what the device would play without running the thread.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "music/sound_system.h"
#include "music/wave_thread.h"
#include "platform/platform.h"

namespace test_support {

// The next `blocks` blocks as interleaved 16-bit stereo samples. The sound system must be open on a device
// paced by its caller (the headless one by default); otherwise the test fails and nothing is filled, since
// a wave thread owns the blocks.
inline std::vector<std::int16_t> fill_blocks(std::int64_t blocks) {
  const music::SoundSystem& sound = music::sound_system;
  const bool paced_by_caller = sound.open && !sound.thread.joinable();
  EXPECT_TRUE(paced_by_caller) << "the sound system is not open on a device paced by its caller";
  if (!paced_by_caller) return {};
  const auto block_samples = static_cast<std::size_t>(sound.block_frames) * platform::wave_channels;
  std::vector<std::int16_t> samples;
  samples.reserve(static_cast<std::size_t>(blocks) * block_samples);
  for (std::int64_t done = 0; done < blocks; ++done) {
    const auto block = static_cast<std::size_t>(music::fill_next_block(music::sound_system));
    const std::int16_t* filled = sound.wave_buffer.get() + block * block_samples;
    samples.insert(samples.end(), filled, filled + block_samples);
  }
  return samples;
}

}  // namespace test_support
