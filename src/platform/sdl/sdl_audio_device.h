// The SDL2 audio device as a wave device table, for the SDL backend (sdl_wave_device.cpp) and for programs
// that play sound without a window (zarn-tool xm play on the headless platform, through the module).
#pragma once

#include "platform/wave_device.h"

namespace platform::sdl {

const WaveDevice& sdl_audio_device();

}  // namespace platform::sdl
