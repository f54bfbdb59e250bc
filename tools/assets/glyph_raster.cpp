// FreeType rendering for the asset generator.
#include "tools/assets/glyph_raster.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>

#include "tools/nfo/code_page_437.h"

namespace tools::assets {
namespace {

// The characters of UTF-8 text; text that is not UTF-8 is taken a byte a character.
std::u32string characters_of(const std::string& text) {
  if (auto codes = decode_utf8(text)) return *codes;
  return std::u32string(text.begin(), text.end());
}

}  // namespace

struct GlyphRaster::Face {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  ~Face() {
    if (face) FT_Done_Face(face);
    if (library) FT_Done_FreeType(library);
  }
};

GlyphRaster::GlyphRaster(const std::string& font_path, int pixel_height) : face_(std::make_unique<Face>()) {
  if (FT_Init_FreeType(&face_->library) != 0) return;
  if (FT_New_Face(face_->library, font_path.c_str(), 0, &face_->face) != 0) {
    face_->face = nullptr;
    return;
  }
  FT_Set_Pixel_Sizes(face_->face, 0, static_cast<FT_UInt>(pixel_height));
}

GlyphRaster::~GlyphRaster() = default;

bool GlyphRaster::ok() const { return face_->face != nullptr; }

int GlyphRaster::text_width(const std::string& text, int extra_spacing) const {
  int pen = 0;
  for (char32_t c : characters_of(text)) {
    if (FT_Load_Char(face_->face, c, FT_LOAD_DEFAULT) != 0) continue;
    pen += static_cast<int>(face_->face->glyph->advance.x >> 6) + extra_spacing;
  }
  return pen - (text.empty() ? 0 : extra_spacing);
}

std::optional<char32_t> GlyphRaster::missing_glyph(const std::string& text) const {
  for (char32_t c : characters_of(text)) {
    if (c != ' ' && FT_Get_Char_Index(face_->face, c) == 0) return c;
  }
  return std::nullopt;
}

Coverage GlyphRaster::render(const std::string& text, int width, int height, int left, int baseline,
                             int extra_spacing) const {
  Coverage out{width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height, 0)};
  int pen = left;
  for (char32_t c : characters_of(text)) {
    if (FT_Load_Char(face_->face, c, FT_LOAD_RENDER) != 0) continue;
    const FT_GlyphSlot slot = face_->face->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    for (unsigned row = 0; row < bitmap.rows; ++row) {
      for (unsigned col = 0; col < bitmap.width; ++col) {
        const int x = pen + slot->bitmap_left + static_cast<int>(col);
        const int y = baseline - slot->bitmap_top + static_cast<int>(row);
        if (x < 0 || y < 0 || x >= width || y >= height) continue;
        std::uint8_t& v = out.values[static_cast<std::size_t>(y) * width + x];
        v = std::max(v, bitmap.buffer[row * bitmap.pitch + col]);
      }
    }
    pen += static_cast<int>(slot->advance.x >> 6) + extra_spacing;
  }
  return out;
}

std::string dejavu_font(const std::string& file_name) { return "/usr/share/fonts/truetype/dejavu/" + file_name; }

}  // namespace tools::assets
