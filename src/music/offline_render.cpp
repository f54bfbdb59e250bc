// The blocks of the open sound system, filled one after another by the same block fill the wave thread
// runs: the same ticks and mixing as the intro, as fast as the machine mixes.
#include "music/offline_render.h"

#include "music/wave_thread.h"
#include "platform/platform.h"

namespace music {

bool render_blocks(std::int64_t blocks, std::vector<std::int16_t>& out,
                   const std::function<void(std::int64_t done)>& progress, SoundSystem& sound) {
  if (!sound.open || sound.thread.joinable()) return false;
  const auto block_samples = static_cast<std::size_t>(sound.block_frames) * platform::wave_channels;
  for (std::int64_t done = 0; done < blocks; ++done) {
    const std::int32_t block = fill_next_block(sound);
    const std::int16_t* samples = sound.wave_buffer.get() + static_cast<std::size_t>(block) * block_samples;
    out.insert(out.end(), samples, samples + block_samples);
    if (progress) progress(done + 1);
  }
  return true;
}

}  // namespace music
