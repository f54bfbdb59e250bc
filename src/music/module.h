// The in-memory module: song header, order table, unpacked patterns, instruments and 16-bit samples, plus
// the playback state that the replay and the wave thread keep while the module plays.
//
// A Module comes from load_module and is released with free_module; an Instrument owns its first
// `sample_count` samples. The loader keeps every count within the limits below, every used order on an
// existing pattern, every loop inside its sample's data and every envelope's sustain and loop on points
// in use, so the replay and the mixer index with them without further checks. Sample map slots and effect
// types keep the file's values: the replay takes slots of 16 and above as no sample and leaves unknown
// effects out.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "base/zeroed_allocator.h"

namespace music {

// One voice per channel in the mixer's pool of 256 voices.
inline constexpr int max_channels = 256;
// Order entries are bytes: no order can name a pattern beyond 255.
inline constexpr int max_patterns = 256;
// Row counts are 16-bit; the loader bounds the cells of all patterns by the file's size instead.
inline constexpr int max_pattern_rows = 65535;
inline constexpr int order_table_size = 256;
// Cell instrument numbers are 1..128; a file's further instruments could never play.
inline constexpr int max_instruments = 128;
inline constexpr int max_samples_per_instrument = 16;
inline constexpr int max_envelope_points = 12;
inline constexpr int sample_map_notes = 96;
inline constexpr int max_sample_volume = 64;
inline constexpr int max_envelope_value = 64;
// Words after a sample's data: the guard word at the loop end and the mixer's look-ahead stay inside.
inline constexpr int sample_spare_words = 8;
// A cell's note 97 is stored as this: the key is released.
inline constexpr std::uint8_t note_key_off = 255;
inline constexpr std::uint8_t highest_note = 96;

// Sample loop types, as bits the mixer tests.
inline constexpr std::uint8_t loop_none = 1;
inline constexpr std::uint8_t loop_forward = 2;
inline constexpr std::uint8_t loop_ping_pong = 4;

// Envelope type bits.
inline constexpr std::uint8_t envelope_on = 1;
inline constexpr std::uint8_t envelope_sustain = 2;
inline constexpr std::uint8_t envelope_loop = 4;

// The slowest tempo a module starts with: a tempo of 0 has no frames per tick.
inline constexpr std::uint16_t min_bpm = 1;

// Bit 0 of Module::flags: periods come from the linear table, not the Amiga table.
inline constexpr std::uint16_t flag_linear_periods = 1;

struct PatternCell {
  std::uint8_t note = 0;         // 0 none, 1..96 from the lowest C in semitones, 255 key off
  std::uint8_t instrument = 0;   // 0 none, 1..128
  std::uint8_t volume = 0;       // the volume column byte
  std::uint8_t effect_type = 0;  // 0..9, then 10 for A up to 35 for Z
  std::uint8_t effect_parameter = 0;
  bool operator==(const PatternCell&) const = default;
};
static_assert(sizeof(PatternCell) == 5, "the replay steps through cells five bytes at a time");

// A pattern holds only the rows its file could fill: each stored cell takes at least one byte of the file,
// so a small file that names many rows costs no memory for them. The rows after the stored ones, and
// every row of a pattern that stores none, are empty; row_cells hands out either.
struct Pattern {
  std::int32_t rows = 0;         // 1..65535
  std::int32_t stored_rows = 0;  // 0..rows: the rows `cells` holds
  base::ZeroedArray<PatternCell> cells;  // stored_rows x channel_count, row after row, channel after channel
};

// One row of empty cells for every channel a module may have: what the rows a pattern does not store hold.
extern const std::array<PatternCell, max_channels> empty_row;

// The cells of `row` (0..rows - 1) of a pattern of a module with `channel_count` channels, channel after
// channel: the stored ones, or the empty row.
inline const PatternCell* row_cells(const Pattern& pattern, std::int32_t row, std::int32_t channel_count) {
  if (row >= pattern.stored_rows) return empty_row.data();
  return &pattern.cells[static_cast<std::size_t>(row) * static_cast<std::size_t>(channel_count)];
}

// Of the points in use, none lies at an earlier tick than the one before it, and every value is 0..64.
struct EnvelopePoint {
  std::uint16_t x = 0;  // tick
  std::uint16_t y = 0;  // value
  bool operator==(const EnvelopePoint&) const = default;
};

struct Sample {
  std::unique_ptr<std::int16_t[]> data;  // length + sample_spare_words words; none when length is 0
  std::uint32_t length = 0;              // frames
  std::uint32_t loop_start = 0;          // frames
  std::uint32_t loop_length = 0;         // frames; loop_start + loop_length <= length, also without loop
  std::uint8_t volume = 0;               // 0..64
  // Mutable: effect E5 rewrites it while the module plays, through the const Sample the replay holds.
  mutable std::int8_t finetune = 0;
  std::int32_t panning = 0;       // 0..255
  std::uint8_t bits = 0;          // 8 or 16 as read; 16 once the data is loaded
  std::uint8_t stored_bits = 0;   // 8 or 16: the width of the data in the file, for the tools
  std::uint8_t loop_type = 0;     // loop_none, loop_forward or loop_ping_pong; 0 only in empty_sample
  std::int8_t relative_note = 0;  // semitones added to the played note
  std::array<char, 23> name{};    // as stored (22 bytes, any byte values), NUL-terminated; for the tools
};

// Fills the unused slots of instruments and stands in wherever no sample is found; never released.
extern const Sample empty_sample;

struct Instrument {
  Instrument();
  ~Instrument();  // releases the owned samples with free_sample
  Instrument(const Instrument&) = delete;
  Instrument& operator=(const Instrument&) = delete;

