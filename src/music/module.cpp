// Releasing modules, instruments and samples; the empty stand-ins.
#include "music/module.h"

#include "music/sound_system.h"

namespace music {

const Sample empty_sample{};
const Instrument empty_instrument;
const std::array<PatternCell, max_channels> empty_row{};

Instrument::Instrument() { samples.fill(&empty_sample); }

Instrument::~Instrument() {
  for (std::int32_t i = 0; i < sample_count; ++i) free_sample(samples[i]);
}

bool free_module(Module* module) {
  if (!module) return false;
  // Out of the playing list first: the wave thread must never tick a released module.
  stop_module(module, module->sound ? *module->sound : sound_system);
  delete module;  // the instruments release their samples, the patterns their cells
  return true;
}

void free_sample(const Sample* sample) {
  if (!sample) return;
  std::unique_lock<std::mutex> hold = hold_idle_mixer();
  delete sample;
}

}  // namespace music
