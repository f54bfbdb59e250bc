// Importing PNG and JPEG pictures into the intro's picture slots.
#include "tools/image/image_import.h"

#include <algorithm>
#include <cmath>

#include "base/asset_files.h"
#include "tools/assets/pictures.h"
#include "tools/image/median_cut.h"
#include "tools/image/picture_check.h"
#include "tools/image/stb_image_decoder.h"

namespace tools {
namespace {

// Where a slot's picture goes: its size, and the part of it the imported picture is fitted into.
struct SlotLayout {
  const char* name;
  const char* file_name;  // the picture's file in the intro's folder
  int width, height;
  int area_top;  // the credits strip keeps row 0 for its gold rule
};

const SlotLayout& layout_of(ImageSlot slot) {
  static const SlotLayout layouts[] = {
      {"logo", base::logo_file_name, assets::logo_width, assets::logo_height, 0},
      {"banner", base::banner_file_name, assets::banner_width, assets::banner_height, 0},
      {"credits", base::credits_file_name, assets::credits_width, assets::credits_height, 1},
      {"blob", base::blob_file_name, assets::blob_size, assets::blob_size, 0},
  };
  return layouts[static_cast<int>(slot)];
}

// Pixel (x, y) of a decoded picture: red, green, blue, alpha.
const std::uint8_t* pixel_at(const RgbaPixels& picture, int x, int y) {
  return picture.pixels.get() + (static_cast<std::size_t>(y) * picture.width + x) * 4;
}

// Where the picture lands in the slot: scaled to fit its area whole, kept in proportion, centred.
struct Placement {
  int left, top, width, height;
};

Placement fit(const RgbaPixels& picture, const SlotLayout& slot) {
  const int area_height = slot.height - slot.area_top;
  const double scale = std::min(static_cast<double>(slot.width) / picture.width,
                                static_cast<double>(area_height) / picture.height);
  const int w = std::clamp(static_cast<int>(std::lround(picture.width * scale)), 1, slot.width);
  const int h = std::clamp(static_cast<int>(std::lround(picture.height * scale)), 1, area_height);
  return {(slot.width - w) / 2, slot.area_top + (area_height - h) / 2, w, h};
}

// One pixel of the fitted picture: its colour over black and its opacity.
struct Sample {
  Rgb888 colour;
  double alpha;
};

// How much of source pixel [i, i + 1) lies in the span [from, to).
double overlap(int i, double from, double to) {
  return std::max(0.0, std::min(to, i + 1.0) - std::max(from, double(i)));
}

// The mean of the source pixels under destination pixel (x, y) of a picture scaled to w x h, each weighed
// by how much of it lies under; colours weighed by their opacity too, so that a transparent pixel's colour
// does not bleed into its neighbours.
Sample area_sample(const RgbaPixels& picture, int x, int y, int w, int h) {
  const double x0 = double(x) * picture.width / w, x1 = double(x + 1) * picture.width / w;
  const double y0 = double(y) * picture.height / h, y1 = double(y + 1) * picture.height / h;
  double r = 0, g = 0, b = 0, a = 0, weight = 0;
  for (int sy = static_cast<int>(y0); sy < picture.height && sy < y1; ++sy) {
    const double wy = overlap(sy, y0, y1);
    for (int sx = static_cast<int>(x0); sx < picture.width && sx < x1; ++sx) {
      const double wxy = wy * overlap(sx, x0, x1);
      const std::uint8_t* p = pixel_at(picture, sx, sy);
      const double alpha = p[3] / 255.0;
      r += wxy * alpha * p[0];
      g += wxy * alpha * p[1];
      b += wxy * alpha * p[2];
      a += wxy * alpha;
      weight += wxy;
    }
  }
  if (weight <= 0) return {{0, 0, 0}, 0};
  return {{to_byte(r / weight), to_byte(g / weight), to_byte(b / weight)}, a / weight};
}

// The slot's whole area as samples: the fitted picture, and transparent black around it.
std::vector<Sample> fitted_samples(const RgbaPixels& picture, const SlotLayout& slot, const Placement& at) {
  std::vector<Sample> samples(static_cast<std::size_t>(slot.width) * slot.height, Sample{{0, 0, 0}, 0});
  for (int y = 0; y < at.height; ++y) {
    for (int x = 0; x < at.width; ++x) {
      samples[static_cast<std::size_t>(at.top + y) * slot.width + at.left + x] =
          area_sample(picture, x, y, at.width, at.height);
    }
  }
  return samples;
}

bool has_transparency(const RgbaPixels& picture) {
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      if (pixel_at(picture, x, y)[3] != 255) return true;
    }
  }
  return false;
}

int brightness(Rgb888 c) { return c.r + c.g + c.b; }

// A blob pixel this transparent or more is left out: value 0 is the blob's transparent value.
constexpr double blob_opacity_floor = 0.5;

// Which samples take part in the palette and which palette entries they may take: the credits strip
// keeps entries 1..15 for its gold, and the blob keeps entry 0 for transparency.
struct PaletteLayout {
  int first_free;  // the quantised colours go from here to 255
  bool black_at_zero;
};

PaletteLayout palette_layout(ImageSlot slot) {
  switch (slot) {
    case ImageSlot::logo: return {0, false};
    case ImageSlot::banner: return {1, true};
    case ImageSlot::credits: return {assets::credits_object_colour_index + 1, true};
    case ImageSlot::blob: return {1, true};
  }
  return {0, false};
}

