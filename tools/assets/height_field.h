// Grids of floating-point values for drawing the generated pictures: height maps, masks, noise.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/assets/glyph_raster.h"

namespace tools::assets {

struct HeightField {
  int width = 0;
  int height = 0;
  std::vector<double> values;

  HeightField(int w, int h, double fill = 0.0) : width(w), height(h), values(static_cast<std::size_t>(w) * h, fill) {}
  double& at(int x, int y) { return values[static_cast<std::size_t>(y) * width + x]; }
  double at(int x, int y) const { return values[static_cast<std::size_t>(y) * width + x]; }
};

// Coverage as 0..1.
HeightField from_coverage(const Coverage& coverage);

// Three passes of a box blur of the radius: close to a Gaussian, edges held at their value.
HeightField blurred(const HeightField& field, int radius);

// Smooth value noise in 0..1 with features about `scale` pixels wide, the same for the same seed.
double value_noise(double x, double y, std::uint32_t seed);
// Several octaves of value noise, 0..1.
double fractal_noise(double x, double y, std::uint32_t seed, int octaves);

}  // namespace tools::assets
