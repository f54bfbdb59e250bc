// The NFO check over any bytes: the file read in pieces gives the verdict of the same bytes in memory,
// and a file signed by sign_nfo always passes.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "input_file.h"
#include "shell/nfo_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static fuzz::InputFile input;
  const std::vector<std::uint8_t> bytes(data, data + size);
  const shell::NfoCheckResult in_memory = shell::check_nfo_bytes(bytes);
  const shell::NfoCheckResult from_file = shell::check_nfo_file(input.hold(data, size));
  if (size <= static_cast<std::size_t>(shell::nfo_max_bytes) &&
      (from_file.verdict != in_memory.verdict || from_file.computed != in_memory.computed ||
       from_file.expected != in_memory.expected)) {
    std::abort();
  }
  const std::vector<std::uint8_t> signed_file = shell::sign_nfo(bytes);
  if (!shell::has_signed_trailer(signed_file)) std::abort();
  if (shell::check_nfo_bytes(signed_file).verdict != shell::nfo_verdict_passed) std::abort();
  return 0;
}
