// Opening and closing the sound output, starting and stopping modules, and the start-up of the music.
#include "music/sound_system.h"

#include <chrono>
#include <cstdio>
#include <new>

#include "music/file_callbacks.h"
#include "music/memory_file.h"
#include "music/replay.h"
#include "music/voices.h"
#include "music/wave_thread.h"
#include "music/xm_loader.h"
#include "platform/platform.h"

namespace music {
namespace {

constexpr std::int32_t start_up_mix_rate = 44100;
constexpr std::int32_t ms_per_second = 1000;
// Blocks are rounded up by 3 frames and down to a multiple of 4: 884 frames at 44100 Hz.
constexpr std::int32_t block_round_up = 3;
constexpr std::int32_t block_frame_multiple = 4;

// An unlinked element points at itself, as the empty head does.
void unlink(Module& module) {
  if (module.next && module.prev) {
    module.prev->next = module.next;
    module.next->prev = module.prev;
  }
  module.next = &module;
  module.prev = &module;
}

// Inserts just before the head: at the end of the list.
void append(Module& head, Module& module) {
  module.prev = head.prev;
  module.next = &head;
  head.prev->next = &module;
  head.prev = &module;
}

void set_geometry(SoundSystem& sound, std::int32_t rate) {
  sound.mix_rate = rate;
  const std::int32_t block = (rate * block_length_ms / ms_per_second + block_round_up);
  sound.block_frames = block - block % block_frame_multiple;
  sound.total_frames = sound.buffer_length_ms / block_length_ms * sound.block_frames * 2;
  sound.block_count = sound.total_frames / sound.block_frames;
  sound.ramp = volume_ramp_for(rate);
}

bool allocate_buffers(SoundSystem& sound) {
  const auto samples = static_cast<std::size_t>(sound.total_frames) * platform::wave_channels;
  sound.wave_buffer.reset(new (std::nothrow) std::int16_t[samples]());
  sound.mix_buffer.reset(new (std::nothrow) float[samples]());
  return sound.wave_buffer && sound.mix_buffer;
}

// Stops a module already held in the playing list; the caller holds the idle mixer of its system.
void stop_held(Module& module) {
  unlink(module);
  module.playing = 0;
  stop_replay(module);
}

}  // namespace

SoundSystem::SoundSystem() { unlink(playing); }

SoundSystem::~SoundSystem() { close_sound(*this); }

SoundSystem sound_system;

void set_buffer_length(std::int32_t ms, SoundSystem& sound) {
  sound.buffer_length_ms = std::max(ms, block_length_ms) / block_length_ms * block_length_ms;
}

bool open_sound(std::int32_t rate, SoundSystem& sound) {
  if (!file_callbacks.complete() || rate <= 0) return false;
  close_sound(sound);
  set_geometry(sound, rate);
  if (sound.block_frames <= 0 || !allocate_buffers(sound)) return false;
  if (!open_voice_pool(rate, sound)) return false;
  if (!platform::wave_open(rate, reinterpret_cast<const std::uint8_t*>(sound.wave_buffer.get()),
                           static_cast<std::uint32_t>(sound.total_frames) * platform::wave_bytes_per_frame)) {
    sound.wave_buffer.reset();
    sound.mix_buffer.reset();
    return false;
  }
  sound.open = true;
  // The buffer's first loop is the zeros it starts with: the first block follows it.
  sound.sound_end = static_cast<std::uint64_t>(sound.total_frames) * platform::wave_bytes_per_frame;
  sound.blocks_filled = 0;
  // Modules that play on follow the new rate.
  for (Module* module = sound.playing.next; module != &sound.playing; module = module->next) {
    set_bpm(*module, module->bpm);
  }
  sound.stop_request = false;
  // A device paced by its caller has the caller fill each block (fill_next_block): no thread.
  if (platform::wave_paced_by_caller()) return true;
  // Cleared before the thread exists, so that a close straight after the open waits for it.
  sound.thread_done = false;
  sound.thread = std::thread(run_wave_thread, std::ref(sound));
  return true;
}

void close_sound(SoundSystem& sound) {
  sound.stop_request = true;
  if (sound.thread.joinable()) sound.thread.join();
  sound.blocks_filled = 0;
  if (!sound.open) return;
  platform::wave_close();
  sound.open = false;
  sound.wave_buffer.reset();
  sound.mix_buffer.reset();
}

bool start_module(Module* module, SoundSystem& sound) {
  if (!module) return false;
  // Another system's wave thread may be ticking it: out of that list under that system's lock first.
  if (module->sound && module->sound != &sound) stop_module(module, *module->sound);
  std::unique_lock<std::mutex> hold = hold_idle_mixer(sound);
  stop_held(*module);
  if (!start_replay(*module, sound)) return false;
  append(sound.playing, *module);
  module->playing = 1;
  return true;
}

bool stop_module(Module* module, SoundSystem& sound) {
  if (!module) return false;
  std::unique_lock<std::mutex> hold = hold_idle_mixer(sound);
  stop_held(*module);
  return true;
}

void end_sound(SoundSystem& sound) {
  stop_module(sound.music_module.get(), sound);
  close_sound(sound);
}

std::unique_lock<std::mutex> hold_idle_mixer(SoundSystem& sound) {
  std::unique_lock<std::mutex> hold(sound.block_lock);
  // The wave thread sets the flag only inside the lock; it is checked as well because it is the flag
  // the replay side is promised, whoever raised it.
  while (sound.mixer_busy.load() != 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return hold;
}

bool sound_start_with(OwnedModule module, std::int32_t rate, SoundSystem& sound) {
  set_file_callbacks(memory_open, memory_close, memory_read, memory_seek, memory_tell);
  if (!open_sound(rate, sound)) return false;
  sound.music_module = std::move(module);
  return true;
}

bool sound_start(const char* file_name, SoundSystem& sound) {
  set_buffer_length(default_buffer_length_ms, sound);
  if (!sound_start_with(nullptr, start_up_mix_rate, sound)) {
    platform::message_box("Can't initialize SoundSystem", "]-ZARN-[");
    return false;
  }
  base::LoadResult result;
  sound.music_module = load_module(file_name, result);
  if (!result.loaded()) std::fprintf(stderr, "zarn: no music: %s: %s\n", file_name, result.reason.c_str());
  return true;
}

}  // namespace music
