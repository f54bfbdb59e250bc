// The XM loader over any bytes: it loads, or refuses with a reason; never reads or writes outside memory.
#include <cstdint>
#include <cstdlib>

#include "music/xm_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  base::LoadResult result;
  const music::OwnedModule module = music::load_module({data, size}, result);
  if (module ? !result.loaded() : result.reason.empty()) std::abort();
  return 0;
}
