// The default asset set: every file the intro reads, made from scratch, the same bytes on every run.
#pragma once

#include <cstdio>
#include <filesystem>

#include "tools/tool_command.h"

namespace tools::assets {

// Writes the whole set and its contact sheet "preview.png" into `dir`, saying each file on `progress`.
// False, with the reason on stderr, when a file cannot be made or written.
bool generate_assets(const std::filesystem::path& dir, std::FILE* progress);

extern const Command assets_command;

}  // namespace tools::assets
