// The zarn program: the intro on the platform this build links.
#include "shell/startup.h"

int main() { return shell::run_program(); }
