// Releasing modules, instruments and samples; the empty stand-ins.
#include "music/module.h"

#include "music/mixer_busy.h"
#include "music/replay.h"

namespace music {

const Sample empty_sample{};
const Instrument empty_instrument;

Instrument::Instrument() { samples.fill(&empty_sample); }

Instrument::~Instrument() {
  for (std::int32_t i = 0; i < sample_count; ++i) free_sample(samples[i]);
}

bool free_module(Module* module) {
  if (!module) return false;
  wait_for_idle_mixer();
  stop_replay(*module);
  delete module;  // the instruments release their samples, the patterns their cells
  return true;
}

void free_sample(const Sample* sample) {
  if (!sample) return;
  wait_for_idle_mixer();
  delete sample;
}

}  // namespace music
