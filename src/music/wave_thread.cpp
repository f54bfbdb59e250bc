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

std::uint64_t loop_bytes(const SoundSystem& sound) {
  return static_cast<std::uint64_t>(sound.total_frames) * platform::wave_bytes_per_frame;
}

void silence_block(SoundSystem& sound, std::int32_t block) {
  const std::ptrdiff_t samples = 2 * static_cast<std::ptrdiff_t>(sound.block_frames);
  std::int16_t* start = sound.wave_buffer.get() + block * samples;
  std::fill(start, start + samples, std::int16_t{0});
}

// A device that plays only published sound plays silence once it has passed the end of what was
// written, and its count moves on as time does. A writer held up past that point (the thread
// descheduled, the block lock held) would go on writing behind the play position, where nothing is heard
// any more, and never catch up: it moves instead to the first block border the device has not reached.
// The rest of the block before that border still holds the sound of a loop ago, which the device will
// play on its way there: it is made silent. The replay is not moved: the music goes on where it was.
void catch_up_with_device(SoundSystem& sound) {
  const std::uint64_t played = platform::wave_bytes_played();
  if (played <= sound.sound_end) return;
  const std::uint64_t bytes = block_bytes(sound);
  sound.sound_end = (played + bytes - 1) / bytes * bytes;
  silence_block(sound, block_holding(sound, sound.sound_end - 1));
}

// Whether the block at sound_end may be written now, the device having played `played` bytes: the sound
// a loop earlier in its place must have been played to its end, so that the write follows the device's
// last read of it. Where the device reads the whole loop on its own, it must also have just left the
// block in the loop's order; a device that plays only published sound never reads a block being written.
bool next_block_is_due(const SoundSystem& sound, std::uint64_t played) {
  const std::uint64_t old_sound_end = sound.sound_end + block_bytes(sound) - loop_bytes(sound);
  if (played < old_sound_end) return false;
  if (platform::wave_plays_only_published()) return true;
  const auto current = static_cast<std::int32_t>(played % loop_bytes(sound) / block_bytes(sound));
  return block_is_due(block_holding(sound, sound.sound_end), current, sound.block_count);
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

std::int32_t block_holding(const SoundSystem& sound, std::uint64_t byte) {
  return static_cast<std::int32_t>(byte / block_bytes(sound) % static_cast<std::uint64_t>(sound.block_count));
}

std::int32_t fill_next_block(SoundSystem& sound) {
  std::int32_t block = 0;
  std::uint64_t sound_end = 0;
  {
    std::lock_guard<std::mutex> hold(sound.block_lock);
    sound.mixer_busy = 1;
    // Under the lock: a thread that was held up on it writes where the device will hear it.
    if (platform::wave_plays_only_published()) catch_up_with_device(sound);
    block = block_holding(sound, sound.sound_end);
    fill_block(sound, block);
    sound_end = sound.sound_end += block_bytes(sound);
    sound.mixer_busy = 0;
  }
  sound.blocks_filled.fetch_add(1);
  platform::wave_publish(sound_end);
  return block;
}

void run_wave_thread(SoundSystem& sound) {
  platform::raise_thread_priority();
  while (!sound.stop_request.load()) {
    if (next_block_is_due(sound, platform::wave_bytes_played())) fill_next_block(sound);
    std::this_thread::sleep_for(std::chrono::milliseconds(wave_poll_ms));
  }
  sound.thread_done = true;
}

}  // namespace music
