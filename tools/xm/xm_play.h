// zarn-tool xm play FILE [--loop]: a module through a sound card with the intro's sound system.
#pragma once

#include "music/module.h"
#include "platform/wave_device.h"

namespace tools {

// How xm play finds the sound card it plays through, chosen by the program: called once per play, it
// gives the card or none. Without it, or without a card, xm play says there is no sound device.
void set_sound_card(const platform::WaveDevice* (*find_card)());

// Plays one pass of the loaded song from `path` (every pass again with --loop) until it ends or Ctrl-C,
// with one status line; the thread joins and the device closes either way. Exit code as for every
// subcommand.
int xm_play(music::Module& module, const char* path, bool loop);

}  // namespace tools
