// Anti-aliased text from a TrueType font file, as coverage maps (0..255) for the asset generator.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tools::assets {

// Coverage of a rendered glyph or string: 0 empty, 255 fully inside.
struct Coverage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> values;
  std::uint8_t at(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return 0;
    return values[static_cast<std::size_t>(y) * width + x];
  }
};

class GlyphRaster {
 public:
  // Opens the font file at a pixel height; check ok() before use.
  GlyphRaster(const std::string& font_path, int pixel_height);
  ~GlyphRaster();
  GlyphRaster(const GlyphRaster&) = delete;
  GlyphRaster& operator=(const GlyphRaster&) = delete;

  bool ok() const;
  // The text on a canvas of width x height with its baseline at `baseline` and its pen starting at `left`;
  // `extra_spacing` pixels are added between characters.
  Coverage render(const std::string& text, int width, int height, int left, int baseline,
                  int extra_spacing = 0) const;
  // Advance of the text in pixels (with the same spacing).
  int text_width(const std::string& text, int extra_spacing = 0) const;
  // The first character of the text the font has no glyph for, if any. Texts are UTF-8.
  std::optional<char32_t> missing_glyph(const std::string& text) const;

 private:
  struct Face;
  std::unique_ptr<Face> face_;
};

// Where the freely licensed DejaVu fonts of Debian's fonts-dejavu-core package are.
std::string dejavu_font(const std::string& file_name);

}  // namespace tools::assets
