// Renders the open sound system offline, block by block, with the block fill of the wave thread: the same
// blocks in the same order, ticks and mixing as the intro plays them, at whatever speed the machine has.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "music/sound_system.h"

namespace music {

// Fills the next `blocks` blocks in turn (fill_next_block, under the block lock) and appends each
// block's interleaved 16-bit stereo samples to `out`; `progress`, if given, hears the number of blocks
// done after each. The sound system must be open on a device paced by its caller (the headless one, as
// the program's own start-up opens it there); false (nothing appended) while it is not open or a wave
// thread fills the blocks.
bool render_blocks(std::int64_t blocks, std::vector<std::int16_t>& out,
                   const std::function<void(std::int64_t done)>& progress = {},
                   SoundSystem& sound = sound_system);

}  // namespace music
