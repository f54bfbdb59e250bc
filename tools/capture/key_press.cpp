// Key presses scripted on the headless platform.
#include "tools/capture/key_press.h"

#include <string>

#include "platform/headless/headless.h"
#include "shell/frame_state.h"
#include "tools/cli/command_line.h"

namespace tools {
namespace {

// How long a scripted key stays down.
constexpr std::uint32_t key_hold_ms = 100;

}  // namespace

std::optional<KeyPress> parse_key_press(std::string_view text) {
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos) return std::nullopt;
  const std::optional<std::int64_t> at = read_whole_number(text.substr(0, colon), 0, 0x7FFFFFFF);
  const std::string_view key = text.substr(colon + 1);
  if (!at || (key != "space" && key != "escape")) return std::nullopt;
  return KeyPress{static_cast<std::uint32_t>(*at), key == "space" ? shell::key_space : shell::key_escape};
}

void add_press_option(CLI::App& command, std::vector<KeyPress>& presses) {
  presses = {{default_space_ms, shell::key_space}};
  const auto take_presses = [&presses](const std::vector<std::string>& texts) {
    presses.clear();
    for (const std::string& text : texts) presses.push_back(*parse_key_press(text));
  };
  const auto check = [](std::string& text) {
    return parse_key_press(text) ? std::string{} : "MS:space or MS:escape, not '" + text + "'";
  };
  command
      .add_option_function<std::vector<std::string>>(
          "--press", take_presses,
          "space or escape pressed at MS on the intro's clock, once for each --press (default 3500:space)")
      ->type_name("MS:KEY")
      ->allow_extra_args(false)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
      ->check(CLI::Validator(check, ""));
}

void script_presses(const std::vector<KeyPress>& presses) {
  for (const KeyPress& press : presses) {
    platform::headless::script_key(press.at_ms, press.virtual_key, true);
    platform::headless::script_key(press.at_ms + key_hold_ms, press.virtual_key, false);
  }
}

}  // namespace tools
