// The replay engine: walks a playing Module through its orders, patterns and rows, one tick per call,
// and turns the cells into channel state that each channel sends to its voice.
//
// Everything here runs on the wave thread, once per tick, while its system's mixer_busy is set: it
// allocates nothing and locks nothing.
#pragma once

#include <cstdint>

#include "music/channel.h"

namespace music {

// Sets the tempo and the output frames per tick at the rate of the voice pool the module plays on:
// floor(5 x rate / (2 x bpm)), 882 at 125 BPM and 44100 Hz; 0 before the module has a pool. A tempo
// below 1 counts as 1.
void set_bpm(Module& module, std::int32_t bpm);

// The module's tick_callback: on the row's first tick reads the row's cells and plans the next row,
// on the other ticks runs the continuing effects; then counts the tick.
void play_tick(Module& module);

// Tick 0 of a row: every channel takes its cell's note, instrument, volume column and effect.
void process_row(Module& module);
// The other ticks of a row: envelopes, fadeout and the continuing effects of the row's cells.
void process_tick(Module& module);

// Puts the module at the start of its song and creates its zeroed channels, channel i on voice i of the
// system's pool. False when the channels cannot be allocated or the module has more channels than voices.
// The sound system's start_module calls it once the mixer is idle.
bool start_replay(Module& module, SoundSystem& sound = sound_system);
// Silences the module's voices and releases its channels (nothing when it has none); the module then
// plays on no system.
void stop_replay(Module& module);

}  // namespace music
