// Writes the XM seed modules of the module fuzz targets into a folder, with the project's XM writer:
// small files that between them reach every pattern effect (and every E sub-effect), every volume-column
// command, both envelopes with sustain and loop, fadeout and auto-vibrato, 8- and 16-bit samples with
// each loop kind, and both period tables.
//
// Usage: make_xm_seeds FOLDER
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "music/effects.h"
#include "music/xm_writer.h"

namespace {

using music::PatternCell;
using music::XmSong;

constexpr std::uint8_t c4 = 49;  // the file's note numbering: 1 is the lowest C

music::XmSample sample_of(std::size_t frames, bool sixteen_bit, std::uint8_t loop_bits) {
  music::XmSample sample;
  sample.sixteen_bit = sixteen_bit;
  const int peak = sixteen_bit ? 20000 : 100;
  for (std::size_t i = 0; i < frames; ++i) {
    sample.frames.push_back(static_cast<std::int16_t>(i % 2 ? peak : -peak));
  }
  sample.loop_bits = loop_bits;
  if (loop_bits) {
    sample.loop_start = static_cast<std::uint32_t>(frames / 4);
    sample.loop_length = static_cast<std::uint32_t>(frames / 2);
  }
  return sample;
}

music::XmEnvelope envelope_of(std::uint8_t type) {
  music::XmEnvelope envelope;
  envelope.point_count = 4;
  envelope.points[0] = {0, 64};
  envelope.points[1] = {4, 16};
  envelope.points[2] = {8, 48};
  envelope.points[3] = {16, 0};
  envelope.sustain = 1;
  envelope.loop_start = 1;
  envelope.loop_end = 2;
  envelope.type = type;
  return envelope;
}

// One instrument per loop kind and width: none, forward and ping-pong, 8 and 16 bits; notes from C4 up
// play sample 1.
music::XmInstrument instrument_of(std::uint8_t loop_bits, bool sixteen_bit) {
  music::XmInstrument instrument;
  instrument.samples = {sample_of(32, sixteen_bit, loop_bits), sample_of(16, !sixteen_bit, loop_bits)};
  for (int note = c4; note < music::sample_map_notes; ++note) instrument.sample_map[note] = 1;
  return instrument;
}

// A one-channel song whose rows are `cells`, with two instruments and two orders.
XmSong song_of(std::vector<PatternCell> cells, std::uint16_t flags = music::flag_linear_periods) {
  XmSong song;
  song.channel_count = 1;
  song.flags = flags;
  song.default_speed = 3;
  song.default_bpm = 250;
  song.orders = {0, 0};
  music::XmPattern pattern;
  pattern.rows = static_cast<std::uint16_t>(cells.size());
  pattern.cells = std::move(cells);
  song.patterns = {pattern};
  song.instruments = {instrument_of(music::xm_loop_forward, false), instrument_of(music::xm_loop_ping_pong, true)};
  return song;
}

// Each effect type 0..35 once, after a note, with a parameter that makes it act.
XmSong every_effect() {
  std::vector<PatternCell> cells;
  for (std::uint8_t type = 0; type <= 35; ++type) {
    if (type == music::effect_extended || type == music::effect_position_jump) continue;
    const std::uint8_t parameter = type == music::effect_pattern_break ? 0x00 : 0x23;
    cells.push_back({c4, 1, 0, 0, 0});
    cells.push_back({0, 0, 0, type, parameter});
  }
  cells.push_back({0, 0, 0, music::effect_position_jump, 0});
  return song_of(cells);
}

// Each E sub-effect 0..F once, with a note on the row where it needs one.
XmSong every_extended_effect() {
  std::vector<PatternCell> cells;
  for (std::uint8_t sub = 0; sub < 16; ++sub) {
    cells.push_back({c4 + 2, 2, 0, 0, 0});
    cells.push_back({c4, 1, 0, music::effect_extended, static_cast<std::uint8_t>(sub << 4 | 2)});
  }
  return song_of(cells);
}

// Every volume-column command (0x10..0x50 volume, then 0x6x..0xFx), on notes of both instruments.
XmSong every_volume_command() {
  std::vector<PatternCell> cells{{c4, 1, 0x10, 0, 0}, {0, 0, 0x50, 0, 0}};
  for (std::uint8_t command = 0x6; command <= 0xF; ++command) {
    cells.push_back({static_cast<std::uint8_t>(c4 + command), 2, 0, 0, 0});
    cells.push_back({0, 0, static_cast<std::uint8_t>(command << 4 | 3), 0, 0});
  }
  return song_of(cells);
}

// Volume and panning envelopes with sustain and loop, fadeout and auto-vibrato, released by key-off.
XmSong envelopes() {
  XmSong song = song_of({{c4, 1, 0, 0, 0}, {}, {}, {music::xm_note_key_off, 0, 0, 0, 0}, {}, {}, {c4, 2, 0, 0, 0},
                         {0, 0, 0, music::effect_key_off, 1}, {}, {c4, 1, 0, music::effect_envelope_position, 6}});
  const std::uint8_t all = music::envelope_on | music::envelope_sustain | music::envelope_loop;
  for (music::XmInstrument& instrument : song.instruments) {
    instrument.volume_envelope = envelope_of(all);
    instrument.panning_envelope = envelope_of(all);
    instrument.fadeout = 2048;
    instrument.vibrato_type = 1;
    instrument.vibrato_sweep = 4;
    instrument.vibrato_depth = 8;
    instrument.vibrato_rate = 16;
  }
  song.instruments[1].volume_envelope.type = music::envelope_on;
  song.instruments[1].panning_envelope.type = music::envelope_on | music::envelope_loop;
  return song;
}

// Samples without loop, with a forward loop and with a ping-pong loop, 8 and 16 bits, on four channels,
// under the Amiga period table, with portamento and offsets that run them past their ends.
XmSong loops_amiga() {
  XmSong song = song_of({}, 0);
  song.channel_count = 4;
  song.instruments = {instrument_of(0, false), instrument_of(music::xm_loop_forward, true),
                      instrument_of(music::xm_loop_ping_pong, false), instrument_of(music::xm_loop_ping_pong, true)};
  music::XmPattern& pattern = song.patterns[0];
  pattern.rows = 4;
  pattern.cells.clear();
  for (std::uint8_t channel = 0; channel < 4; ++channel) {
    pattern.cells.push_back({static_cast<std::uint8_t>(c4 + 12 * channel), static_cast<std::uint8_t>(channel + 1), 0,
                             music::effect_sample_offset, 0x01});
  }
  for (std::uint8_t channel = 0; channel < 4; ++channel) {
    pattern.cells.push_back({0, 0, 0, music::effect_porta_up, 0x40});
  }
  return song;
}

bool write_file(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_xm_seeds FOLDER\n");
    return 1;
  }
  const std::string folder = argv[1];
  const std::vector<std::pair<const char*, XmSong>> seeds = {
      {"every_effect.xm", every_effect()},   {"every_extended_effect.xm", every_extended_effect()},
      {"every_volume_command.xm", every_volume_command()}, {"envelopes.xm", envelopes()},
      {"loops_amiga.xm", loops_amiga()}};
  for (const auto& [name, song] : seeds) {
    if (!write_file(folder + "/" + name, music::write_xm(song))) {
      std::fprintf(stderr, "make_xm_seeds: cannot write %s/%s\n", folder.c_str(), name);
      return 1;
    }
  }
  return 0;
}
