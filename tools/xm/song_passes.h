// Where a pass through a module's song ends, found tick by tick while the song plays: where it comes back
// to an order position it has played in this pass (through the restart position or a jump), or runs off
// the end of its order table.
#pragma once

#include <cstdint>

#include "music/module.h"

namespace tools {

// From the module's next start on, its tick callback is play_tick with the passes counted around it,
// until `passes_wanted` passes have ended. One module at a time.
void count_song_passes(music::Module& module, int passes_wanted);

// The output frame where the wanted passes ended (ticks fall every samples_per_tick frames, so it is
// exact), or -1 while they have not. Read with the mixer idle while a wave thread plays.
std::int64_t song_passes_end_frame();

// Passes ended so far.
int song_passes_done();

}  // namespace tools
