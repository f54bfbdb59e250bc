// zarn-tool xm: looks into XM modules with the program's own loader.
#pragma once

namespace tools {

int xm_main(int argc, char** argv);

}  // namespace tools
