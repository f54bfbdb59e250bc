// zarn-tool obj: checks an object file as the intro will read it, and draws it as the intro shows it.
#pragma once

#include "tools/cli/tool_command.h"

namespace tools {

extern const Command obj_command;


}  // namespace tools
