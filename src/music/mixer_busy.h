// The flag the wave thread holds while it fills a block, ticks included, and the block lock behind it.
// Whatever releases or rewires what the mixer reads takes the lock with the mixer idle first.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

namespace music {

// 1 while the wave thread mixes a block or runs tick callbacks; written only by the wave thread, inside
// the block lock.
extern std::atomic<std::uint8_t> mixer_busy;

// Held by the wave thread for the whole of a block, so that no block starts while another thread
// changes the playing modules, their channels or their samples.
extern std::mutex mixer_block_lock;

// Takes the block lock and returns once mixer_busy is clear: until the lock is given back, the wave
// thread starts no block.
std::unique_lock<std::mutex> hold_idle_mixer();

}  // namespace music
