// Files made in memory before any of them is written: what the asset set, the kit and the importers make.
// A folder write puts a set in place all at once (folder_write.h); the studio zips the same set.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tools {

struct NamedFile {
  std::string name;                 // a bare file name, as the intro opens it in its folder
  std::vector<std::uint8_t> bytes;  // the whole file
};

// In the order they were made, each name once; the order in which the tools list what they wrote.
using FileSet = std::vector<NamedFile>;

}  // namespace tools
