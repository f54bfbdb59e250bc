// State the screens share with the frame loop: the frame buffer, the key flags, the mode and the clock.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

#include "platform/platform.h"

namespace shell {

using platform::key_escape;
using platform::key_space;

enum RunMode : std::int32_t { run_mode_end = 0, run_mode_nfo = 1, run_mode_intro = 2 };

using KeyFlags = std::array<std::atomic<std::uint8_t>, 256>;

struct FrameState {
  // 640x480 RGB565, rows top to bottom. Allocated at start-up, freed when the program ends normally.
  std::unique_ptr<std::uint16_t[]> frame_buffer;
  // 1 while the key with that virtual-key code is held. Written by the window's events.
  KeyFlags key_down{};
  // 1 once the key has gone down, until the frame loop hands the press to a frame: a tap that begins
  // and ends between two frames still counts once.
  KeyFlags key_pressed{};
  // The presses the current frame sees, taken from key_pressed as the frame began; frame thread only.
  std::array<std::uint8_t, 256> frame_presses{};
  // The screen the frame loop runs next; read and written on the frame thread only.
  std::int32_t run_mode = run_mode_nfo;
  // The frame loop runs while this is non-zero.
  std::atomic<std::int32_t> running{0};
  // Tick count when the frame thread started.
  std::atomic<std::uint32_t> start_tick{0};
};

// The program's one frame state.
extern FrameState frame_state;

// Milliseconds since the frame thread started, in wrapping 32-bit arithmetic.
std::uint32_t elapsed_ms(const FrameState& state = frame_state);

// Allocates a cleared frame buffer.
void allocate_frame_buffer(FrameState& state = frame_state);
void free_frame_buffer(FrameState& state = frame_state);

// The key handler the window calls: a key going down is held and latched, going up only stops holding.
void set_key_state(std::uint8_t virtual_key, bool down);
void set_key_state(FrameState& state, std::uint8_t virtual_key, bool down);

// The frame loop calls this as each frame begins: the presses latched since the previous frame become
// this frame's, and the latches are cleared for the next.
void take_key_presses(FrameState& state = frame_state);

// Whether the current frame sees the key: held now, or tapped since the previous frame began.
bool key_seen(std::uint8_t virtual_key, const FrameState& state = frame_state);

// Back to the state before start-up: NFO screen next, nothing running, no key held, no frame buffer.
void reset_frame_state(FrameState& state = frame_state);

}  // namespace shell
