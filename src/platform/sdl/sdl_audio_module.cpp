// The SDL2 audio device as a module loaded at run time (sdl_audio_module_loader.h): a program that only
// sometimes plays sound does not pay SDL's start-up on every run.
#include "platform/sdl/sdl_audio_device.h"

extern "C" __attribute__((visibility("default"))) const platform::WaveDevice* zarn_wave_device() {
  return &platform::sdl::sdl_audio_device();
}
