// A group's kit: one TOML file that says what goes into the intro's files (lettering, colours, texts,
// pictures, music, object), read into the recipe the asset set is made from.
#pragma once

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/assets/asset_set.h"

namespace tools::kit {

// What is wrong with a kit: the key, the line of the kit file it is on (0 when the kit has no such line,
// e.g. it cannot be read at all), and why.
struct KitProblem {
  std::string key;
  int line = 0;
  std::string why;
};

// The kit file's problem as one line: "KIT.toml line 12, logo.lettering: why".
std::string problem_line(const std::filesystem::path& kit, const KitProblem& problem);

// A kit as read: the recipe the asset set is made from, and every file read for it.
struct Kit {
  assets::AssetRecipe recipe;
  std::vector<std::filesystem::path> inputs;  // the kit file first, each with its symbolic links followed
};

// Reads the kit at `path` (a regular file of at most 1 MiB) into a recipe: keys left out keep the default
// set's value, and files are found relative to the kit file's folder, in it or below it only. Pictures
// and the object are imported as `zarn-tool import` does, the music is loaded as the intro loads it, and
// every file read and what was done with it is said on `progress` (none: nothing is said). Nothing when
// the kit has an unknown key, a value of the wrong type or out of range, a file that is missing, unusable
// or outside the kit's folder: `problem` names the first.
std::optional<Kit> read_kit(const std::filesystem::path& path, std::FILE* progress, KitProblem& problem);

// As read_kit, with the kit file's text already read from `path`.
std::optional<Kit> read_kit_text(std::string_view text, const std::filesystem::path& path, std::FILE* progress,
                                 KitProblem& problem);

}  // namespace tools::kit
