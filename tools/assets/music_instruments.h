// The default tune's instruments, synthesised: drums, bass, lead, pad, arpeggio voices, bell and effects.
#pragma once

#include <cstdint>
#include <vector>

#include "music/xm_writer.h"

namespace tools::assets {

// Instrument numbers as pattern cells name them.
enum TuneInstrument : std::uint8_t {
  ins_kick = 1,
  ins_snare,
  ins_hats,
  ins_bass,
  ins_lead,
  ins_pad,
  ins_pluck,
  ins_chip,
  ins_bell,
  ins_riser,
  ins_crash,
};

// The hats instrument plays the closed hat below this key and the open one from it on.
inline constexpr int open_hat_key = 61;  // C-5
// A sample offset (in 256 frames) at which the kick's body passes zero after its click: a softer kick
// that starts without a step.
inline constexpr std::uint8_t soft_kick_offset = 2;

std::vector<music::XmInstrument> make_tune_instruments();

}  // namespace tools::assets
