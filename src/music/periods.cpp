// The two period tables and the frequencies of their periods.
#include "music/periods.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "music/voices.h"

namespace music {
namespace {

// Linear table: C-4 (note 48) is period 4608 and plays at 8363 Hz; an octave is 768 periods.
constexpr std::int32_t linear_top_period = 7680;
constexpr std::int32_t linear_periods_per_semitone = 64;
constexpr std::int32_t linear_middle_period = 4608;
constexpr double linear_middle_frequency = 8363;
// Single precision, as the tables were computed: these constants decide where values truncate.
constexpr float linear_octave_reciprocal = 1.0f / 768.0f;
constexpr float semitone_in_octaves = 1.0f / 12.0f;
// Amiga table: period 13.375 x 2^((132 - n) / 12); the Amiga's clock divided by the period is the Hz.
constexpr double amiga_base_period = 13.375;
constexpr std::int32_t amiga_top_note = 132;
constexpr std::int32_t amiga_clock = 14317056;
constexpr std::int32_t finetune_steps = 128;
// Far beyond any period whose frequency is not held at a limit on either table.
constexpr std::int32_t sliding_period_limit = 1 << 24;

bool linear_table(const Module& module) { return (module.flags & flag_linear_periods) != 0; }

// P(k) of the Amiga table for note n.
std::int32_t amiga_table_entry(std::int32_t k, std::int32_t note) {
  const float octaves = static_cast<float>(k - note) * semitone_in_octaves;
  return static_cast<std::int32_t>(amiga_base_period * std::exp2(static_cast<double>(octaves)));
}

std::int32_t held_frequency(double hz) {
  return static_cast<std::int32_t>(std::clamp<double>(hz, min_frequency, max_frequency));
}

}  // namespace

std::int32_t amiga_period(std::int32_t note, std::int32_t finetune) {
  const std::int32_t period = amiga_table_entry(amiga_top_note, note);
  // Finetune moves part of the way to the semitone above, or for a negative finetune to the one below.
  // Note 0 always measures against the semitone above, and a negative finetune then moves away from it.
  if (finetune >= 0 || note == 0) {
    return period + ((period - amiga_table_entry(amiga_top_note - 1, note)) * finetune) / -finetune_steps;
  }
  return period + ((period - amiga_table_entry(amiga_top_note + 1, note)) * std::abs(finetune)) / -finetune_steps;
}

std::int32_t linear_period(std::int32_t note, std::int32_t finetune) {
  return linear_top_period - linear_periods_per_semitone * note - finetune / 2;
}

std::int32_t note_period(const Module& module, std::int32_t note, std::int32_t finetune) {
  return linear_table(module) ? linear_period(note, finetune) : amiga_period(note, finetune);
}

std::int32_t semitone_offset(const Module& module, std::int32_t note, std::int32_t finetune, std::int32_t semitones) {
  if (linear_table(module)) return linear_periods_per_semitone * semitones;
  return amiga_period(note + semitones, finetune) - amiga_period(note, finetune);
}

std::int32_t period_frequency(const Module& module, std::int32_t period, std::int32_t period_offset) {
  if (linear_table(module)) {
    const float octaves = static_cast<float>(linear_middle_period - period + period_offset) * linear_octave_reciprocal;
    return held_frequency(linear_middle_frequency * std::exp2(static_cast<double>(octaves)));
  }
  return held_frequency(amiga_clock / (period + period_offset));
}

std::int32_t hold_sliding_period(std::int64_t period) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(period, -sliding_period_limit, sliding_period_limit));
}

}  // namespace music
