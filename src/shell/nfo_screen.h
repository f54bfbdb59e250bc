// The first screen: the check of the release group's NFO file and its verdict.
#pragma once

namespace shell {

// Draws and presents one frame of the NFO check screen at `seconds` on the frame loop's clock;
// may set `run_mode` from the keys.
void nfo_screen(float seconds);

}  // namespace shell
