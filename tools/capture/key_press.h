// Scripted key presses of the headless runs: "--press MS:KEY" on the command line, each a press held briefly.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace CLI {
class App;
}  // namespace CLI

namespace tools {

// By default space goes on from the NFO screen once its verdict is up, so the intro is seen too.
inline constexpr std::uint32_t default_space_ms = 3500;

struct KeyPress {
  std::uint32_t at_ms;
  std::uint8_t virtual_key;
};

// Reads "MS:space" or "MS:escape"; none for anything else.
std::optional<KeyPress> parse_key_press(std::string_view text);

// Adds "--press MS:KEY", which may be given again for each press; the presses go to `presses`, and with
// none given, space once the NFO verdict is up.
void add_press_option(CLI::App& command, std::vector<KeyPress>& presses);

// Scripts each press on the headless platform: down at its time, up a little later.
void script_presses(const std::vector<KeyPress>& presses);

}  // namespace tools