bool is_drawn(ImageSlot slot, const Sample& s) { return slot != ImageSlot::blob || s.alpha >= blob_opacity_floor; }

// Quantises the samples into `image`'s palette and pixels, in the slot's palette layout; the colour count
// before quantising for the summary.
std::size_t quantise_into(IndexedImage& image, ImageSlot slot, const std::vector<Sample>& samples, int area_top) {
  const PaletteLayout layout = palette_layout(slot);
  std::vector<Rgb888> colours;
  for (std::size_t i = static_cast<std::size_t>(area_top) * image.width; i < samples.size(); ++i) {
    if (is_drawn(slot, samples[i])) colours.push_back(samples[i].colour);
  }
  std::vector<Rgb888> chosen = median_cut_palette(colours, 256 - layout.first_free);
  std::vector<Rgb888> palette(static_cast<std::size_t>(layout.first_free), Rgb888{0, 0, 0});
  palette.insert(palette.end(), chosen.begin(), chosen.end());
  // The lit logo reads each pixel's palette brightness as its height: brightness rises with the index,
  // up to the unused entries at the end, which repeat the brightest colour.
  if (slot == ImageSlot::logo) {
    std::stable_sort(palette.begin(), palette.end(), [](Rgb888 a, Rgb888 b) { return brightness(a) < brightness(b); });
    palette.resize(256, palette.back());
  }
  // Black keeps its own entry 0 where it may be drawn; otherwise a pixel takes the nearest quantised colour.
  const int search_from = layout.black_at_zero && slot != ImageSlot::blob ? 0 : layout.first_free;
  for (std::size_t i = 0; i < palette.size(); ++i) image.palette[i] = palette[i];
  for (int y = area_top; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const Sample& s = samples[static_cast<std::size_t>(y) * image.width + x];
      if (!is_drawn(slot, s)) continue;  // stays 0
      const int nearest = nearest_entry(palette, s.colour, search_from);
      image.at(x, y) = static_cast<std::uint8_t>(nearest < layout.first_free ? 0 : nearest);
    }
  }
  return distinct_colour_count(colours);
}

std::string placement_words(const RgbaPixels& picture, const SlotLayout& slot, const Placement& at) {
  std::string words = std::to_string(picture.width) + "x" + std::to_string(picture.height);
  if (at.width == picture.width && at.height == picture.height) {
    words += " kept at its size";
  } else {
    words += at.width > picture.width || at.height > picture.height ? " scaled up to " : " scaled down to ";
    words += std::to_string(at.width) + "x" + std::to_string(at.height);
  }
  words += " (nothing cropped), ";
  const bool fills = at.width == slot.width && at.height == slot.height - slot.area_top;
  words += fills ? "filling the " : "centred on black in the ";
  return words + std::to_string(slot.width) + "x" + std::to_string(slot.height) + " " + slot.name;
}

std::string quantise_words(ImageSlot slot, std::size_t colours, const PaletteLayout& layout) {
  const int room = 256 - layout.first_free;
  std::string words = std::to_string(colours) + (colours == 1 ? " colour" : " colours");
  words += colours > static_cast<std::size_t>(room) ? " quantised to " + std::to_string(room) : " kept";
  if (slot == ImageSlot::logo) words += ", ordered by brightness so the lit logo reads it as relief";
  if (slot == ImageSlot::credits) words += ", below the gold rule of row 0 that colours the 3D objects";
  if (slot == ImageSlot::blob) words += ", entry 0 transparent";
  return words;
}

}  // namespace

std::optional<ImageSlot> image_slot_named(std::string_view name) {
  for (ImageSlot slot : {ImageSlot::logo, ImageSlot::banner, ImageSlot::credits, ImageSlot::blob}) {
    if (name == layout_of(slot).name) return slot;
  }
  return std::nullopt;
}

const char* image_slot_file_name(ImageSlot slot) { return layout_of(slot).file_name; }

std::optional<ImportedImage> import_image(const std::vector<std::uint8_t>& file, const std::string& name,
                                          ImageSlot slot, const std::vector<Rgb888>& gold, std::string& failure) {
  if (!picture_format(file)) {
    failure = name + " is not a PNG or JPEG file";
    return std::nullopt;
  }
  if (std::string fault = picture_fault(file); !fault.empty()) {
    failure = name + ": " + fault;
    return std::nullopt;
  }
  std::string reason;
  std::optional<RgbaPixels> decoded = decode_rgba(file, reason);
  if (!decoded) {
    failure = name + " cannot be decoded: " + reason;
    return std::nullopt;
  }
  const RgbaPixels& picture = *decoded;
  const SlotLayout& layout = layout_of(slot);
  const Placement at = fit(picture, layout);
  ImportedImage out{IndexedImage(layout.width, layout.height), {}};
  const std::size_t colours = quantise_into(out.picture, slot, fitted_samples(picture, layout, at), layout.area_top);
  if (slot == ImageSlot::credits) assets::draw_gold_rule(out.picture, gold);
  out.summary = name + ": " + picture_format(file) + " " + placement_words(picture, layout, at) + "; ";
  if (has_transparency(picture)) {
    out.summary += slot == ImageSlot::blob ? "alpha kept as transparency; " : "alpha over black; ";
  }
  out.summary += quantise_words(slot, colours, palette_layout(slot));
  return out;
}

}  // namespace tools
