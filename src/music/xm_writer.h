// Builds XM module files in memory from a description: patterns (packed), instruments with envelopes and
// auto-vibrato, and 8- or 16-bit samples with their loops, delta-coded as the format stores them.
//
// Every field is written as given, without checks, so a description can also state the out-of-range
// values of a damaged file. Cells are in the file's numbering: note 97 releases the key.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "music/module.h"

namespace music {

// The key-off note as a file stores it.
inline constexpr std::uint8_t xm_note_key_off = 97;

// Sample type bits as stored.
inline constexpr std::uint8_t xm_loop_forward = 1;
inline constexpr std::uint8_t xm_loop_ping_pong = 2;

struct XmEnvelope {
  std::array<EnvelopePoint, max_envelope_points> points{};
  std::uint8_t point_count = 0;
  std::uint8_t sustain = 0;
  std::uint8_t loop_start = 0;
  std::uint8_t loop_end = 0;
  std::uint8_t type = 0;  // envelope_on, envelope_sustain, envelope_loop
};

struct XmSample {
  std::vector<std::int16_t> frames;  // the values, -128..127 for 8-bit data
  bool sixteen_bit = false;
  std::uint8_t loop_bits = 0;     // xm_loop_forward, xm_loop_ping_pong
  std::uint32_t loop_start = 0;   // frames
  std::uint32_t loop_length = 0;  // frames
  std::uint8_t volume = 64;
  std::int8_t finetune = 0;
  std::uint8_t panning = 128;
  std::int8_t relative_note = 0;
  std::string name;
};

struct XmInstrument {
  std::string name;
  std::array<std::uint8_t, sample_map_notes> sample_map{};
  XmEnvelope volume_envelope;
  XmEnvelope panning_envelope;
  std::uint8_t vibrato_type = 0;
  std::uint8_t vibrato_sweep = 0;
  std::uint8_t vibrato_depth = 0;
  std::uint8_t vibrato_rate = 0;
  std::uint16_t fadeout = 0;  // as stored; the loader doubles it
  std::vector<XmSample> samples;
};

struct XmPattern {
  std::uint16_t rows = 64;
  std::vector<PatternCell> cells;  // row after row, channel after channel; cells left out are empty
};

struct XmSong {
  std::string name;
  std::uint16_t channel_count = 4;
  std::uint16_t restart_position = 0;
  std::uint16_t flags = flag_linear_periods;
  std::uint16_t default_speed = 6;
  std::uint16_t default_bpm = 125;
  std::vector<std::uint8_t> orders;  // the song length is their count, at most 256
  std::vector<XmPattern> patterns;
  std::vector<XmInstrument> instruments;
};

// Where each part of a written file begins, so that a caller can find single fields.
struct XmLayout {
  std::vector<std::size_t> patterns;        // pattern headers
  std::vector<std::size_t> instruments;     // instrument headers
  std::vector<std::size_t> sample_headers;  // instrument after instrument
  std::vector<std::size_t> sample_data;
};

// The header size every written file states: the patterns begin at 60 + 276 = 336.
inline constexpr std::uint32_t xm_header_size = 276;
// Instrument header sizes written: without samples only the fields up to the sample count exist.
inline constexpr std::uint32_t xm_instrument_header_size = 263;
inline constexpr std::uint32_t xm_empty_instrument_header_size = 29;
inline constexpr std::uint32_t xm_sample_header_size = 40;

// The complete file; `layout`, when given, receives where its parts begin.
std::vector<std::uint8_t> write_xm(const XmSong& song, XmLayout* layout = nullptr);

}  // namespace music
