// The program's life cycle: start-up, the window, the frame thread and the end.
#pragma once

namespace shell {

// How the picture is shown when the command line does not say (0 window 1:1, 1 resizable window,
// 2 borderless, 3 full screen); fixed by the build.
extern const int built_in_display_mode;

// Exit codes of the program, for the scripts that start it. A normal end: Escape on any screen (also on a
// failed NFO verdict, which is the program doing its job), a closed window, the usage text.
inline constexpr int normal_end_exit = 0;
// Start-up stopped before the frame thread ran: a file it must have, the sound output, the window or the
// display failed, and the program has said why (a message box, a line on stderr).
inline constexpr int start_up_failure_exit = 1;
// A command line the program does not understand.
inline constexpr int wrong_command_line_exit = 2;

// Loads and computes everything the screens use, in a fixed order. Returns 1, or 0 when a step fails
// (a step whose failure the user must see has already shown its message).
int load_assets();

// The whole program on whatever platform is linked: start-up, window, frame thread, message loop, end.
// Returns start_up_failure_exit when loading or the window fails, else normal_end_exit.
int run_program(int display_mode = built_in_display_mode);

// The program as started with `argv` (argv[0] its name): its usage text, or one line on stderr and
// wrong_command_line_exit for arguments it does not understand, before anything is loaded or shown;
// otherwise run_program in the display mode they choose.
int run_program_from_command_line(int argc, const char* const* argv);

}  // namespace shell
