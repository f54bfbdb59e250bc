// Helpers that several effects and volume-column commands share: slides, tone portamento, vibrato,
// tremor. They act on one channel and decide nothing about which effect runs when.
#pragma once

#include <cstdint>

#include "music/channel.h"

namespace music {

// Slides the volume up by the parameter's high nibble, or else down by its low nibble, within 0..64.
void volume_slide(Channel& channel, std::uint8_t parameter);
// Moves the volume by `change` within 0..64 and flags it.
void change_volume(Channel& channel, std::int32_t change);
// Moves the panning by `change` within 0..255 and flags it.
void change_panning(Channel& channel, std::int32_t change);

// Slides the period towards porta_target by 4 x porta_speed, stopping on the target.
void tone_portamento(Channel& channel);

// Sets period_offset from the vibrato waveform at vibrato_position, scaled by vibrato_depth.
void vibrato(Channel& channel);
// Moves the vibrato on by vibrato_speed steps of its 64-step cycle.
void advance_vibrato(Channel& channel);

// Silences this tick while the tremor's count is past its sounding ticks, and counts on.
void tremor(Channel& channel);

}  // namespace music
