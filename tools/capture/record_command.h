// zarn-tool record: the intro run on the headless platform, captured frame by frame with its music as an
// MP4 file.
#pragma once

#include "tools/cli/tool_command.h"

namespace tools {

extern const Command record_command;


}  // namespace tools
