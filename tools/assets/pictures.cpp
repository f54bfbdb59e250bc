// Drawing the intro's pictures.
#include "tools/assets/pictures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tools/assets/glyph_raster.h"
#include "tools/assets/height_field.h"
#include "tools/cli/message_text.h"

namespace tools::assets {
namespace {

// Text pictures use 16 coverage levels of 16 colours: entry c * 16 + g is colour g at coverage c / 15, so
// the lettering is smoothed against the black it is drawn on.
void fill_coverage_palette(IndexedImage& image, const std::vector<Rgb888>& gradient_stops) {
  IndexedImage ramp(1, 1);
  fill_palette_ramp(ramp, 0, 15, gradient_stops);
  for (int c = 0; c < 16; ++c) {
    for (int g = 0; g < 16; ++g) {
      const Rgb888& colour = ramp.palette[g];
      image.palette[c * 16 + g] = {to_byte(colour.r * c / 15.0), to_byte(colour.g * c / 15.0),
                                   to_byte(colour.b * c / 15.0)};
    }
  }
}

std::uint8_t coverage_index(double coverage, double gradient) {
  const int c = std::clamp(static_cast<int>(coverage * 15 + 0.5), 0, 15);
  const int g = std::clamp(static_cast<int>(gradient * 15 + 0.5), 0, 15);
  return static_cast<std::uint8_t>(c == 0 ? 0 : c * 16 + g);
}

// How one line of a picture is lettered: its font, size, baseline and extra spacing between characters,
// centred on a canvas of the picture's size with at least `margin` pixels left free on either side.
struct LetteringStyle {
  const char* font;
  int pixel_height;
  int baseline;
  int spacing;
  int width, height;  // of the picture
  int margin;
};

constexpr LetteringStyle logo_letters{"DejaVuSans-Bold.ttf", 180, 284, 2, logo_width, logo_height, 14};
constexpr LetteringStyle logo_tagline{"DejaVuSans-Bold.ttf", 30, 392, 8, logo_width, logo_height, 14};
constexpr LetteringStyle banner_letters{"DejaVuSans-Bold.ttf", 118, 112, 18, banner_width, banner_height, 12};
constexpr LetteringStyle banner_subtitle{"DejaVuSansMono-Bold.ttf", 14, 138, 2, banner_width, banner_height, 12};
constexpr LetteringStyle credits_letters{"DejaVuSansMono-Bold.ttf", 15, 27, 1, credits_width, credits_height, 4};

// Lettering is made smaller to fit its picture, down to this share of its size; longer text is refused.
constexpr double smallest_share = 0.45;
// Capital letters stand about this share of the pixel height above the baseline: a smaller size moves
// the baseline up by this share of the difference, so the letters stay centred where the style puts them.
constexpr double capital_middle = 0.36;

// The style at the size at which the text fits between the margins: the style itself when it fits (as the
// default set's lettering does), else the largest smaller size that fits; none when even the smallest
// size allowed does not fit or the font cannot be read.
std::optional<LetteringStyle> fitted_style(const LetteringStyle& style, const std::string& text) {
  const int room = style.width - 2 * style.margin;
  const int smallest = static_cast<int>(style.pixel_height * smallest_share);
  for (int size = style.pixel_height; size >= smallest;) {
    const GlyphRaster raster(dejavu_font(style.font), size);
    if (!raster.ok()) return std::nullopt;
    const int wide = raster.text_width(text, style.spacing);
    if (wide <= room) {
      LetteringStyle fitted = style;
      fitted.pixel_height = size;
      fitted.baseline -= static_cast<int>(std::lround(capital_middle * (style.pixel_height - size)));
      return fitted;
    }
    size = std::min(size - 1, static_cast<int>(static_cast<long long>(size) * room / wide));
  }
  return std::nullopt;
}

// Centred text as 0..1 coverage on a canvas of the picture's size; none when the font cannot be read.
// Text too long for its picture is left out (the kit refuses it first; see lettering_problem).
std::optional<HeightField> centred_text(const LetteringStyle& style, const std::string& text) {
  if (!GlyphRaster(dejavu_font(style.font), style.pixel_height).ok()) return std::nullopt;
  const auto fitted = fitted_style(style, text);
  if (!fitted) return HeightField(style.width, style.height);
  const GlyphRaster raster(dejavu_font(fitted->font), fitted->pixel_height);
  const int left = (fitted->width - raster.text_width(text, fitted->spacing)) / 2;
  return from_coverage(raster.render(text, fitted->width, fitted->height, left, fitted->baseline, fitted->spacing));
}

// Why the text cannot be lettered in the style: a character the font cannot draw, or too long to fit even
// at the smallest size; empty when it is fine (also when the font cannot be read: making the picture
// says so).
std::string lettering_problem(const LetteringStyle& style, const std::string& text) {
  // Every character moves the pen by a pixel at least, so more characters than the picture has columns
  // cannot fit: said before a glyph is measured, whatever the text's length.
  const auto characters = static_cast<std::size_t>(
      std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
  if (characters > static_cast<std::size_t>(style.width)) {
    return quoted_for_message(text) + " is " + std::to_string(characters) + " characters long; the " +
           std::to_string(style.width) + "-pixel picture holds far fewer";
  }
  const GlyphRaster raster(dejavu_font(style.font), style.pixel_height);
  if (!raster.ok()) return {};
  if (const auto missing = raster.missing_glyph(text)) {
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(*missing));
    return std::string("the lettering's font has no glyph for ") + code;
  }
  if (fitted_style(style, text)) return {};
  return quoted_for_message(text) + " does not fit the " + std::to_string(style.width) + "-pixel picture even at " +
         std::to_string(static_cast<int>(smallest_share * 100)) + "% of the lettering's size; shorten it";
}

// The nearest of evenly spaced points, about 64 pixels apart, from `first` to `last`.
double nearest_rivet(double v, double first, double last) {
  const int gaps = std::max(1, static_cast<int>(std::lround((last - first) / 64.0)));
  const double spacing = (last - first) / gaps;
  return first + std::clamp(std::round((v - first) / spacing), 0.0, static_cast<double>(gaps)) * spacing;
}

// Domed rivets along a line 26 pixels inside the frame.
double rivet_height(int x, int y, int w, int h) {
  constexpr int inset = 26;
  constexpr double radius = 5.0;
  const double rx = nearest_rivet(x, inset, w - 1 - inset);
  const double ry = nearest_rivet(y, inset, h - 1 - inset);
  double best = 1e9;
  for (auto [cx, cy] : {std::pair<double, double>{rx, inset}, {rx, h - 1 - inset}, {inset, ry}, {w - 1 - inset, ry}}) {
    best = std::min(best, std::hypot(x - cx, y - cy));
  }
  return best < radius ? 0.3 * std::sqrt(1 - best * best / (radius * radius)) : 0.0;
}

}  // namespace

std::string logo_lettering_problem(const std::string& text, bool tagline) {
  return lettering_problem(tagline ? logo_tagline : logo_letters, text);
}

std::string banner_lettering_problem(const std::string& text, bool subtitle) {
  return lettering_problem(subtitle ? banner_subtitle : banner_letters, text);
}

std::string credits_text_problem(const std::string& text) { return lettering_problem(credits_letters, text); }

void fill_logo_palette(IndexedImage& logo, const std::vector<Rgb888>& colours) { fill_palette_ramp(logo, 0, 255, colours); }

std::optional<IndexedImage> make_logo(const LogoDesign& design) {
  constexpr int w = logo_width, h = logo_height;
  const auto letters = centred_text(logo_letters, design.lettering);
  const auto tagline = centred_text(logo_tagline, design.tagline);
  if (!letters || !tagline) return std::nullopt;

  // Raised letters with rounded bevels, a chiselled groove around them, a riveted frame and a
  // brushed, mottled plate: every part has relief for the moving light to catch.
  const HeightField bevel = blurred(*letters, 4);
  const HeightField groove = blurred(*letters, 10);
  const HeightField tag = blurred(*tagline, 1);
  HeightField relief(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const double plate = 0.16 + 0.10 * fractal_noise(x / 40.0, y / 40.0, 7, 4) + 0.006 * std::sin((x + 2 * y) * 0.7);
      const int edge = std::min({x, y, w - 1 - x, h - 1 - y});
      const double frame = edge < 10 ? 0.55 - 0.08 * std::abs(edge - 5) : (edge < 14 ? 0.05 : 0.0);
      const double ring = std::max(0.0, groove.at(x, y) - letters->at(x, y)) * 0.35;
      relief.at(x, y) = std::clamp(plate + frame - ring + rivet_height(x, y, w, h) + 0.62 * bevel.at(x, y) +
                                       0.3 * tag.at(x, y),
                                   0.0, 1.0);
    }
  }
  IndexedImage logo(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) logo.at(x, y) = to_byte(relief.at(x, y) * 255);
  }
  // By default a deep blue plate through steel to warm silver on the letter tops.
  fill_logo_palette(logo, design.colours);
  return logo;
}

