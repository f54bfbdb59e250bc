// Loads the SDL2 audio device, built as a module beside the program (sdl_audio_module.cpp), into a program
// on the headless platform, to plug in with plug_wave_device. The loader itself does not link SDL, so only
// the run that plays sound (zarn-tool xm play) pays its start-up.
#pragma once

#include "platform/wave_device.h"

namespace platform::sdl {

// The device of the module beside the running program, or none (after one line on stderr) when it is
// missing or cannot be loaded. The module stays loaded until the program ends.
const WaveDevice* load_sdl_audio_module();

}  // namespace platform::sdl
