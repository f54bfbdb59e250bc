// zarn-tool record: the intro run on the headless platform, captured frame by frame with its music as an
// MP4 file.
#pragma once

namespace tools {

int record_main(int argc, char** argv);

}  // namespace tools
