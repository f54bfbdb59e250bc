// Loads any bytes as the music module and plays what loads through the sound system's own block fill
// (fill_next_block, as the wave thread and the offline render call it) for a bounded number of blocks:
// every tick, effect, envelope and voice the file can reach runs as it would in the intro.
//
// A voice may read its sample's frames and the guard word after them; the spare words beyond are poisoned
// while the module plays, so a read there is reported like any read outside memory. A tick or block that
// never ends is caught by libFuzzer's -timeout.
#include <sanitizer/asan_interface.h>

#include <cstdint>
#include <cstdlib>

#include "music/replay.h"
#include "music/sound_system.h"
#include "music/wave_thread.h"
#include "music/xm_loader.h"
#include "platform/headless/headless.h"

namespace {

// 0.16 s of sound: at a tempo of 255, 16 ticks, enough for a row of every effect at speed 1 and for
// several at speed 3, while a module of many channels still plays many times a second.
constexpr int blocks_per_run = 8;
// A module of a far higher tempo (the header allows 65535) ticks on every frame or two, and each tick
// steps every channel (up to 256) and walks every voice of the pool. Its ticks stop once this many have
// run, and the run ends with the block they fall in, its voices mixed on without further ticks. That is
// four times what a tempo of 255 reaches in the whole run, so it reaches no less of the replay.
constexpr int ticks_per_run = 64;
// A quarter of the intro's rate. The replay works in ticks, and ticks come from the tempo, not the rate:
// the same 0.16 s runs the same ticks, effects and envelopes, while the mixer and the conversion to 16
// bits, which cost by the frame, take a quarter of the work. Every frame still takes the same way through
// the mixer (interpolation, loops, ramps of 32 frames), with voices that step four times as far.
constexpr std::int32_t fuzz_mix_rate = music::intro_mix_rate / 4;

// Calls `mark` on the words of every sample that lie past its guard word.
template <typename Mark>
void for_each_spare_region(const music::Module& module, Mark mark) {
  for (int i = 0; i < module.instrument_count; ++i) {
    const music::Instrument& instrument = module.instruments[i];
    for (int s = 0; s < instrument.sample_count; ++s) {
      const music::Sample& sample = *instrument.samples[s];
      if (!sample.data) continue;
      const std::int16_t* past_guard = sample.data.get() + sample.length + 1;
      mark(past_guard, (music::sample_spare_words - 1) * sizeof(std::int16_t));
    }
  }
}

int ticks_run = 0;

// The module's own tick, counted, until the run's ticks are spent.
void counted_play_tick(music::Module& module) {
  if (ticks_run == ticks_per_run) return;
  ++ticks_run;
  music::play_tick(module);
}

void open_sound_once() {
  static const bool opened = [] {
    platform::headless::reset();
    // Without music of its own: each run starts the module it loaded.
    return music::sound_start_with(nullptr, fuzz_mix_rate);
  }();
  if (!opened) std::abort();  // the harness, not the input
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  open_sound_once();
  base::LoadResult result;
  const music::OwnedModule loaded = music::load_module({data, size}, result);
  if (!loaded) return 0;
  music::Module& module = *loaded;
  for_each_spare_region(module, [](const void* at, std::size_t bytes) { ASAN_POISON_MEMORY_REGION(at, bytes); });
  module.tick_callback = counted_play_tick;
  ticks_run = 0;
  if (music::start_module(&module)) {
    for (int block = 0; block < blocks_per_run && ticks_run < ticks_per_run; ++block) {
      music::fill_next_block(music::sound_system);
    }
    music::stop_module(&module);
  }
  for_each_spare_region(module, [](const void* at, std::size_t bytes) { ASAN_UNPOISON_MEMORY_REGION(at, bytes); });
  return 0;
}
