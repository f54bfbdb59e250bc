// zarn-tool preview: the intro run on the headless platform, with frames written as PNG files.
#pragma once

namespace tools {

int preview_main(int argc, char** argv);

}  // namespace tools
