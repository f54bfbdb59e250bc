// The commented kit `zarn-tool kit new` writes: every key of a kit, set to what the default set holds.
#pragma once

#include <string>

namespace tools::kit {

// The kit's text; `kit build` makes the default asset set from it, byte for byte.
std::string default_kit_text();

}  // namespace tools::kit
