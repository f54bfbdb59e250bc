// Volume and panning envelopes: walking an instrument's points tick by tick, with sustain and loop, and
// jumping to a tick (effect L).
#pragma once

#include <cstdint>

#include "music/channel.h"

namespace music {

enum class EnvelopeKind { volume, panning };

// True when the instrument's envelope of that kind is on and the channel has not reached its end.
bool envelope_running(const Channel& channel, const Instrument& instrument, EnvelopeKind kind);

// Moves the channel's envelope on by one tick and flags the output for sending. It holds at a sustain
// point until the key is released, jumps from the loop end to the loop start, and stops for good at the
// last point.
void envelope_step(Channel& channel, const Instrument& instrument, EnvelopeKind kind);

// Puts the volume envelope at `tick`, between the points around it, or at its end beyond the last point.
void set_volume_envelope_position(Channel& channel, const Instrument& instrument, std::int32_t tick);

}  // namespace music
