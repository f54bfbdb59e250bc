// zarn-tool check DIR: every file the intro reads, read by the intro's own readers, and what the intro will
// then do: run as intended, fall back, show a message box and end, or fail its NFO check.
#pragma once

#include <string>
#include <vector>

#include "tools/cli/tool_command.h"

namespace tools {

// How a file leaves the intro.
enum class FileOutcome {
  as_intended,  // read and used as the group means it
  falls_back,   // the intro runs, but without the file or with part of it (a flaw)
  ends,         // the intro shows a message box, or its NFO check fails, and it ends
};

struct FileCheck {
  std::string file;
  bool present = false;  // a regular file of that name is there
  std::string reader;    // what the intro's reader makes of it
  std::string intro;     // what the intro does then
  FileOutcome outcome = FileOutcome::as_intended;
};

// Checks every file of the folder `dir`, in the order start-up reads them; the NFO screen's file last. None
// when the folder cannot be entered, and then `cannot_enter`, if given, says why in one line.
std::vector<FileCheck> check_folder(const std::string& dir, std::string* cannot_enter = nullptr);

extern const Command check_command;

}  // namespace tools
