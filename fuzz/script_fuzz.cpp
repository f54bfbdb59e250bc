// The script reader over any bytes: it reads every file that opens, and no part outgrows its store.
#include <cstdint>
#include <cstdlib>

#include "input_file.h"
#include "shell/script_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static fuzz::InputFile input;
  static shell::ScriptText script;
  if (!shell::read_script_file(input.hold(data, size), script).loaded()) std::abort();
  for (const std::string& part : script.parts) {
    if (part.size() > shell::script_part_capacity) std::abort();
  }
  return 0;
}
