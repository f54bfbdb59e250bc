// The program's life cycle: start-up, the window, the frame thread and the end.
#pragma once

namespace shell {

// How the picture is shown (0 window 1:1, 1 resizable window, 2 borderless, 3 full screen); fixed by the build.
extern const int display_mode;

// Loads and computes everything the screens use, in a fixed order. Returns 1, or 0 when a step fails
// (a step whose failure the user must see has already shown its message).
int load_assets();

// The whole program on whatever platform is linked: start-up, window, frame thread, message loop, end.
// Returns the exit code, 0 in every case.
int run_program();

}  // namespace shell
