// The colour component tables that the effects read every frame.
#include "base/rgb565.h"

namespace base {

ColourTables colour_tables;

int set_up_pixel_format() {
  for (int i = 0; i < 256; ++i) {
    colour_tables.red[i] = pack_rgb565(i, 0, 0);
    colour_tables.green[i] = pack_rgb565(0, i, 0);
    colour_tables.blue[i] = pack_rgb565(0, 0, i);
  }
  return 1;
}

}  // namespace base
