// The exclusive full-screen display through DirectDraw 7: a flipping chain of 640x480 at 16 bits per
// pixel with one back buffer. Opened on the main thread before the frame thread exists, presented on
// the frame thread, closed on the main thread after the frame thread has ended.
#pragma once

#include <windows.h>

#include <cstdint>

namespace platform::win32 {

// Takes the display for `window` and switches it to width x height x 16. False at the first step that
// fails; what was made so far stays for close_full_screen.
bool open_full_screen(HWND window, int width, int height);

// Copies a width x height RGB565 picture to the back buffer and flips. False when the back buffer
// cannot be locked, as after the display was lost to another program.
bool present_full_screen(const std::uint16_t* pixels);

// Gives the display back and releases what open_full_screen made; safe after a partial open and when
// nothing was made.
void close_full_screen();

}  // namespace platform::win32
