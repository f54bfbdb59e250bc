// Live playback: the sound system's wave thread fills the blocks the card has played, as in the intro,
// while this thread shows where the song is.
#include "tools/xm/xm_play.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "music/sound_system.h"
#include "music/wave_thread.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "tools/xm/song_passes.h"
#include "tools/cli/tool_command.h"

namespace tools {
namespace {

constexpr auto status_interval = std::chrono::milliseconds(50);
constexpr int meter_width = 20;

const platform::WaveDevice* (*find_sound_card)() = nullptr;
volatile std::sig_atomic_t interrupted = 0;

void on_interrupt(int) { interrupted = 1; }

// What the status line shows, read with the mixer idle.
struct Status {
  int order = 0, pattern = 0, row = 0, speed = 0, bpm = 0;
  std::int64_t end_frame = -1;  // where the pass ends in the song's frames, -1 while unknown
  int peak = 0;                 // 0..32768: the loudest sample of the block filled last
};

Status read_status(const music::Module& module) {
  const music::SoundSystem& sound = music::sound_system;
  std::unique_lock<std::mutex> hold = music::hold_idle_mixer();
  Status status{module.order_position, module.order_table[static_cast<std::size_t>(module.order_position)],
                module.row, module.speed, module.bpm, song_passes_end_frame(), 0};
  const std::int32_t last = music::block_holding(sound, sound.sound_end - 1);
  const std::int16_t* block = sound.wave_buffer.get() + static_cast<std::ptrdiff_t>(last) * sound.block_frames * 2;
  for (std::int32_t i = 0; i < 2 * sound.block_frames; ++i) {
    status.peak = std::max(status.peak, std::abs(int{block[i]}));
  }
  return status;
}

void print_status(const Status& status, double seconds) {
  const int lit = status.peak * meter_width / 32768;
  std::fprintf(stderr, "\rorder %3d  pattern %3d  row %3d  speed %2d  %3d BPM  %3d:%04.1f  [%s%s] ", status.order,
               status.pattern, status.row, status.speed, status.bpm, static_cast<int>(seconds) / 60,
               seconds - 60 * (static_cast<int>(seconds) / 60), std::string(static_cast<std::size_t>(lit), '#').c_str(),
               std::string(static_cast<std::size_t>(meter_width - lit), ' ').c_str());
}

// Shows the status until the pass has been heard to its end or Ctrl-C is pressed.
void show_until_done(const music::Module& module) {
  const music::SoundSystem& sound = music::sound_system;
  for (;;) {
    const Status status = read_status(module);
    // The card plays a buffer of silence before the first block of the song.
    const auto heard = static_cast<std::int64_t>(platform::wave_bytes_played() / platform::wave_bytes_per_frame) -
                       sound.total_frames;
    if (interrupted || (status.end_frame >= 0 && heard >= status.end_frame)) return;
    print_status(status, static_cast<double>(std::max<std::int64_t>(heard, 0)) / sound.mix_rate);
    std::this_thread::sleep_for(status_interval);
  }
}

}  // namespace

void set_sound_card(const platform::WaveDevice* (*find_card)()) { find_sound_card = find_card; }

int xm_play(music::Module& module, const char* path, bool loop) {
  const platform::WaveDevice* sound_card = find_sound_card ? find_sound_card() : nullptr;
  platform::headless::plug_wave_device(sound_card);
  music::set_buffer_length(music::default_buffer_length_ms);
  if (!sound_card || !music::sound_start_with(nullptr, music::intro_mix_rate)) {
    std::fprintf(stderr, "zarn-tool xm: no sound device to play on\n");
    platform::headless::plug_wave_device(nullptr);
    return exit_failure;
  }
  count_song_passes(module, loop ? INT_MAX : 1);
  interrupted = 0;
  const auto previous_handler = std::signal(SIGINT, on_interrupt);
  const bool started = music::start_module(&module);
  if (started) show_until_done(module);
  std::signal(SIGINT, previous_handler);
  music::stop_module(&module);
  music::close_sound();
  platform::headless::plug_wave_device(nullptr);
  std::fprintf(stderr, "\n");
  if (!started) std::fprintf(stderr, "zarn-tool xm: cannot play %s\n", path);
  return started ? exit_ok : exit_failure;
}

}  // namespace tools
