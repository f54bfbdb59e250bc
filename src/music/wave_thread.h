// The wave thread of the sound system: which block to refill when, and how a block is filled.
#pragma once

#include <cstdint>

#include "music/sound_system.h"

namespace music {

// The body of the wave thread: until the stop request, refills the block the device has just left,
// polling the play position every 2 ms. Sets thread_done when it leaves.
void run_wave_thread(SoundSystem& sound);

// Whether block `next` is to be filled now, with the device playing block `current` of `count`: the
// order round the loop that keeps the writer behind a device that reads the whole loop on its own.
bool block_is_due(std::int32_t next, std::int32_t current, std::int32_t count);

// The block of the wave buffer that holds byte `byte` of the sound (counted as sound_end is).
std::int32_t block_holding(const SoundSystem& sound, std::uint64_t byte);

// Fills the next block in turn under the block lock, as the wave thread does, and publishes it to the
// device; returns the block's number. The wave thread calls it when the device has left the block; on a
// device paced by its caller (no wave thread), the caller calls it for each block it wants. On a device
// that plays only published sound and has run past the end of it, the block goes to the first block
// border ahead of the play position.
std::int32_t fill_next_block(SoundSystem& sound);

// Fills block `block` of the wave buffer: every playing module ticks exactly every samples_per_tick
// frames and all voices are mixed between its ticks, then the floats become 16-bit samples. The caller
// holds the block lock.
void fill_block(SoundSystem& sound, std::int32_t block);

}  // namespace music
