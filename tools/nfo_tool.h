// zarn-tool nfo: signs an NFO file with its checksum trailer, and checks it as the intro would.
#pragma once

namespace tools {

int nfo_main(int argc, char** argv);

}  // namespace tools
