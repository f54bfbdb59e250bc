// Key presses scripted on the headless platform.
#include "tools/key_press.h"

#include <string>

#include "platform/headless/headless.h"
#include "shell/frame_state.h"
#include "tools/number_arguments.h"
#include "tools/tool_command.h"

namespace tools {
namespace {

// How long a scripted key stays down.
constexpr std::uint32_t key_hold_ms = 100;

}  // namespace

bool parse_key_press(const char* text, KeyPress& press) {
  const std::string arg = text;
  const std::size_t colon = arg.find(':');
  std::int64_t at = 0;
  if (colon == std::string::npos || !parse_whole_number(arg.substr(0, colon).c_str(), 0, 0x7FFFFFFF, at)) {
    return false;
  }
  const std::string key = arg.substr(colon + 1);
  press.at_ms = static_cast<std::uint32_t>(at);
  if (key == "space") press.virtual_key = shell::key_space;
  else if (key == "escape") press.virtual_key = shell::key_escape;
  else return false;
  return true;
}

bool take_press_option(const char* command, const char* value, std::vector<KeyPress>& presses) {
  KeyPress press{};
  if (!parse_key_press(value, press)) return option_error(command, "--press takes MS:space or MS:escape, not '%s'", value);
  presses.push_back(press);
  return true;
}

void press_space_unless_given(std::vector<KeyPress>& presses) {
  if (presses.empty()) presses.push_back({default_space_ms, shell::key_space});
}

void script_presses(const std::vector<KeyPress>& presses) {
  for (const KeyPress& press : presses) {
    platform::headless::script_key(press.at_ms, press.virtual_key, true);
    platform::headless::script_key(press.at_ms + key_hold_ms, press.virtual_key, false);
  }
}

}  // namespace tools
