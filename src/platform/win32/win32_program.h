// What WinMain hands the Windows platform before the program starts: its instance and the way Windows
// asks for its window to be shown first.
#pragma once

#include <windows.h>

namespace platform::win32 {

void set_program_instance(HINSTANCE instance, int show_command);

}  // namespace platform::win32
