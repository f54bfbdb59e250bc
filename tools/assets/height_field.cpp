// Height field helpers.
#include "tools/assets/height_field.h"

#include <algorithm>
#include <cmath>

namespace tools::assets {
namespace {

void box_blur_rows(HeightField& field, int radius) {
  std::vector<double> row(field.width);
  for (int y = 0; y < field.height; ++y) {
    for (int x = 0; x < field.width; ++x) {
      double sum = 0;
      for (int k = -radius; k <= radius; ++k) sum += field.at(std::clamp(x + k, 0, field.width - 1), y);
      row[x] = sum / (2 * radius + 1);
    }
    for (int x = 0; x < field.width; ++x) field.at(x, y) = row[x];
  }
}

void box_blur_columns(HeightField& field, int radius) {
  std::vector<double> column(field.height);
  for (int x = 0; x < field.width; ++x) {
    for (int y = 0; y < field.height; ++y) {
      double sum = 0;
      for (int k = -radius; k <= radius; ++k) sum += field.at(x, std::clamp(y + k, 0, field.height - 1));
      column[y] = sum / (2 * radius + 1);
    }
    for (int y = 0; y < field.height; ++y) field.at(x, y) = column[y];
  }
}

// A hash of a lattice point to 0..1.
double lattice(int x, int y, std::uint32_t seed) {
  std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u + static_cast<std::uint32_t>(y) * 668265263u + seed * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  h ^= h >> 16;
  return (h & 0xFFFFFF) / static_cast<double>(0xFFFFFF);
}

double smooth(double t) { return t * t * (3 - 2 * t); }

}  // namespace

HeightField from_coverage(const Coverage& coverage) {
  HeightField field(coverage.width, coverage.height);
  for (std::size_t i = 0; i < field.values.size(); ++i) field.values[i] = coverage.values[i] / 255.0;
  return field;
}

HeightField blurred(const HeightField& field, int radius) {
  HeightField out = field;
  for (int pass = 0; pass < 3; ++pass) {
    box_blur_rows(out, radius);
    box_blur_columns(out, radius);
  }
  return out;
}

double value_noise(double x, double y, std::uint32_t seed) {
  const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
  const double fx = smooth(x - x0), fy = smooth(y - y0);
  const double top = lattice(x0, y0, seed) + (lattice(x0 + 1, y0, seed) - lattice(x0, y0, seed)) * fx;
  const double bottom = lattice(x0, y0 + 1, seed) + (lattice(x0 + 1, y0 + 1, seed) - lattice(x0, y0 + 1, seed)) * fx;
  return top + (bottom - top) * fy;
}

double fractal_noise(double x, double y, std::uint32_t seed, int octaves) {
  double sum = 0, weight = 0, amplitude = 1, frequency = 1;
  for (int octave = 0; octave < octaves; ++octave) {
    sum += value_noise(x * frequency, y * frequency, seed + static_cast<std::uint32_t>(octave)) * amplitude;
    weight += amplitude;
    amplitude *= 0.5;
    frequency *= 2;
  }
  return sum / weight;
}

}  // namespace tools::assets
