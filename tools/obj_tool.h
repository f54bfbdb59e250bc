// zarn-tool obj: checks an object file as the intro will read it, and draws it as the intro shows it.
#pragma once

namespace tools {

// obj check FILE | obj render FILE OUT.png [--time MS] [--texture BMP]
int obj_main(int argc, char** argv);

}  // namespace tools
