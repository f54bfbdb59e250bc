// Writes the long many-channel module of the render benchmark: 32 channels, 48 patterns of 64 rows at
// speed 6 and 125 BPM (about 6 minutes), a note on most cells, looped 8- and 16-bit samples of both
// loop kinds, volume and panning slides. Usage: long_song OUT.xm
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>

#include "music/effects.h"
#include "music/xm_writer.h"

namespace {

constexpr int channels = 32;
constexpr int patterns = 48;
constexpr int rows = 64;

music::XmSample tone(int harmonics, bool wide, std::uint8_t loop_bits) {
  music::XmSample sample;
  sample.sixteen_bit = wide;
  const double peak = wide ? 9000 : 35;
  for (int i = 0; i < 2048; ++i) {
    double v = 0;
    for (int h = 1; h <= harmonics; ++h) v += std::sin(i * h * 2 * 3.14159265 / 256) / h;
    sample.frames.push_back(static_cast<std::int16_t>(peak * v));
  }
  sample.loop_bits = loop_bits;
  sample.loop_start = 256;
  sample.loop_length = 1536;
  return sample;
}

music::XmSong long_song() {
  music::XmSong song;
  song.name = "render benchmark";
  song.channel_count = channels;
  for (int p = 0; p < patterns; ++p) {
    song.orders.push_back(static_cast<std::uint8_t>(p));
    music::XmPattern pattern;
    pattern.rows = rows;
    for (int r = 0; r < rows; ++r) {
      for (int c = 0; c < channels; ++c) {
        const int k = p * 7 + r * 3 + c * 5;
        music::PatternCell cell{};
        if (k % 5 != 0) {
          cell.note = static_cast<std::uint8_t>(25 + k % 48);
          cell.instrument = static_cast<std::uint8_t>(1 + c % 4);
          cell.volume = static_cast<std::uint8_t>(0x20 + k % 0x30);
        }
        if (k % 7 == 0) cell = {0, 0, 0, music::effect_volume_slide, 0x02};
        if (k % 11 == 0) {
          cell.effect_type = music::effect_set_panning;
          cell.effect_parameter = static_cast<std::uint8_t>(k);
        }
        pattern.cells.push_back(cell);
      }
    }
    song.patterns.push_back(pattern);
  }
  for (int i = 0; i < 4; ++i) {
    music::XmInstrument instrument;
    instrument.name = "tone " + std::to_string(i + 1);
    instrument.samples = {tone(1 + 2 * i, i % 2 == 1, i < 2 ? music::xm_loop_forward : music::xm_loop_ping_pong)};
    instrument.volume_envelope.point_count = 3;
    instrument.volume_envelope.points[0] = {0, 64};
    instrument.volume_envelope.points[1] = {8, 48};
    instrument.volume_envelope.points[2] = {40, 32};
    instrument.volume_envelope.type = music::envelope_on;
    song.instruments.push_back(instrument);
  }
  return song;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: long_song OUT.xm\n");
    return 2;
  }
  const std::vector<std::uint8_t> bytes = music::write_xm(long_song());
  std::ofstream out(argv[1], std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return out ? 0 : 1;
}
