// The zarn program on Windows: WinMain hands its instance and show command to the platform and runs
// the intro with the options of its command line.
#include <windows.h>

#include <cstdlib>

#include "platform/win32/win32_program.h"
#include "shell/startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show_command) {
  platform::win32::set_program_instance(instance, show_command);
  platform::win32::connect_text_output();
  return shell::run_program_from_command_line(__argc, __argv);
}
