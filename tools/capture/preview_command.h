// zarn-tool preview: the intro run on the headless platform, with frames written as PNG files.
#pragma once

#include "tools/cli/tool_command.h"

namespace tools {

extern const Command preview_command;


}  // namespace tools
