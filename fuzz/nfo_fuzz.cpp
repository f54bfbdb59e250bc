// The NFO check over any bytes: the verdict carries the checksum of the covered bytes, and a file signed
// by sign_nfo always passes.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "shell/nfo_check.h"

namespace {

bool fits(const std::vector<std::uint8_t>& file) { return file.size() <= static_cast<std::size_t>(shell::nfo_max_bytes); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> bytes(data, data + size);
  const shell::NfoCheckResult checked = shell::check_nfo_bytes(bytes, "ZARN.NFO");
  if (checked.file != "ZARN.NFO") std::abort();
  if (fits(bytes) && checked.computed != shell::nfo_checksum_text(shell::nfo_checksum(bytes))) std::abort();
  const std::vector<std::uint8_t> signed_file = shell::sign_nfo(bytes);
  if (!shell::has_signed_trailer(signed_file)) std::abort();
  if (fits(signed_file) && shell::check_nfo_bytes(signed_file, "ZARN.NFO").verdict != shell::nfo_verdict_passed) {
    std::abort();
  }
  return 0;
}
