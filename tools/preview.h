// zarn-tool preview: the intro run on the headless platform, with frames written as PNG files.
#pragma once

#include "tools/tool_command.h"

namespace tools {

extern const Command preview_command;

// "zarn-tool preview ARGS...", given the arguments after the command's name.
int preview_main(int argc, char** argv);

}  // namespace tools
