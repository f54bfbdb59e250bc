// The asset set: every file the intro reads, made from scratch, the same bytes on every run. The default
// set is made from the recipe's defaults; a group's kit changes what the recipe says.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tools/assets/font_sheets.h"
#include "tools/image/indexed_image.h"
#include "tools/assets/pictures.h"
#include "tools/assets/texts.h"
#include "tools/files/file_set.h"

namespace tools::assets {

// What goes into each file. A picture is lettered from its design unless a finished picture (an imported
// image) is given in its place; the music and the object are the built-in ones unless given.
struct AssetRecipe {
  LogoDesign logo;
  std::optional<IndexedImage> logo_picture;
  BannerDesign banner;
  std::optional<IndexedImage> banner_picture;
  CreditsDesign credits;
  std::optional<IndexedImage> credits_picture;
  std::optional<IndexedImage> blob_picture;
  ScrollFontShading scroll_font;
  std::string greetings = default_greetings();  // the upper scroll line
  std::string credits_line = default_credits();  // the lower scroll line
  std::vector<std::uint8_t> nfo_text = default_nfo_text();  // code page 437, CR LF, signed when written
  std::optional<std::vector<std::uint8_t>> music;  // an XM file's bytes
  std::optional<std::string> object_text;          // an object file's text
};

// The file name of the set's contact sheet of its pictures.
inline constexpr const char* contact_sheet_file_name = "preview.png";

// Every file of the set, made in memory in the order start-up reads them, the contact sheet last. Nothing
// when a file cannot be made: `failure` says why in one line.
std::optional<FileSet> make_asset_set(const AssetRecipe& recipe, std::string& failure);

// Makes the set and writes it into `dir` all together (write_folder), then says each file on `progress`.
// False, with the reason on stderr after `tool`'s name, when the set cannot be made or written; the
// folder's old files are then as they were.
bool generate_assets(const std::filesystem::path& dir, const AssetRecipe& recipe, std::FILE* progress,
                     const char* tool = "zarn-tool assets");

}  // namespace tools::assets
