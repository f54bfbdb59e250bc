// What WinMain hands the Windows platform before the program starts: its instance and the way Windows
// asks for its window to be shown first.
#pragma once

#include <windows.h>

namespace platform::win32 {

void set_program_instance(HINSTANCE instance, int show_command);

// A program without a console of its own prints nowhere when started from a command prompt: its usage
// text and its one-line complaints then go to the prompt's console. Output that is already redirected
// (to a file or a pipe) stays where it goes.
void connect_text_output();

}  // namespace platform::win32
