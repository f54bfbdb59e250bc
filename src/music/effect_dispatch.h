// The effect column: on the row's first tick and on the ticks after it, sends each cell's effect to what
// it does to its channel and to the playing module. The operations several effects share are in
// effect_helpers.h, the extended effect E in extended_effect_dispatch.h.
#pragma once

#include <cstdint>

#include "music/channel.h"
#include "music/effects.h"

namespace music {

// The channel's levels before the row's cells changed them: a note delay puts them back.
struct RowStart {
  std::int32_t volume;
  std::int32_t period;
  std::int32_t panning;
};

// The cell's effect on the row's first tick, after envelopes and fadeout, with the instrument and sample
// the channel plays on this tick.
void effect_row(Channel& channel, const PatternCell& cell, const ChannelSound& sound, Module& module,
                const RowStart& before_row);
// The cell's effect on the other ticks of the row, module.tick counting on past speed during a pattern
// delay.
void effect_tick(Channel& channel, const PatternCell& cell, const ChannelSound& sound, Module& module);

}  // namespace music
