// The zarn program: the intro on the platform this build links.
#include "shell/startup.h"

int main(int argc, char** argv) { return shell::run_program_from_command_line(argc, argv); }
