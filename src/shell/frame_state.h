// State the screens share with the frame loop: the frame buffer, the key flags, the mode and the clock.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

namespace shell {

inline constexpr std::uint8_t key_space = 0x20;
inline constexpr std::uint8_t key_escape = 0x1B;

enum RunMode : std::int32_t { run_mode_end = 0, run_mode_nfo = 1, run_mode_intro = 2 };

// 640x480 RGB565, rows top to bottom. Allocated at start-up, freed when the program ends normally.
extern std::unique_ptr<std::uint16_t[]> frame_buffer;
// 1 while the key with that virtual-key code is held. Written by the window's events, read by the screens.
extern std::array<std::atomic<std::uint8_t>, 256> key_down;
// The screen the frame loop runs next; read and written on the frame thread only.
extern std::int32_t run_mode;
// The frame loop runs while this is non-zero.
extern std::atomic<std::int32_t> running;
// Tick count when the frame thread started.
extern std::atomic<std::uint32_t> start_tick;

// Milliseconds since the frame thread started, in wrapping 32-bit arithmetic.
std::uint32_t elapsed_ms();

// Allocates a cleared frame buffer.
void allocate_frame_buffer();
void free_frame_buffer();

// The key handler the window calls.
void set_key_state(std::uint8_t virtual_key, bool down);

// Back to the state before start-up: NFO screen next, nothing running, no key held, no frame buffer.
void reset_frame_state();

}  // namespace shell
