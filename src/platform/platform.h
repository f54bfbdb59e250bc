// What the portable program needs of a platform. Every backend (sdl/, win32/, web/, headless/) implements
// all of it; an executable links exactly one backend.
//
// Threads: create_window, run_message_loop and destroy_window belong to the main thread; present belongs
// to the frame thread; request_quit, tick_ms and message_box may be called from any thread.
#pragma once

#include <cstdint>

namespace platform {

// The Windows virtual-key codes of the two keys the program reads.
inline constexpr std::uint8_t key_space = 0x20;
inline constexpr std::uint8_t key_escape = 0x1B;

// Called on the main thread when a key goes down or up. `virtual_key` is a Windows virtual-key
// code (key_space, key_escape), so the portable code reads the same codes on every platform.
using KeyHandler = void (*)(std::uint8_t virtual_key, bool down);

// Millisecond tick count; wraps after 2^32 ms.
std::uint32_t tick_ms();

// Creates and shows the program's one window with the mouse cursor hidden. `display_mode`:
// 0 window 640x480 shown 1:1, 1 resizable window stretched to its client area,
// 2 borderless screen-sized window stretched, 3 full screen with the aspect kept.
// Alt+Enter then switches between a window (modes 0 and 1) and full screen (mode 3) while it runs.
// Returns false (nothing left open) if the window or the display cannot be set up. The pointer is
// hidden here and not before: it is hidden only over the program's own windows, and before this one
// exists those are the start-up message boxes, whose OK button keeps its pointer.
bool create_window(const char* title, int display_mode, KeyHandler on_key);

inline constexpr int display_window = 0;
inline constexpr int display_full_screen = 3;

// The mode Alt+Enter switches to from `current`: full screen from a window; from the screen-covering
// modes back to `started_in` when the program started in a window, else to the 640x480 window.
inline int display_mode_after_toggle(int current, int started_in) {
  const bool in_window = current == 0 || current == 1;
  if (in_window) return display_full_screen;
  return started_in == 0 || started_in == 1 ? started_in : display_window;
}

// Moves window messages until the window is closed or request_quit is called.
void run_message_loop();

// Asks the message loop to end, as closing the window would.
void request_quit();

// Shows a 640x480 RGB565 picture and returns once it is on screen, like a page flip that waits for the
// vertical refresh. Returns false when the display is lost; after the message loop has ended it returns
// true at once without showing anything.
bool present(const std::uint16_t* pixels);

// Closes the window. Safe to call when create_window failed.
void destroy_window();

// A message with one OK button; it also goes to stderr so it is seen without a display.
void message_box(const char* text, const char* caption);

// The wave device: one looping buffer of interleaved little-endian signed 16-bit stereo frames, played
// for ever from its start once opened. The portable mixer writes into the buffer; the device only
// reports how far it has played. Open, close and the position may be called from any one thread at a
// time; the position also from the thread that refills the buffer.
inline constexpr int wave_channels = 2;
inline constexpr int wave_bytes_per_frame = 4;

// Starts playing `buffer` (`bytes` long, a whole number of frames) in a loop at `rate` frames per second.
// False (nothing open) when the device cannot play that format. The buffer must outlive wave_close.
bool wave_open(int rate, const std::uint8_t* buffer, std::uint32_t bytes);

// Bytes played since wave_open, counted on across the loops of the buffer; 0 while closed. The count
// is published with release order after the bytes have been read, so a writer that reads it (acquire)
// may overwrite what lies behind it.
std::uint64_t wave_bytes_played();

// The buffer holds sound up to `bytes`, counted since wave_open across its loops (the zeros of the
// buffer count as the first loop). The writer calls it with release order after writing; the device
// plays nothing beyond it, silence instead, so it never reads a block that is being written.
void wave_publish(std::uint64_t bytes);

// True when the device plays only bytes below the published end and silence beyond it, while its count
// moves on as time does (SDL, the web page). A writer held up past that end may then put its next block
// anywhere ahead of the play position; where the device reads the whole loop on its own (wave-out), only
// the refill order keeps the two apart, and blocks follow one another round the loop.
bool wave_plays_only_published();

// True when the device has no clock of its own and moves only when its caller plays it (the headless
// device): then no thread refills the buffer, the caller fills each block when it wants the next one.
bool wave_paced_by_caller();

// Stops playing and forgets the buffer. Safe to call when nothing is open.
void wave_close();

// Gives the calling thread the highest priority the platform allows, for the thread that refills the
// wave buffer; where that is not allowed the thread keeps its priority.
void raise_thread_priority();

}  // namespace platform
