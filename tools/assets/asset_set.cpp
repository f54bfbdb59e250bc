// Generating the default asset set.
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
#include "tools/files/file_bytes.h"

namespace tools::assets {
namespace {

bool write_file(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes, std::FILE* progress,
                const char* tool) {
  std::string failure;
  if (!write_file_bytes(path.string(), bytes, failure)) {
    std::fprintf(stderr, "%s: %s\n", tool, failure.c_str());
    return false;
  }
  std::fprintf(progress, "%8zu  %s\n", bytes.size(), path.c_str());
  return true;
}

std::vector<std::uint8_t> bytes_of(const std::string& text) { return {text.begin(), text.end()}; }

// The picture given in the design's place, or the design lettered.
template <typename Design>
std::optional<IndexedImage> picture_of(const std::optional<IndexedImage>& given, const Design& design,
                                       std::optional<IndexedImage> (*letter)(const Design&)) {
  return given ? given : letter(design);
}

// The recipe's object file text, or the knot's; none (after saying why) when the knot comes out broken.
std::optional<std::string> object_text_of(const AssetRecipe& recipe, const char* tool) {
  if (recipe.object_text) return recipe.object_text;
  std::string text = object_file_text(make_knot_mesh());
  const std::string flaws = object_text_flaws(text);
  if (!flaws.empty()) {
    std::fprintf(stderr, "%s: the knot mesh is broken: %s\n", tool, flaws.c_str());
    return std::nullopt;
  }
  return text;
}

// The recipe's module, or the built-in tune composed; none (after saying why) when it cannot be composed.
std::optional<std::vector<std::uint8_t>> music_of(const AssetRecipe& recipe, const char* tool) {
  if (recipe.music) return recipe.music;
  try {
    return music::write_xm(make_tune());
  } catch (const std::exception& fault) {
    std::fprintf(stderr, "%s: the tune cannot be composed: %s\n", tool, fault.what());
    return std::nullopt;
  }
}

}  // namespace

bool generate_assets(const std::filesystem::path& dir, const AssetRecipe& recipe, std::FILE* progress,
                     const char* tool) {
  std::error_code error;
  std::filesystem::create_directories(dir, error);
  if (error) {
    std::fprintf(stderr, "%s: cannot make %s: %s\n", tool, dir.c_str(), error.message().c_str());
    return false;
  }
  const auto logo = picture_of(recipe.logo_picture, recipe.logo, make_logo);
  const auto banner = picture_of(recipe.banner_picture, recipe.banner, make_banner);
  const auto credits = picture_of(recipe.credits_picture, recipe.credits, make_credits);
  const auto large_font = make_large_font_sheet(recipe.scroll_font);
  const auto small_font = make_small_font_sheet();
  if (!logo || !banner || !credits || !large_font || !small_font) {
    std::fprintf(stderr, "%s: cannot read the DejaVu fonts (Debian package fonts-dejavu-core)\n", tool);
    return false;
  }
  const IndexedImage blob = recipe.blob_picture ? *recipe.blob_picture : make_blob();
  const auto object = object_text_of(recipe, tool);
  const auto tune = music_of(recipe, tool);
  if (!object || !tune) return false;
  const auto write = [&](const char* name, const std::vector<std::uint8_t>& bytes) {
    return write_file(dir / name, bytes, progress, tool);
  };
  const bool written = write(base::logo_file_name, encode_bmp8(*logo)) && write(base::blob_file_name, encode_bmp8(blob)) &&
                       write(base::banner_file_name, encode_bmp8(*banner)) && write(base::credits_file_name, encode_bmp8(*credits)) &&
                       write(base::large_font_file_name, encode_bmp8(*large_font)) && write(base::small_font_file_name, encode_bmp8(*small_font)) &&
                       write(base::script_file_name, bytes_of(make_script(recipe.greetings, recipe.credits_line))) &&
                       write(base::object_file_name, bytes_of(*object)) && write(base::nfo_file_names[0], make_nfo(recipe.nfo_text)) &&
                       write(base::music_file_name, *tune);
  if (!written) return false;
  const SheetPictures pictures{*logo, *banner, *credits, blob, *large_font, *small_font};
  return write("preview.png", make_contact_sheet(pictures));
}

}  // namespace tools::assets
