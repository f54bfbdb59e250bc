// Writes the kit fuzz target's seed that the tools make: the default kit, as `zarn-tool kit new` writes it.
//
// Usage: make_kit_seeds FOLDER
#include <cstdio>
#include <fstream>
#include <string>

#include "tools/kit/kit_template.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_kit_seeds FOLDER\n");
    return 2;
  }
  std::ofstream file(std::string(argv[1]) + "/default-kit.toml", std::ios::binary);
  file << tools::kit::default_kit_text();
  return file.good() ? 0 : 1;
}
