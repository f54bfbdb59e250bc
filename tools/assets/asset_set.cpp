// Making the asset set in memory, and writing it into a folder.
#include "tools/assets/asset_set.h"

#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "base/asset_files.h"
#include "tools/assets/contact_sheet.h"
#include "tools/assets/font_sheets.h"
#include "tools/assets/knot_mesh.h"
#include "tools/object/object_report.h"
#include "tools/assets/music_score.h"
#include "tools/assets/pictures.h"
#include "tools/assets/texts.h"
#include "tools/files/folder_write.h"

namespace tools::assets {
namespace {

std::vector<std::uint8_t> bytes_of(const std::string& text) { return {text.begin(), text.end()}; }

// The picture given in the design's place, or the design lettered.
template <typename Design>
std::optional<IndexedImage> picture_of(const std::optional<IndexedImage>& given, const Design& design,
                                       std::optional<IndexedImage> (*letter)(const Design&)) {
  return given ? given : letter(design);
}

// The recipe's object file text, or the knot's; none, with `failure` saying why, when the knot comes out broken.
std::optional<std::string> object_text_of(const AssetRecipe& recipe, std::string& failure) {
  if (recipe.object_text) return recipe.object_text;
  std::string text = object_file_text(make_knot_mesh());
  const std::string flaws = object_text_flaws(text);
  if (!flaws.empty()) {
    failure = "the knot mesh is broken: " + flaws;
    return std::nullopt;
  }
  return text;
}

// The recipe's module, or the built-in tune composed; none, with `failure` saying why, when it cannot be composed.
std::optional<std::vector<std::uint8_t>> music_of(const AssetRecipe& recipe, std::string& failure) {
  if (recipe.music) return recipe.music;
  try {
    return music::write_xm(make_tune());
  } catch (const std::exception& fault) {
    failure = std::string("the tune cannot be composed: ") + fault.what();
    return std::nullopt;
  }
}

}  // namespace

std::optional<FileSet> make_asset_set(const AssetRecipe& recipe, std::string& failure) {
  const auto logo = picture_of(recipe.logo_picture, recipe.logo, make_logo);
  const auto banner = picture_of(recipe.banner_picture, recipe.banner, make_banner);
  const auto credits = picture_of(recipe.credits_picture, recipe.credits, make_credits);
  const auto large_font = make_large_font_sheet(recipe.scroll_font);
  const auto small_font = make_small_font_sheet();
  if (!logo || !banner || !credits || !large_font || !small_font) {
    failure = "cannot read the DejaVu fonts (Debian package fonts-dejavu-core)";
    return std::nullopt;
  }
  const IndexedImage blob = recipe.blob_picture ? *recipe.blob_picture : make_blob();
  const auto object = object_text_of(recipe, failure);
  if (!object) return std::nullopt;
  const auto tune = music_of(recipe, failure);
  if (!tune) return std::nullopt;
  const SheetPictures pictures{*logo, *banner, *credits, blob, *large_font, *small_font};
  return FileSet{
      {base::logo_file_name, encode_bmp8(*logo)},
      {base::blob_file_name, encode_bmp8(blob)},
      {base::banner_file_name, encode_bmp8(*banner)},
      {base::credits_file_name, encode_bmp8(*credits)},
      {base::large_font_file_name, encode_bmp8(*large_font)},
      {base::small_font_file_name, encode_bmp8(*small_font)},
      {base::script_file_name, bytes_of(make_script(recipe.greetings, recipe.credits_line))},
      {base::object_file_name, bytes_of(*object)},
      {base::nfo_file_names[0], make_nfo(recipe.nfo_text)},
      {base::music_file_name, *tune},
      {contact_sheet_file_name, make_contact_sheet(pictures)},
  };
}

bool generate_assets(const std::filesystem::path& dir, const AssetRecipe& recipe, std::FILE* progress,
                     const char* tool) {
  std::string failure;
  const auto set = make_asset_set(recipe, failure);
  if (!set || !write_folder(dir, *set, failure)) {
    std::fprintf(stderr, "%s: %s\n", tool, failure.c_str());
    return false;
  }
  for (const NamedFile& file : *set) std::fprintf(progress, "%8zu  %s\n", file.bytes.size(), (dir / file.name).c_str());
  return true;
}

}  // namespace tools::assets
