// The volume column: set and slide volume, vibrato, set and slide panning, tone portamento.
#pragma once

#include <cstdint>

#include "music/channel.h"

namespace music {

// The volume-column command on the row's first tick, after the instrument's reset.
void volume_column_row(Channel& channel, std::uint8_t command);
// The volume-column command on the other ticks of the row.
void volume_column_tick(Channel& channel, std::uint8_t command);

}  // namespace music
