// Periods and frequencies on the two tables a module can choose: the linear table (1/64 semitone per
// period step) and the Amiga table (periods of the Amiga's clock). A larger period is a lower pitch.
#pragma once

#include <cstdint>

#include "music/module.h"

namespace music {

// The Amiga table's period of note n (an unsigned note number, 48 for C-4) with a finetune in 1/128
// semitones: 1712 for (48, 0).
std::int32_t amiga_period(std::int32_t note, std::int32_t finetune);

// The linear table's period of note n: 7680 - 64 n - finetune / 2, so 4608 for C-4.
std::int32_t linear_period(std::int32_t note, std::int32_t finetune);

// The period of note n on the module's table.
std::int32_t note_period(const Module& module, std::int32_t note, std::int32_t finetune);

// How far `semitones` above the note moves the period on the module's table, as a period_offset.
std::int32_t semitone_offset(const Module& module, std::int32_t note, std::int32_t finetune, std::int32_t semitones);

// The frequency in Hz of the period with its offset for this tick, held within min_frequency..
// max_frequency. A positive offset raises the pitch on the linear table and lowers it on the Amiga table,
// which divides by period + offset. A sum of 0 has no frequency: the caller sends none.
std::int32_t period_frequency(const Module& module, std::int32_t period, std::int32_t period_offset);

// Keeps a period that slides without limit (portamento down, the fine slides) within a range where its
// frequency is long held at a limit, so that sliding for hours never overflows it.
std::int32_t hold_sliding_period(std::int64_t period);

}  // namespace music
