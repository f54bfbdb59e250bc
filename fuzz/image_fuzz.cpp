// The picture import over any bytes: the structural check, stb_image and the fitting either make the slot's
// picture or refuse with a reason, within the picture's bytes and bounded in time and memory. The input's
// length picks the slot, so that every slot is fitted and quantised while each run fits only one (a fit
// quantises the whole slot, whatever the picture's size).
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <vector>

#include "tools/image/image_import.h"

namespace {

constexpr tools::ImageSlot slots[] = {tools::ImageSlot::logo, tools::ImageSlot::banner, tools::ImageSlot::credits,
                                      tools::ImageSlot::blob};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> file(data, data + size);
  const std::vector<tools::Rgb888> gold{{235, 160, 60}, {120, 70, 20}};
  std::string failure;
  const auto imported = tools::import_image(file, "fuzz.png", slots[size % std::size(slots)], gold, failure);
  if (imported ? imported->summary.empty() || imported->picture.pixels.empty() : failure.empty()) std::abort();
  return 0;
}
