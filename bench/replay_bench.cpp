// The replay alone: play_tick on a 32-channel module with an effect in every cell, in ticks per second.
// A tick is 20 ms of music at 125 BPM; the wave thread has the rest of its time for mixing.
#include <cstdio>

#include "music/replay.h"
#include "music/xm_loader.h"
#include "music/xm_writer.h"
#include "ratio_report.h"

namespace {

constexpr double target_ticks_per_second = 200000;
constexpr int channels = 32;

// Effects that keep the song on its course (no jumps, loops, delays or speed changes), with parameters
// that make them work on every tick.
constexpr music::PatternCell effect_cells[] = {
    {0, 0, 0, 0, 0x37},  {0, 0, 0, 1, 0x02},    {0, 0, 0x10, 2, 0x02}, {0, 0, 0, 3, 0x08},  {0, 0, 0xB4, 4, 0x46},
    {0, 0, 0, 5, 0x01},  {0, 0, 0x65, 6, 0x10}, {0, 0, 0xD2, 8, 0x80}, {0, 0, 0, 9, 0x01},  {0, 0, 0, 10, 0x21},
    {0, 0, 0, 12, 0x30}, {0, 0, 0, 14, 0x93},   {0, 0, 0, 14, 0xC4},   {0, 0, 0, 16, 0x40}, {0, 0, 0xF3, 17, 0x10},
    {0, 0, 0, 21, 0x08}, {0, 0, 0xE1, 25, 0x11}, {0, 0, 0, 27, 0x93},  {0, 0, 0, 29, 0x21}, {0, 0, 0, 33, 0x12},
};

// 32 channels, four patterns of 64 rows; a note every fourth row of each channel, an effect in every
// cell; an instrument with volume and panning envelopes and auto-vibrato, so every tick walks them.
music::XmSong busy_song() {
  music::XmSong song;
  song.channel_count = channels;
  for (int p = 0; p < 4; ++p) {
    music::XmPattern pattern;
    for (int row = 0; row < 64; ++row) {
      for (int c = 0; c < channels; ++c) {
        music::PatternCell cell = effect_cells[(row + c + p) % std::size(effect_cells)];
        if ((row + c) % 4 == 0) {
          cell.note = static_cast<std::uint8_t>(25 + (row * 7 + c) % 48);
          cell.instrument = 1;
        }
        pattern.cells.push_back(cell);
      }
    }
    song.patterns.push_back(pattern);
    song.orders.push_back(static_cast<std::uint8_t>(p));
  }
  music::XmSample sample;
  sample.frames.resize(4000);
  sample.loop_bits = music::xm_loop_forward;
  sample.loop_length = 4000;
  music::XmInstrument instrument;
  instrument.samples = {sample};
  instrument.volume_envelope.point_count = 4;
  instrument.volume_envelope.points = {{{0, 64}, {8, 40}, {16, 56}, {64, 0}}};
  instrument.volume_envelope.type = music::envelope_on | music::envelope_loop;
  instrument.volume_envelope.loop_start = 1;
  instrument.volume_envelope.loop_end = 2;
  instrument.panning_envelope.point_count = 3;
  instrument.panning_envelope.points = {{{0, 32}, {10, 64}, {20, 0}}};
  instrument.panning_envelope.type = music::envelope_on | music::envelope_loop;
  instrument.panning_envelope.loop_end = 2;
  instrument.vibrato_depth = 8;
  instrument.vibrato_rate = 10;
  instrument.fadeout = 64;
  song.instruments = {instrument};
  return song;
}

music::OwnedModule load_busy_song() {
  base::LoadResult result;
  return music::load_module(music::write_xm(busy_song()), result);
}

void play_tick_32_channels(benchmark::State& state) {
  music::OwnedModule module = load_busy_song();
  if (!module || !music::open_voice_pool(music::intro_mix_rate) || !music::start_replay(*module)) {
    state.SkipWithError("cannot load or start the module");
    return;
  }
  for (auto _ : state) {
    music::play_tick(*module);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(play_tick_32_channels);

}  // namespace

int main(int argc, char** argv) {
  return bench::run_benchmarks(argc, argv, [](const bench::RatioReporter& figures) {
    figures.print_rate("play_tick_32_channels", "ticks", target_ticks_per_second);
  });
}
