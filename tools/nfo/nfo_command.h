// zarn-tool nfo: signs an NFO file with its checksum trailer, and checks it as the intro would.
#pragma once

#include "tools/cli/tool_command.h"

namespace tools {

extern const Command nfo_command;

}  // namespace tools
