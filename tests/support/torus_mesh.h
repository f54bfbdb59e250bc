// A closed torus as object-file text, so tests and benchmarks have a mesh without the assets.
#pragma once

#include <cmath>
#include <cstdio>
#include <string>

namespace test_support {

// A torus about the z axis: `rings` steps around the axis, `sides` steps around the tube; 2·rings·sides
// faces, wound so that their normals point into the tube, as the engine expects of a closed object.
inline std::string torus_object_text(float major_radius, float minor_radius, int rings, int sides) {
  const double two_pi = 6.283185307179586;
  std::string text = std::to_string(rings * sides) + " " + std::to_string(2 * rings * sides) + "\n";
  char line[96];
  for (int ring = 0; ring < rings; ++ring) {
    const double phi = two_pi * ring / rings;
    for (int side = 0; side < sides; ++side) {
      const double theta = two_pi * side / sides;
      const double reach = major_radius + minor_radius * std::cos(theta);
      std::snprintf(line, sizeof line, "%.6f %.6f %.6f\n", reach * std::cos(phi), reach * std::sin(phi),
                    minor_radius * std::sin(theta));
      text += line;
    }
  }
  const auto vertex = [&](int ring, int side) { return (ring % rings) * sides + side % sides; };
  for (int ring = 0; ring < rings; ++ring) {
    for (int side = 0; side < sides; ++side) {
      // Corners a, b, c, d of one quad: around the axis from a to b, around the tube from a to d. The
      // right-handed normal of (a, b, c) points out of the tube, so each triangle lists a, c, b.
      const int a = vertex(ring, side), b = vertex(ring + 1, side);
      const int c = vertex(ring + 1, side + 1), d = vertex(ring, side + 1);
      std::snprintf(line, sizeof line, "%d %d %d 0\n%d %d %d 0\n", a, c, b, a, d, c);
      text += line;
    }
  }
  return text;
}

}  // namespace test_support
