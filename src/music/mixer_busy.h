// The flag the wave thread holds while it fills a block, ticks included. Whatever releases or rewires
// what the mixer reads waits for it to clear first.
#pragma once

#include <atomic>
#include <cstdint>

namespace music {

// 1 while the wave thread mixes a block or runs tick callbacks; written only by the wave thread.
extern std::atomic<std::uint8_t> mixer_busy;

// Returns once mixer_busy is clear.
void wait_for_idle_mixer();

}  // namespace music
