// zarn-tool assets: makes the default asset set.
#pragma once

#include "tools/cli/tool_command.h"

namespace tools::assets {

extern const Command assets_command;

}  // namespace tools::assets