  // 0..16: the first sample_count slots are owned, the others refer to empty_sample.
  std::int32_t sample_count = 0;
  std::array<const Sample*, max_samples_per_instrument> samples;
  // The slot each note 1..96 plays; 16 and above: no sample.
  std::array<std::uint8_t, sample_map_notes> sample_map{};
  std::array<EnvelopePoint, max_envelope_points> volume_envelope{};
  std::array<EnvelopePoint, max_envelope_points> panning_envelope{};
  std::uint8_t volume_points = 0;   // 0..12 points in use
  std::uint8_t panning_points = 0;  // 0..12
  // Point indices; each is below its point count while its type bit is set.
  std::uint8_t volume_sustain = 0, volume_loop_start = 0, volume_loop_end = 0;
  std::uint8_t panning_sustain = 0, panning_loop_start = 0, panning_loop_end = 0;
  std::uint8_t volume_type = 0, panning_type = 0;  // envelope_on, envelope_sustain, envelope_loop
  // The auto-vibrato's waveform: 0 sine, 1 square, 2 ramp down, 3 ramp up.
  std::uint8_t vibrato_type = 0;
  std::uint8_t vibrato_sweep = 0, vibrato_depth = 0, vibrato_rate = 0;
  std::uint16_t fadeout = 0;  // twice the file's value, doubled in 16 bits
  std::array<char, 23> name{};  // as stored (22 bytes, any byte values), NUL-terminated; for the tools
};

// Stands in for an instrument number beyond the module's instruments: no samples, no envelopes, no
// fadeout, no auto-vibrato.
extern const Instrument empty_instrument;

// The replay's per-channel state (channel.h); start_replay creates the array when the module starts.
struct Channel;
struct SoundSystem;

struct Module {
  // Links of the sound system's playing list; none before the module first plays, then both point at the
  // module itself while it is idle.
  Module* next = nullptr;
  Module* prev = nullptr;
  SoundSystem* sound = nullptr;  // whose voices its channels play on, from start_replay to stop_replay
  std::unique_ptr<Pattern[]> patterns;        // pattern_slots of them
  std::unique_ptr<Instrument[]> instruments;  // instrument_count of them
  Channel* channels = nullptr;  // channel_count records, only while the module plays (start_replay)
  std::int32_t samples_left_in_tick = 0;
  std::int32_t samples_per_tick = 0;
  std::int16_t song_length = 0;          // 1..256 used order entries
  std::int16_t restart_position = 0;     // below song_length
  std::int16_t channel_count = 0;        // 1..256
  std::int32_t referenced_patterns = 0;  // one more than the highest pattern the used orders name
  std::int32_t pattern_slots = 0;        // the larger of the file's pattern count and referenced_patterns
  std::int16_t instrument_count = 0;     // 0..128
  std::uint16_t flags = 0;               // flag_linear_periods
  std::uint16_t default_speed = 0;       // ticks per row at start; 0 plays a row on every tick
  std::uint16_t default_bpm = 0;         // tempo at start, at least min_bpm
  std::array<std::uint8_t, order_table_size> order_table{};
  std::array<char, 21> name{};  // as stored (20 bytes, any byte values), NUL-terminated; for the tools
  std::uint8_t initial_global_volume = 0;
  std::int32_t global_volume = 0;  // 0..64
  std::uint8_t global_volume_slide = 0;
  std::uint8_t playing = 0;
  std::int32_t tick = 0;
  std::int32_t speed = 0;
  std::int32_t bpm = 0;
  std::int32_t row = 0;
  std::int32_t order_position = 0;
  std::int32_t pattern_delay = 0;
  std::int32_t next_row = 0;    // -1 for none
  std::int32_t next_order = 0;  // -1 for none
  // The row a pattern loop on the current row goes back to, -1 for none: a jump or break on the same
  // row takes precedence over it.
  std::int32_t pattern_loop_row = -1;
  // 1 once a position jump was read on the current row, so that a later pattern break keeps its order.
  std::uint8_t position_jumped = 0;
  void (*tick_callback)(Module& module) = nullptr;  // runs one tick of replay: play_tick once loaded
};

// Waits until the mixer of the system it plays in is idle, stops the module's replay and releases it
// with everything it owns. Returns false when given none.
bool free_module(Module* module);

// Waits until the program's mixer is idle and releases the sample and its data; none does nothing.
void free_sample(const Sample* sample);

// Lets a std::unique_ptr release a Module the way the program does.
struct ModuleRelease {
  void operator()(Module* module) const { free_module(module); }
};
using OwnedModule = std::unique_ptr<Module, ModuleRelease>;

}  // namespace music
