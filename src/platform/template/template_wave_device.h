// The template backend's wave device as a table (wave_device.h), the form a headless program plugs in
// when it plays through a real device (zarn-tool xm play and the SDL audio device).
#pragma once

#include "platform/wave_device.h"

namespace platform::template_port {

const WaveDevice& template_wave_device();

}  // namespace platform::template_port
