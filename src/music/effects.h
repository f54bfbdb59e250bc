// Pattern effects and volume-column commands: what each does to its channel and to the playing module on
// the row's first tick and on the ticks after it.
#pragma once

#include <cstdint>

#include "music/channel.h"

namespace music {

// Effect types as the file numbers them: 0..9, then 10 for A up to 35 for Z. Types not listed (tremolo
// among them) do nothing.
enum EffectType : std::uint8_t {
  effect_arpeggio = 0,
  effect_porta_up = 1,
  effect_porta_down = 2,
  effect_tone_porta = 3,
  effect_vibrato = 4,
  effect_tone_porta_volume_slide = 5,
  effect_vibrato_volume_slide = 6,
  effect_set_panning = 8,
  effect_sample_offset = 9,
  effect_volume_slide = 10,       // A
  effect_position_jump = 11,      // B
  effect_set_volume = 12,         // C
  effect_pattern_break = 13,      // D
  effect_extended = 14,           // E
  effect_speed_tempo = 15,        // F
  effect_global_volume = 16,      // G
  effect_global_volume_slide = 17,  // H
  effect_key_off = 20,            // K: read by the replay before the envelopes
  effect_envelope_position = 21,  // L
  effect_panning_slide = 25,      // P
  effect_multi_retrig = 27,       // R
  effect_tremor = 29,             // T
  effect_extra_fine_porta = 33,   // X
};

// The channel's levels before the row's cells changed them: a note delay puts them back.
struct RowStart {
  std::int32_t volume;
  std::int32_t period;
  std::int32_t panning;
};

// The volume-column command on the row's first tick, after the instrument's reset.
void volume_column_row(Channel& channel, std::uint8_t command);
// The volume-column command on the other ticks of the row.
void volume_column_tick(Channel& channel, std::uint8_t command);

// The cell's effect on the row's first tick, after envelopes and fadeout, with the instrument and sample
// the channel plays on this tick.
void effect_row(Channel& channel, const PatternCell& cell, const ChannelSound& sound, Module& module,
                const RowStart& before_row);
// The cell's effect on the other ticks of the row, module.tick counting on past speed during a pattern
// delay.
void effect_tick(Channel& channel, const PatternCell& cell, const ChannelSound& sound, Module& module);

}  // namespace music
