// The intro's pictures: the bump-mapped logo, the blob, the NFO screen's banner and the credits strip.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tools/image/indexed_image.h"

namespace tools::assets {

// The size of each picture's slot: what the screens draw it at.
inline constexpr int logo_width = 640, logo_height = 480;
inline constexpr int blob_size = 28;
inline constexpr int banner_width = 640, banner_height = 150;
inline constexpr int credits_width = 400, credits_height = 40;

// Palette entry the 3D objects are drawn in.
inline constexpr int credits_object_colour_index = 15;
// The object's one texel is pixel byte 257: row 0, column 257 of the 400-pixel-wide strip.
inline constexpr int credits_object_pixel = 257;

// What the default set's lettering says and the colours it is drawn in; a group's kit changes them.
struct LogoDesign {
  std::string lettering = "ZARN";
  std::string tagline = "SOFTWARE RENDERED";
  // The plate's deep colour first, the letter tops' last; each brighter (R + G + B) than the one before,
  // since the lit logo reads the relief from the palette's brightness.
  std::vector<Rgb888> colours = {{6, 8, 24}, {28, 40, 88}, {70, 96, 150}, {140, 150, 175}, {215, 200, 170}, {255, 240, 210}};
};
struct BannerDesign {
  std::string lettering = "ZARN";
  std::string subtitle = "- RELEASE  GROUP  OF  DISTINCTION -";
  // The chrome gradient: the lettering's darkest colour (the floor below the horizon) to its brightest.
  std::vector<Rgb888> chrome = {{20, 30, 90}, {60, 110, 200}, {170, 210, 255}, {255, 255, 255}};
};
struct CreditsDesign {
  std::string text = "CODE . GFX . MUSIC   BY   ZARN";
  std::vector<Rgb888> chrome = {{40, 60, 120}, {120, 170, 230}, {220, 235, 255}};
  // The rule along the top, dark at its ends to its brightest, the 3D objects' colour, at pixel 257.
  std::vector<Rgb888> gold = {{40, 24, 6}, {150, 90, 20}, {235, 160, 60}};
};

// Why the text cannot be lettered on a picture `width` pixels wide (it is wider, or a font has no glyph
// for a character), or empty.
std::string logo_lettering_problem(const std::string& text, bool tagline);
std::string banner_lettering_problem(const std::string& text, bool subtitle);
std::string credits_text_problem(const std::string& text);

// "logo.bmp": 640x480 height map of embossed lettering and a tagline over a textured plate; palette
// brightness rises smoothly with the index, so the lit logo's bump map reads the relief from it. Nothing
// when the font cannot be read.
std::optional<IndexedImage> make_logo(const LogoDesign& design = {});

// "blob.bmp": a soft round glow, 28x28, value 0 transparent.
IndexedImage make_blob();

// "zarn.bmp": the NFO screen's banner, 640x150 on black: chrome lettering and a subtitle.
std::optional<IndexedImage> make_banner(const BannerDesign& design = {});

// "credits.bmp": 400x40. Its pixel byte 257 (row 0, column 257) is the 3D objects' colour: a gold rule
// along the top row carries it.
std::optional<IndexedImage> make_credits(const CreditsDesign& design = {});

// The palette of the logo: entries 0..255 as a smooth run through `colours`.
void fill_logo_palette(IndexedImage& logo, const std::vector<Rgb888>& colours);

// Entries 1..15 as the gold ramp and the rule along row 0 of `credits`, brightest at the objects' pixel.
void draw_gold_rule(IndexedImage& credits, const std::vector<Rgb888>& gold);

}  // namespace tools::assets
