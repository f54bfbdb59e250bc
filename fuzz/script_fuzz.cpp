// The script reader over any bytes: it takes them all, and no part outgrows its store.
#include <cstdint>
#include <cstdlib>

#include "shell/script_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static shell::ScriptText script;
  if (!shell::read_script_bytes({data, size}, script).loaded()) std::abort();
  for (const std::string& part : script.parts) {
    if (part.size() > shell::script_part_capacity) std::abort();
  }
  return 0;
}
