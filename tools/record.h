// zarn-tool record: the intro run on the headless platform, captured frame by frame with its music as an
// MP4 file.
#pragma once

#include "tools/tool_command.h"

namespace tools {

extern const Command record_command;

// "zarn-tool record ARGS...", given the arguments after the command's name.
int record_main(int argc, char** argv);

}  // namespace tools
