// The template of a new backend: every function of platform.h, each with what it must do, stubbed as a
// platform that has no display. A port copies this folder to src/platform/<backend>/, renames the files to
// <backend>_platform.cpp and <backend>_wave_device.cpp, and fills in each function; sdl/, win32/ and web/
// show three ways.
//
// It is built with every tree, and the intro is linked against it (platform_template_check), so it keeps
// up with platform.h: each definition names its namespace, so one whose signature no longer matches
// platform.h fails to compile instead of adding an overload, and a function platform.h gains fails the
// link.
//
// Threads: create_window, run_message_loop and destroy_window run on the main thread; present on the
// frame thread; request_quit, tick_ms and message_box on any thread.
#include <chrono>
#include <cstdio>

#include "platform/platform.h"

// Must: milliseconds from a fixed point, wrapping after 2^32 ms; elapsed_ms and the frame pacing read only
// this clock. Any thread. Here: the C++ steady clock, where a port has its own tick (GetTickCount).
std::uint32_t platform::tick_ms() {
  const auto since_start = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since_start).count());
}

// Must: open and show the one window in `display_mode` (0 a 640x480 window, 1 resizable and stretched,
// 2 borderless screen-sized, 3 full screen with the aspect kept), hide the mouse pointer over it, and call
// `on_key` on the main thread with Windows virtual-key codes (key_space, key_escape) as keys go down and
// up; Alt+Enter switches modes by display_mode_after_toggle. False, with nothing left open, when there is
// no display to show on. Here: there is none.
bool platform::create_window([[maybe_unused]] const char* title, [[maybe_unused]] int display_mode,
                             [[maybe_unused]] KeyHandler on_key) {
  return false;
}

// Must: move the window's messages (keys, close, focus) on the main thread until the window is closed or
// request_quit is called; once it returns, present returns true at once without showing anything.
void platform::run_message_loop() {}

// Must: make run_message_loop end, as closing the window would; callable from any thread (the frame
// thread ends the program through it).
void platform::request_quit() {}

// Must: show the 640x480 RGB565 picture `pixels` (rows of 640, top row first) and return once it is on
// screen, as a page flip waits for the vertical refresh (pace to 60 Hz where there is none). False when
// the display is lost; true at once after the message loop has ended. Here: no display.
bool platform::present([[maybe_unused]] const std::uint16_t* pixels) { return false; }

// Must: close the window and give the display back; safe when create_window failed or was never called.
void platform::destroy_window() {}

// Must: show `text` under `caption` with one OK button and return when it is dismissed; it also goes to
// stderr, so it is read where no display exists. Any thread.
void platform::message_box(const char* text, const char* caption) { std::fprintf(stderr, "%s: %s\n", caption, text); }
