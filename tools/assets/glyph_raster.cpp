// stb_truetype rendering for the asset generator: portable C, so a browser build letters the same bytes.
#include "tools/assets/glyph_raster.h"

#include <algorithm>

#include "tools/files/input_file.h"
#include "tools/nfo/code_page_437.h"

// The implementation is compiled here alone, its functions static: no symbol clashes with a system stb
// library that carries its own copy. Static, the functions we do not call would each be warned about.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#define STBTT_STATIC
#define STB_TRUETYPE_IMPLEMENTATION
#include <stb_truetype.h>
#pragma GCC diagnostic pop

namespace tools::assets {
namespace {

// The characters of UTF-8 text; text that is not UTF-8 is taken a byte a character.
std::u32string characters_of(const std::string& text) {
  if (auto codes = decode_utf8(text)) return *codes;
  return std::u32string(text.begin(), text.end());
}

// Font units per em, from the font's "head" table.
int units_per_em(const stbtt_fontinfo& info) { return info.data[info.head + 18] << 8 | info.data[info.head + 19]; }

// Curves are cut into straight edges that stray at most this far from them. stb_truetype's own choice
// (0.35 pixels) leaves corners on the large lettering's bowls; a sixteenth of a pixel is as fine as
// FreeType cut them, so the letters keep the shape they had.
constexpr float curve_flatness_pixels = 1.0f / 16;

// A glyph's advance in whole pixels: scaled to 1/64 pixels with the 16.16 scale, then rounded to the
// nearest pixel.
int advance_pixels(const stbtt_fontinfo& info, std::int64_t scale_16_16, int glyph) {
  int advance_units = 0, left_bearing = 0;
  stbtt_GetGlyphHMetrics(&info, glyph, &advance_units, &left_bearing);
  const std::int64_t sixty_fourths = (advance_units * scale_16_16 + 0x8000) >> 16;
  return static_cast<int>((sixty_fourths + 32) >> 6);
}

// Draws one glyph, `scale` pixels per font unit, with its origin at (pen, baseline) into `out`, keeping the
// larger coverage where glyphs overlap.
void draw_glyph(const stbtt_fontinfo& info, float scale, int glyph, int pen, int baseline, Coverage& out) {
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  stbtt_GetGlyphBitmapBox(&info, glyph, scale, scale, &x0, &y0, &x1, &y1);
  const int w = x1 - x0, h = y1 - y0;
  if (w <= 0 || h <= 0) return;
  std::vector<std::uint8_t> bitmap(static_cast<std::size_t>(w) * h);
  stbtt__bitmap target{w, h, w, bitmap.data()};
  stbtt_vertex* outline = nullptr;
  const int points = stbtt_GetGlyphShape(&info, glyph, &outline);
  stbtt_Rasterize(&target, curve_flatness_pixels, outline, points, scale, scale, 0, 0, x0, y0, 1, nullptr);
  stbtt_FreeShape(&info, outline);
  for (int row = 0; row < h; ++row) {
    for (int col = 0; col < w; ++col) {
      const int x = pen + x0 + col, y = baseline + y0 + row;
      if (x < 0 || y < 0 || x >= out.width || y >= out.height) continue;
      std::uint8_t& v = out.values[static_cast<std::size_t>(y) * out.width + x];
      v = std::max(v, bitmap[static_cast<std::size_t>(row) * w + col]);
    }
  }
}

}  // namespace

// The font file stays in memory: stb_truetype reads its glyphs from there. The fonts are the system's
// DejaVu files, never a stranger's, which matters because stb_truetype trusts the tables it reads.
struct GlyphRaster::Face {
  std::vector<std::uint8_t> file;
  stbtt_fontinfo info{};
  bool loaded = false;
  float scale = 0;  // pixels per font unit: the em is pixel_height pixels
  // The same scale in FreeType's fixed point (16.16 of 1/64 pixels), from which advances are rounded as the
  // lettering has always been placed: a pen position off by one pixel would move whole words.
  std::int64_t scale_16_16 = 0;
};

GlyphRaster::GlyphRaster(const std::string& font_path, int pixel_height) : face_(std::make_unique<Face>()) {
  std::string failure;
  auto file = read_input_file(font_path, font_input, failure);
  if (!file) return;
  face_->file = std::move(*file);
  const unsigned char* data = face_->file.data();
  const int offset = stbtt_GetFontOffsetForIndex(data, 0);
  if (offset < 0 || !stbtt_InitFont(&face_->info, data, offset)) return;
  const int em = units_per_em(face_->info);
  if (em <= 0) return;
  face_->scale = stbtt_ScaleForMappingEmToPixels(&face_->info, static_cast<float>(pixel_height));
  face_->scale_16_16 = ((static_cast<std::int64_t>(pixel_height) * 64 << 16) + em / 2) / em;
  face_->loaded = true;
}

GlyphRaster::~GlyphRaster() = default;

bool GlyphRaster::ok() const { return face_->loaded; }

int GlyphRaster::text_width(const std::string& text, int extra_spacing) const {
  int pen = 0;
  for (char32_t c : characters_of(text)) {
    const int glyph = stbtt_FindGlyphIndex(&face_->info, static_cast<int>(c));
    pen += advance_pixels(face_->info, face_->scale_16_16, glyph) + extra_spacing;
  }
  return pen - (text.empty() ? 0 : extra_spacing);
}

std::optional<char32_t> GlyphRaster::missing_glyph(const std::string& text) const {
  for (char32_t c : characters_of(text)) {
    if (c != ' ' && stbtt_FindGlyphIndex(&face_->info, static_cast<int>(c)) == 0) return c;
  }
  return std::nullopt;
}

Coverage GlyphRaster::render(const std::string& text, int width, int height, int left, int baseline,
                             int extra_spacing) const {
  Coverage out{width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height, 0)};
  int pen = left;
  for (char32_t c : characters_of(text)) {
    const int glyph = stbtt_FindGlyphIndex(&face_->info, static_cast<int>(c));
    draw_glyph(face_->info, face_->scale, glyph, pen, baseline, out);
    pen += advance_pixels(face_->info, face_->scale_16_16, glyph) + extra_spacing;
  }
  return out;
}

std::string dejavu_font(const std::string& file_name) { return "/usr/share/fonts/truetype/dejavu/" + file_name; }

}  // namespace tools::assets
