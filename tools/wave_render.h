// Plays the open sound system on the headless wave device, block by block, and collects what the wave
// thread wrote: the same scheduling, ticks and mixing as the intro, at whatever speed the machine has.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace tools {

// Moves the headless device on by one block at a time, waits until the wave thread has refilled the
// block the device left, and appends that block's interleaved stereo samples to `out`; `progress`, if
// given, hears the number of blocks done after each. False (nothing appended) while the sound system is
// not open.
bool render_blocks(std::int64_t blocks, std::vector<std::int16_t>& out,
                   const std::function<void(std::int64_t done)>& progress = {});

}  // namespace tools
