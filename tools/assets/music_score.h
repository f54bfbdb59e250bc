// "music.xm": the intro's own tune, composed here, in A minor at 128 BPM on 18 channels.
#pragma once

#include "music/xm_writer.h"

namespace tools::assets {

music::XmSong make_tune();

}  // namespace tools::assets
