// Scripted key presses of the headless runs: "--press MS:KEY" on the command line, each a press held briefly.
#pragma once

#include <cstdint>
#include <vector>

namespace tools {

// By default space goes on from the NFO screen once its verdict is up, so the intro is seen too.
inline constexpr std::uint32_t default_space_ms = 3500;

struct KeyPress {
  std::uint32_t at_ms;
  std::uint8_t virtual_key;
};

// Reads "MS:space" or "MS:escape"; false for anything else.
bool parse_key_press(const char* text, KeyPress& press);

// Adds the press of a "--press" value to `presses`; false, after saying why as `command`, when it is none.
bool take_press_option(const char* command, const char* value, std::vector<KeyPress>& presses);

// With no press given, space once the NFO verdict is up.
void press_space_unless_given(std::vector<KeyPress>& presses);

// Scripts each press on the headless platform: down at its time, up a little later.
void script_presses(const std::vector<KeyPress>& presses);

}  // namespace tools
