// A sound card for programs on the headless platform, loaded only when asked for: the wave device module
// built beside the program (the SDL2 audio device on Linux), to plug in with plug_wave_device.
#pragma once

#include "platform/wave_device.h"

namespace platform::headless {

// The device of the module beside the running program, or none (after one line on stderr) when it is
// missing or cannot be loaded. The module stays loaded until the program ends.
const WaveDevice* load_sound_card();

}  // namespace platform::headless