IndexedImage make_blob() {
  constexpr int size = blob_size;
  IndexedImage blob(size, size);
  const double centre = (size - 1) / 2.0;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const double r = std::hypot(x - centre, y - centre) / (size / 2.0);
      if (r >= 1.0) continue;
      const double glow = std::pow(1.0 - r, 1.6);
      blob.at(x, y) = static_cast<std::uint8_t>(1 + std::lround(glow * 254));
    }
  }
  // Dim violet rim to a pale cyan heart; the blobs are brightened twice over when they are drawn.
  fill_palette_ramp(blob, 1, 255, {{10, 2, 24}, {40, 20, 90}, {40, 90, 140}, {110, 150, 150}});
  return blob;
}

std::optional<IndexedImage> make_banner(const BannerDesign& design) {
  constexpr int w = banner_width, h = banner_height;
  const auto title = centred_text(banner_letters, design.lettering);
  const auto subtitle = centred_text(banner_subtitle, design.subtitle);
  if (!title || !subtitle) return std::nullopt;
  IndexedImage banner(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      // A chrome band: bright sky above the horizon line at 70, a dark floor, bright again at the foot.
      const double t = y < 70 ? 0.55 + 0.45 * (70 - y) / 60.0 : 0.15 + 0.85 * (y - 70) / 45.0;
      const double text = std::max(title->at(x, y), subtitle->at(x, y));
      banner.at(x, y) = coverage_index(text, y >= 120 ? 0.6 : std::clamp(t, 0.0, 1.0));
    }
  }
  fill_coverage_palette(banner, design.chrome);
  return banner;
}

void draw_gold_rule(IndexedImage& credits, const std::vector<Rgb888>& gold) {
  // Entries 1..15 sit where text has no coverage: they hold the gold of the top rule instead.
  fill_palette_ramp(credits, 1, 15, gold);
  // The rule is brightest at the objects' pixel and fades toward both ends.
  const int w = credits.width;
  for (int x = 0; x < w; ++x) {
    const double fade = x <= credits_object_pixel ? static_cast<double>(x) / credits_object_pixel
                                                  : static_cast<double>(w - 1 - x) / (w - 1 - credits_object_pixel);
    credits.at(x, 0) = static_cast<std::uint8_t>(1 + std::lround(fade * (credits_object_colour_index - 1)));
  }
}

std::optional<IndexedImage> make_credits(const CreditsDesign& design) {
  constexpr int w = credits_width, h = credits_height;
  const auto text = centred_text(credits_letters, design.text);
  if (!text) return std::nullopt;
  IndexedImage credits(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) credits.at(x, y) = coverage_index(text->at(x, y), 0.35 + 0.65 * y / h);
  }
  fill_coverage_palette(credits, design.chrome);
  draw_gold_rule(credits, design.gold);
  return credits;
}

}  // namespace tools::assets
