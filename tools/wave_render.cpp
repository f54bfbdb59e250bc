// One block per step of the headless device: the device leaves a block, the wave thread refills it.
#include "tools/wave_render.h"

#include <chrono>
#include <thread>

#include "music/sound_system.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"

namespace tools {

bool render_blocks(std::int64_t blocks, std::vector<std::int16_t>& out,
                   const std::function<void(std::int64_t done)>& progress) {
  music::SoundSystem& sound = music::sound_system;
  if (!sound.open) return false;
  const auto block_samples = static_cast<std::size_t>(sound.block_frames) * platform::wave_channels;
  out.reserve(out.size() + static_cast<std::size_t>(blocks) * block_samples);
  for (std::int64_t done = 0; done < blocks; ++done) {
    const std::uint64_t filled = sound.blocks_filled.load();
    // Blocks are filled in turn from block 0 at the open.
    const auto block = static_cast<std::size_t>(filled % static_cast<std::uint64_t>(sound.block_count));
    platform::headless::play_wave_bytes(static_cast<std::uint64_t>(sound.block_frames) * platform::wave_bytes_per_frame);
    // The device has left exactly one block, so the thread fills exactly that one and then waits.
    while (sound.blocks_filled.load() == filled) std::this_thread::sleep_for(std::chrono::microseconds(200));
    const std::int16_t* samples = sound.wave_buffer.get() + block * block_samples;
    out.insert(out.end(), samples, samples + block_samples);
    if (progress) progress(done + 1);
  }
  return true;
}

}  // namespace tools
