// Block scheduling, the tick loop and the block fill of the wave thread.
#include "music/wave_thread.h"

#include <algorithm>
#include <chrono>

#include "platform/platform.h"

namespace music {
namespace {

// Runs the module's ticks and mixes the voices between them over `frames` frames at `out`. The count
// of frames left in the tick carries over from block to block, so ticks fall exactly every
// samples_per_tick frames of output whatever the block borders.
void run_ticks(Module& module, float* out, std::int32_t frames, SoundSystem& sound) {
  std::int32_t left = module.samples_left_in_tick;
  for (std::int32_t done = 0; done < frames;) {
    if (left <= 0) {
      module.tick_callback(module);
      // Read after the tick, which may change the tempo; a tick is never shorter than one frame, so a
      // broken tempo cannot hold the thread in this loop.
      left = std::max<std::int32_t>(module.samples_per_tick, 1);
    }
    const std::int32_t n = std::min(left, frames - done);
    mix_voices(out + 2 * done, sound.voice_pool, n, sound.ramp);
    done += n;
    left -= n;
  }
  module.samples_left_in_tick = left;
}

std::uint64_t block_bytes(const SoundSystem& sound) {
  return static_cast<std::uint64_t>(sound.block_frames) * platform::wave_bytes_per_frame;
}

}  // namespace

bool block_is_due(std::int32_t next, std::int32_t current, std::int32_t count) {
  const std::int32_t previous = current == 0 ? count - 1 : current - 1;
  return next != current && (next <= previous || (previous == 0 && next != 1));
}

void fill_block(SoundSystem& sound, std::int32_t block) {
  const std::int32_t floats = 2 * sound.block_frames;
  float* out = sound.mix_buffer.get() + static_cast<std::ptrdiff_t>(block) * floats;
  std::fill(out, out + floats, 0.0f);
  for (Module* module = sound.playing.next; module != &sound.playing; module = module->next) {
    if (module->playing && module->tick_callback) run_ticks(*module, out, sound.block_frames, sound);
  }
  convert_block(sound.wave_buffer.get() + static_cast<std::ptrdiff_t>(block) * floats, out, sound.block_frames);
}

std::int32_t fill_next_block(SoundSystem& sound) {
  const std::int32_t block = sound.next_block;
  {
    std::lock_guard<std::mutex> hold(sound.block_lock);
    sound.mixer_busy = 1;
    fill_block(sound, block);
    sound.mixer_busy = 0;
  }
  sound.next_block = (block + 1) % sound.block_count;
  const std::uint64_t filled = sound.blocks_filled.fetch_add(1) + 1;
  // The buffer's first loop is the zeros it starts with; every fill adds one block behind it.
  platform::wave_publish((filled + static_cast<std::uint64_t>(sound.block_count)) * block_bytes(sound));
  return block;
}

void run_wave_thread(SoundSystem& sound) {
  platform::raise_thread_priority();
  const std::uint64_t total_frames = static_cast<std::uint64_t>(sound.total_frames);
  while (!sound.stop_request.load()) {
    const std::uint64_t played_bytes = platform::wave_bytes_played();
    const std::uint64_t played_frames = played_bytes / platform::wave_bytes_per_frame;
    const auto current = static_cast<std::int32_t>((played_frames % total_frames) / sound.block_frames);
    // Besides its turn, the block's earlier sound must have been played to its end: only then does the
    // write follow the device's last read of it.
    const std::uint64_t old_sound_end = (sound.blocks_filled.load() + 1) * block_bytes(sound);
    if (block_is_due(sound.next_block, current, sound.block_count) && played_bytes >= old_sound_end) {
      fill_next_block(sound);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(wave_poll_ms));
  }
  sound.thread_done = true;
}

}  // namespace music
