// Module files for the music tests: loading bytes straight from memory, patching single fields of a
// written file, and checking that a loaded Module keeps every promise the replay and the mixer rely on.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "music/xm_loader.h"
#include "music/xm_writer.h"

namespace test_support {

using Bytes = std::vector<std::uint8_t>;

// A module as load_module gives it (none when refused), with the loader's word on it.
struct LoadedModule {
  music::OwnedModule module;
  base::LoadResult result;
};

inline LoadedModule load_file(const char* path) {
  LoadedModule load;
  load.module = music::load_module_file(path, load.result);
  return load;
}

inline LoadedModule load_bytes(const Bytes& bytes) {
  LoadedModule load;
  load.module = music::load_module(bytes, load.result);
  return load;
}

// Cell `index` of a loaded pattern, counted row after row and channel after channel, as the replay reads
// it: stored, or empty in a row the pattern does not store.
inline const music::PatternCell& cell_at(const music::Module& m, const music::Pattern& pattern, int index) {
  return music::row_cells(pattern, index / m.channel_count, m.channel_count)[index % m.channel_count];
}

inline void put_u16(Bytes& file, std::size_t at, std::uint16_t v) {
  file.at(at) = static_cast<std::uint8_t>(v);
  file.at(at + 1) = static_cast<std::uint8_t>(v >> 8);
}
inline void put_u32(Bytes& file, std::size_t at, std::uint32_t v) {
  put_u16(file, at, static_cast<std::uint16_t>(v));
  put_u16(file, at + 2, static_cast<std::uint16_t>(v >> 16));
}

// Header fields by file position.
inline constexpr std::size_t at_header_size = 60;
inline constexpr std::size_t at_song_length = 64;
inline constexpr std::size_t at_restart_position = 66;
inline constexpr std::size_t at_channel_count = 68;
inline constexpr std::size_t at_pattern_count = 70;
inline constexpr std::size_t at_instrument_count = 72;
inline constexpr std::size_t at_default_speed = 76;
inline constexpr std::size_t at_default_bpm = 78;
inline constexpr std::size_t at_order_table = 80;
// Fields by offset from the start of their record.
inline constexpr std::size_t pattern_rows_offset = 5;
inline constexpr std::size_t pattern_packed_size_offset = 7;
inline constexpr std::size_t pattern_data_offset = 9;
inline constexpr std::size_t instrument_sample_count_offset = 27;
inline constexpr std::size_t instrument_volume_points_offset = 225;
inline constexpr std::size_t sample_length_offset = 0;
inline constexpr std::size_t sample_loop_start_offset = 4;
inline constexpr std::size_t sample_loop_length_offset = 8;

// An instrument whose every note plays slot 0.
inline music::XmInstrument instrument_with(std::vector<music::XmSample> samples) {
  music::XmInstrument instrument;
  instrument.samples = std::move(samples);
  return instrument;
}

// An 8-bit sample of `frames` values counting up from 1.
inline music::XmSample ramp_sample(std::size_t frames) {
  music::XmSample sample;
  for (std::size_t i = 0; i < frames; ++i) sample.frames.push_back(static_cast<std::int16_t>((i + 1) % 128));
  return sample;
}

// A small song with a bit of everything: two patterns, an instrument with an envelope and two samples
// (8-bit with a forward loop, 16-bit with a ping-pong loop) and an empty instrument.
inline music::XmSong small_song() {
  music::XmSong song;
  song.channel_count = 2;
  song.orders = {0, 1, 0};
  music::XmPattern first;
  first.rows = 4;
  first.cells = {{49, 1, 0x40, 0, 0}, {}, {}, {61, 2, 0, 15, 6}, {music::xm_note_key_off, 0, 0, 0, 0}};
  music::XmPattern second;
  second.rows = 2;
  second.cells = {{}, {50, 1, 0x20, 0x0A, 0x0F}};
  song.patterns = {first, second};
  music::XmSample looped = ramp_sample(40);
  looped.loop_bits = music::xm_loop_forward;
  looped.loop_start = 8;
  looped.loop_length = 16;
  music::XmSample wide;
  wide.sixteen_bit = true;
  wide.frames = {1000, -1000, 32767, -32768, 5, 6, 7, 8};
  wide.loop_bits = music::xm_loop_ping_pong;
  wide.loop_start = 2;
  wide.loop_length = 4;
  music::XmInstrument instrument = instrument_with({looped, wide});
  instrument.sample_map[60] = 1;
  instrument.volume_envelope.point_count = 3;
  instrument.volume_envelope.points[0] = {0, 64};
  instrument.volume_envelope.points[1] = {10, 32};
  instrument.volume_envelope.points[2] = {20, 0};
  instrument.volume_envelope.type = music::envelope_on | music::envelope_sustain;
  instrument.volume_envelope.sustain = 1;
  instrument.fadeout = 256;
  song.instruments = {instrument, music::XmInstrument{}};
  return song;
}

// Checks what the replay and the mixer may take for granted of any loaded Module.
inline void expect_playable(const music::Module& m, const std::string& what) {
  SCOPED_TRACE(what);
  EXPECT_EQ(m.next, &m);
  EXPECT_EQ(m.prev, &m);
  ASSERT_TRUE(m.channel_count >= 1 && m.channel_count <= music::max_channels);
  ASSERT_TRUE(m.song_length >= 1 && m.song_length <= music::order_table_size);
  EXPECT_TRUE(m.restart_position >= 0 && m.restart_position < m.song_length);
  EXPECT_GE(m.default_bpm, music::min_bpm);
  ASSERT_TRUE(m.pattern_slots >= 1 && m.pattern_slots <= music::max_patterns);
  for (int i = 0; i < m.song_length; ++i) ASSERT_LT(m.order_table[i], m.pattern_slots) << "order " << i;
  for (int p = 0; p < m.pattern_slots; ++p) {
    const music::Pattern& pattern = m.patterns[p];
    ASSERT_TRUE(pattern.rows >= 1 && pattern.rows <= music::max_pattern_rows) << "pattern " << p;
    ASSERT_TRUE(pattern.stored_rows >= 0 && pattern.stored_rows <= pattern.rows) << "pattern " << p;
    ASSERT_TRUE(pattern.cells || pattern.stored_rows == 0) << "pattern " << p;
    for (int c = 0; c < pattern.rows * m.channel_count; ++c) {
      const music::PatternCell& cell = cell_at(m, pattern, c);
      ASSERT_TRUE(cell.note <= music::highest_note || cell.note == music::note_key_off) << "pattern " << p;
      ASSERT_LE(cell.instrument, music::max_instruments) << "pattern " << p;
    }
  }
  ASSERT_TRUE(m.instrument_count >= 0 && m.instrument_count <= music::max_instruments);
  for (int i = 0; i < m.instrument_count; ++i) {
    SCOPED_TRACE("instrument " + std::to_string(i));
    const music::Instrument& ins = m.instruments[i];
    ASSERT_TRUE(ins.sample_count >= 0 && ins.sample_count <= music::max_samples_per_instrument);
    for (int s = ins.sample_count; s < music::max_samples_per_instrument; ++s) {
      EXPECT_EQ(ins.samples[s], &music::empty_sample);
    }
    struct Envelope {
      const std::array<music::EnvelopePoint, music::max_envelope_points>& points;
      int count, sustain, loop_start, loop_end, type;
    };
    for (const Envelope& e : {Envelope{ins.volume_envelope, ins.volume_points, ins.volume_sustain,
                                       ins.volume_loop_start, ins.volume_loop_end, ins.volume_type},
                              Envelope{ins.panning_envelope, ins.panning_points, ins.panning_sustain,
                                       ins.panning_loop_start, ins.panning_loop_end, ins.panning_type}}) {
      EXPECT_LE(e.count, music::max_envelope_points);
      if (e.type & music::envelope_on) {
        EXPECT_GE(e.count, 2);
      }
      if (e.type & music::envelope_sustain) {
        EXPECT_LT(e.sustain, e.count);
      }
      if (e.type & music::envelope_loop) {
        EXPECT_TRUE(e.loop_start < e.count && e.loop_end < e.count);
      }
      for (int k = 0; k < e.count; ++k) {
        EXPECT_LE(e.points[k].y, music::max_envelope_value);
        if (k > 0) {
          EXPECT_GE(e.points[k].x, e.points[k - 1].x);
        }
      }
    }
    for (int s = 0; s < ins.sample_count; ++s) {
      SCOPED_TRACE("sample " + std::to_string(s));
      const music::Sample& sample = *ins.samples[s];
      EXPECT_TRUE(sample.loop_type == music::loop_none || sample.loop_type == music::loop_forward ||
                  sample.loop_type == music::loop_ping_pong);
      EXPECT_LE(sample.volume, music::max_sample_volume);
      EXPECT_TRUE(sample.panning >= 0 && sample.panning <= 255);
      ASSERT_LE(std::uint64_t{sample.loop_start} + sample.loop_length, sample.length);
      EXPECT_EQ(sample.data != nullptr, sample.length != 0);
      if (sample.loop_type != music::loop_none) {
        EXPECT_GE(sample.loop_length, 1u);
      }
      if (!sample.data) continue;
      EXPECT_EQ(sample.bits, 16);
      // The block is length + 8 words; the guard word sits at the loop end and repeats the next frame,
      // silence after a sample without loop.
      const std::uint32_t end = sample.loop_start + sample.loop_length;
      const std::int16_t next = sample.loop_type == music::loop_ping_pong ? sample.data[end - 1]
                                : sample.loop_type == music::loop_forward ? sample.data[sample.loop_start]
                                                                          : std::int16_t{0};
      EXPECT_EQ(sample.data[end], next);
      EXPECT_EQ(sample.data[sample.length + music::sample_spare_words - 1], 0);
    }
  }
}

}  // namespace test_support
