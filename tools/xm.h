// zarn-tool xm: looks into XM modules with the program's own loader.
#pragma once

#include "tools/tool_command.h"

namespace tools {

extern const Command xm_command;

// "zarn-tool xm info FILE | xm trace FILE [--ticks N] | xm render FILE OUT.wav [--seconds S] [--loops N] |
// xm play FILE [--loop]", given the arguments after the command's name.
int xm_main(int argc, char** argv);

}  // namespace tools
