// The first screen: the check of the release group's NFO file and its verdict. From three seconds after
// the frame thread started it shows the verdict; space goes on when the check passed, Escape ends otherwise.
#pragma once

#include <cstdint>

#include "shell/nfo_check.h"

namespace shell {

struct NfoScreenState {
  bool check_pending = true;  // the check runs once, in the first frame
  NfoVerdict verdict = nfo_verdict_missing;
};

extern NfoScreenState nfo_state;

// Milliseconds after the frame thread's start from which the verdict is shown and its key counts.
inline constexpr std::uint32_t nfo_verdict_delay_ms = 3000;

// Draws and presents one frame at `seconds` on the frame loop's clock; may set `run_mode` from the keys.
void nfo_screen(float seconds);

// Where the NFO screen draws the credits strip's top left corner: the strip may reach the frame's
// right and bottom edges from there.
inline constexpr int credits_strip_x = 239;
inline constexpr int credits_strip_y = 435;

// The three lines shown under a verdict, at rows 200, 220 and 250.
struct VerdictText {
  const char* verdict;   // what the check found: "CRC Check passed!"
  const char* release;   // what that says of the release
  const char* key_hint;  // the key that goes on
};
const VerdictText& verdict_text(NfoVerdict verdict);

}  // namespace shell
