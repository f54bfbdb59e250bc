// The zarn program on Windows: WinMain hands its instance and show command to the platform and runs
// the intro. The command line is not read.
#include <windows.h>

#include "platform/win32/win32_program.h"
#include "shell/startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show_command) {
  platform::win32::set_program_instance(instance, show_command);
  return shell::run_program();
}
