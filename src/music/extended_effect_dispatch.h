// The extended effect E, sent on by the effect column: its subcommand in the parameter's high nibble, the
// value in the low one.
#pragma once

#include "music/effect_dispatch.h"

namespace music {

// Effect E on the row's first tick.
void extended_effect_row(Channel& channel, const PatternCell& cell, const ChannelSound& sound, Module& module,
                         const RowStart& before_row);
// Effect E on the other ticks.
void extended_effect_tick(Channel& channel, const PatternCell& cell, const ChannelSound& sound, const Module& module);

}  // namespace music
