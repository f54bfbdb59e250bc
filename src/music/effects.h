// The pattern effects by number, as the replay, the tools and the tests name them. What each one does is
// in effect_dispatch.h; the volume column's commands are in volume_column.h.
#pragma once

#include <cstdint>

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

}  // namespace music
