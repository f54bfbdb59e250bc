// "3d-obj.3d" of the default set: a trefoil knot tube, closed, with every face turned so that its normal
// (Pi - Pj) x (Pi - Pk) points into the tube, as the engine's culling expects.
#include "tools/assets/knot_mesh.h"

#include <cmath>
#include <utility>

namespace tools::assets {
namespace {

constexpr double pi = 3.14159265358979323846;
constexpr int rings = 144;        // around the knot
constexpr int ring_sides = 9;     // around the tube
constexpr double knot_scale = 24.0;  // the knot spans about 150 units
constexpr double tube_radius = 10.0;

struct Vec {
  double x, y, z;
};
Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec operator*(Vec a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec cross(Vec a, Vec b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
Vec normalized(Vec a) { return a * (1.0 / std::sqrt(dot(a, a))); }
Vec vec_of(const MeshVertex& v) { return {v.x, v.y, v.z}; }

// The knot's centre line.
Vec knot_point(double t) {
  return Vec{(2 + std::cos(3 * t)) * std::cos(2 * t), (2 + std::cos(3 * t)) * std::sin(2 * t), -std::sin(3 * t)} *
         knot_scale;
}

// The face normal as the engine computes it.
Vec engine_normal(const Mesh& mesh, const MeshFace& f) {
  const Vec pi_ = vec_of(mesh.vertices[f.i]), pj = vec_of(mesh.vertices[f.j]), pk = vec_of(mesh.vertices[f.k]);
  return cross(pi_ - pj, pi_ - pk);
}

}  // namespace

Mesh make_knot_mesh() {
  Mesh mesh;
  std::vector<Vec> centres;
  for (int ring = 0; ring < rings; ++ring) {
    const double t = 2 * pi * ring / rings, dt = 1e-3;
    const Vec centre = knot_point(t);
    const Vec tangent = normalized(knot_point(t + dt) - knot_point(t - dt));
    const Vec bend = knot_point(t + dt) + knot_point(t - dt) - centre * 2.0;  // toward the curve's inside
    // The Frenet frame: the knot bends everywhere, and the frame comes back to itself after one turn.
    const Vec normal = normalized(bend - tangent * dot(bend, tangent));
    const Vec binormal = cross(tangent, normal);
    centres.push_back(centre);
    for (int side = 0; side < ring_sides; ++side) {
      const double a = 2 * pi * side / ring_sides;
      const Vec p = centre + (normal * std::cos(a) + binormal * std::sin(a)) * tube_radius;
      mesh.vertices.push_back({p.x, p.y, p.z});
    }
  }
  auto index = [](int ring, int side) { return (ring % rings) * ring_sides + (side % ring_sides); };
  for (int ring = 0; ring < rings; ++ring) {
    for (int side = 0; side < ring_sides; ++side) {
      const int a = index(ring, side), b = index(ring + 1, side), c = index(ring + 1, side + 1), d = index(ring, side + 1);
      mesh.faces.push_back({a, b, c});
      mesh.faces.push_back({a, c, d});
    }
  }
  // Turn every face so that its normal points to the tube's centre line.
  for (std::size_t n = 0; n < mesh.faces.size(); ++n) {
    MeshFace& f = mesh.faces[n];
    const Vec centroid = (vec_of(mesh.vertices[f.i]) + vec_of(mesh.vertices[f.j]) + vec_of(mesh.vertices[f.k])) * (1.0 / 3);
    const Vec axis = centres[(n / 2) / ring_sides];
    if (dot(engine_normal(mesh, f), axis - centroid) < 0) std::swap(f.j, f.k);
  }
  return mesh;
}

}  // namespace tools::assets
