// zarn-tool obj: checks an object file as the intro will read it, and draws it as the intro shows it.
#pragma once

#include "tools/tool_command.h"

namespace tools {

extern const Command obj_command;

// "zarn-tool obj check FILE | obj render FILE OUT.png [--time MS] [--texture BMP]", given the arguments
// after the command's name.
int obj_main(int argc, char** argv);

}  // namespace tools
