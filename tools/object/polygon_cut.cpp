// Cutting polygons: Newell's normal for the plane, a fan for convex polygons, ear clipping for the rest.
#include "tools/object/polygon_cut.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tools {
namespace {

struct Point {
  double u, v;
};

double turn(Point a, Point b, Point c) { return (b.u - a.u) * (c.v - a.v) - (b.v - a.v) * (c.u - a.u); }
bool same_point(Point a, Point b) { return a.u == b.u && a.v == b.v; }

// A polygon on its best-fit plane: the corners seen along its normal, counter-clockwise.
struct Flattened {
  std::vector<Point> points;
  double off_plane = 0;  // the farthest corner's distance from the plane, as a share of the diagonal
};

// The polygon's normal by Newell's method: the sum over the edges of what each adds to the area projected
// on each axis plane. It is the plane's normal for a flat polygon and the best fit for a bent one, and it
// does not depend on which corner comes first. Its length is twice the area seen along it.
MeshVertex newell_normal(std::span<const MeshVertex> vertices, std::span<const int> corners) {
  MeshVertex normal{0, 0, 0};
  for (std::size_t k = 0; k < corners.size(); ++k) {
    const MeshVertex& a = vertices[corners[k]];
    const MeshVertex& b = vertices[corners[(k + 1) % corners.size()]];
    normal.x += (a.y - b.y) * (a.z + b.z);
    normal.y += (a.z - b.z) * (a.x + b.x);
    normal.z += (a.x - b.x) * (a.y + b.y);
  }
  return normal;
}

double dot(const MeshVertex& a, const MeshVertex& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// The diagonal of the corners' bounds.
double diagonal_of(std::span<const MeshVertex> vertices, std::span<const int> corners) {
  MeshVertex low = vertices[corners[0]], high = low;
  for (const int corner : corners) {
    const MeshVertex& p = vertices[corner];
    low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
    high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
  }
  return std::hypot(high.x - low.x, high.y - low.y, high.z - low.z);
}

// Whether the polygon has an area worth a normal, against the rounding of coordinates its size.
bool encloses_area(const MeshVertex& normal, double diagonal) {
  return std::sqrt(dot(normal, normal)) > 1e-12 * diagonal * diagonal;
}

// Whether every corner lies on the line from the first corner to the one farthest from it. A polygon
// without area whose corners do not is one whose lobes cancel: a figure of eight.
bool corners_on_one_line(std::span<const MeshVertex> vertices, std::span<const int> corners, double diagonal) {
  const MeshVertex& first = vertices[corners[0]];
  const auto from_first = [&](int corner) {
    const MeshVertex& p = vertices[corner];
    return MeshVertex{p.x - first.x, p.y - first.y, p.z - first.z};
  };
  MeshVertex along{0, 0, 0};
  for (const int corner : corners) {
    const MeshVertex d = from_first(corner);
    if (dot(d, d) > dot(along, along)) along = d;
  }
  for (const int corner : corners) {
    const MeshVertex d = from_first(corner);
    const MeshVertex c{d.y * along.z - d.z * along.y, d.z * along.x - d.x * along.z, d.x * along.y - d.y * along.x};
    if (std::sqrt(dot(c, c)) > 1e-6 * diagonal * diagonal) return false;
  }
  return true;
}

Flattened flattened(std::span<const MeshVertex> vertices, std::span<const int> corners, const MeshVertex& normal,
                    double diagonal) {
  const double length = std::sqrt(dot(normal, normal));
  const MeshVertex w{normal.x / length, normal.y / length, normal.z / length};
  // u across the normal, along the axis the normal leans on least; v = w × u, so that u × v = w and the
  // polygon, counter-clockwise about its Newell normal, is counter-clockwise in (u, v).
  const double ax = std::fabs(w.x), ay = std::fabs(w.y), az = std::fabs(w.z);
  MeshVertex u = ax <= ay && ax <= az ? MeshVertex{0, -w.z, w.y}
                 : ay <= az           ? MeshVertex{w.z, 0, -w.x}
                                      : MeshVertex{-w.y, w.x, 0};
  const double u_length = std::sqrt(dot(u, u));
  u = {u.x / u_length, u.y / u_length, u.z / u_length};
  const MeshVertex v{w.y * u.z - w.z * u.y, w.z * u.x - w.x * u.z, w.x * u.y - w.y * u.x};
  // Newell's plane passes through the corners' mean.
  double plane_offset = 0;
  for (const int corner : corners) plane_offset += dot(vertices[corner], w);
  plane_offset /= static_cast<double>(corners.size());
  Flattened flat;
  double farthest = 0;
  for (const int corner : corners) {
    const MeshVertex& p = vertices[corner];
    flat.points.push_back({dot(p, u), dot(p, v)});
    farthest = std::max(farthest, std::fabs(dot(p, w) - plane_offset));
  }
  flat.off_plane = farthest / diagonal;
  return flat;
}

// Every corner turns left, and the edges go round once (a star drawn in one stroke turns left at every
// corner too, but goes round twice).
bool is_strictly_convex(const std::vector<Point>& p) {
  const std::size_t n = p.size();
  double winding = 0;
  for (std::size_t k = 0; k < n; ++k) {
    const Point a = p[(k + n - 1) % n], b = p[k], c = p[(k + 1) % n];
    const double left = turn(a, b, c);
    if (!(left > 0)) return false;
    const double along = (b.u - a.u) * (c.u - b.u) + (b.v - a.v) * (c.v - b.v);
    winding += std::atan2(left, along);
  }
  return winding < 3 * std::numbers::pi;
}

int sign(double x) { return (x > 0) - (x < 0); }

bool within_box(Point a, Point b, Point p) {
  return std::min(a.u, b.u) <= p.u && p.u <= std::max(a.u, b.u) && std::min(a.v, b.v) <= p.v &&
         p.v <= std::max(a.v, b.v);
}

// Whether segments ab and cd share a point, touching included.
bool segments_meet(Point a, Point b, Point c, Point d) {
  const int d1 = sign(turn(a, b, c)), d2 = sign(turn(a, b, d));
  const int d3 = sign(turn(c, d, a)), d4 = sign(turn(c, d, b));
  if (d1 * d2 < 0 && d3 * d4 < 0) return true;
  return (d1 == 0 && within_box(a, b, c)) || (d2 == 0 && within_box(a, b, d)) ||
         (d3 == 0 && within_box(c, d, a)) || (d4 == 0 && within_box(c, d, b));
}

// Whether two edges that are not neighbours meet; every pair is a step.
bool edges_meet(const std::vector<Point>& p) {
  const std::size_t n = p.size();
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = i + 2; j < n; ++j) {
      if (i == 0 && j == n - 1) continue;  // neighbours across the first corner
      if (segments_meet(p[i], p[i + 1], p[j], p[(j + 1) % n])) return true;
    }
  }
  return false;
}

std::int64_t crossing_test_steps(std::size_t n) {
  return static_cast<std::int64_t>(n) * static_cast<std::int64_t>(n) / 2;
}

// Whether p lies in triangle abc (counter-clockwise) or on its sides.
bool in_triangle(Point p, Point a, Point b, Point c) {
  return turn(a, b, p) >= 0 && turn(b, c, p) >= 0 && turn(c, a, p) >= 0;
}

void add_fan(std::span<const int> corners, std::vector<MeshFace>& triangles) {
  for (std::size_t k = 1; k + 1 < corners.size(); ++k) triangles.push_back({corners[0], corners[k], corners[k + 1]});
}

// The polygon as a ring of corners that ears are clipped from.
class EarClipper {
 public:
  EarClipper(const std::vector<Point>& points, std::span<const int> corners)
      : points_(points), corners_(corners), next_(points.size()), previous_(points.size()) {
    const std::size_t n = points.size();
    for (std::size_t k = 0; k < n; ++k) next_[k] = (k + 1) % n, previous_[k] = (k + n - 1) % n;
  }

  // Clips ears until a triangle is left; false when the steps ran out, the rest then cut as a fan.
  bool clip(PolygonCutBudget& budget, std::vector<MeshFace>& triangles) {
    std::size_t left = points_.size(), at = 0, tried = 0;
    while (left > 3) {
      if (tried == left) break;  // no corner is an ear: only when corners on a line leave none
      if (budget.steps_left < static_cast<std::int64_t>(left)) return (fan_rest(at, triangles), false);
      budget.steps_left -= static_cast<std::int64_t>(left);
      if (is_ear(at)) {
        triangles.push_back({corners_[previous_[at]], corners_[at], corners_[next_[at]]});
        next_[previous_[at]] = next_[at];
        previous_[next_[at]] = previous_[at];
        at = previous_[at];
        --left, tried = 0;
      } else {
        at = next_[at], ++tried;
      }
    }
    fan_rest(at, triangles);
    return true;
  }

 private:
  // A corner that turns left and whose triangle with its neighbours holds no other corner of the ring.
  bool is_ear(std::size_t at) const {
    const Point a = points_[previous_[at]], b = points_[at], c = points_[next_[at]];
    if (!(turn(a, b, c) > 0)) return false;
    for (std::size_t k = next_[next_[at]]; k != previous_[at]; k = next_[k]) {
      const Point p = points_[k];
      if (!same_point(p, a) && !same_point(p, b) && !same_point(p, c) && in_triangle(p, a, b, c)) return false;
    }
    return true;
  }

  void fan_rest(std::size_t at, std::vector<MeshFace>& triangles) const {
    std::vector<int> rest{corners_[at]};
    for (std::size_t k = next_[at]; k != at; k = next_[k]) rest.push_back(corners_[k]);
    add_fan(rest, triangles);
  }

  const std::vector<Point>& points_;
  std::span<const int> corners_;
  std::vector<std::size_t> next_, previous_;
};

// The corners without those that repeat the one before them (the last is before the first).
std::vector<int> without_repeats(std::span<const int> corners) {
  std::vector<int> kept;
  for (const int corner : corners) {
    if (kept.empty() || kept.back() != corner) kept.push_back(corner);
  }
  while (kept.size() > 1 && kept.back() == kept.front()) kept.pop_back();
  return kept;
}

}  // namespace

PolygonCut cut_polygon(std::span<const MeshVertex> vertices, std::span<const int> given_corners,
                       PolygonCutBudget& budget, std::vector<MeshFace>& triangles) {
  PolygonCut cut;
  const std::vector<int> corners = without_repeats(given_corners);
  if (corners.size() < 3) return (cut.no_area = true, cut);
  const MeshVertex normal = newell_normal(vertices, corners);
  const double diagonal = diagonal_of(vertices, corners);
  if (!encloses_area(normal, diagonal)) {
    if (corners_on_one_line(vertices, corners, diagonal)) return (cut.no_area = true, cut);
    cut.edges_cross = true;
    return (add_fan(corners, triangles), cut);
  }
  if (corners.size() == 3) return (add_fan(corners, triangles), cut);
  const Flattened flat = flattened(vertices, corners, normal, diagonal);
  cut.off_plane = flat.off_plane;
  cut.not_flat = flat.off_plane > polygon_flatness_tolerance;
  if (is_strictly_convex(flat.points)) return (add_fan(corners, triangles), cut);
  if (budget.steps_left < crossing_test_steps(corners.size())) {
    cut.over_budget = true;
    return (add_fan(corners, triangles), cut);
  }
  budget.steps_left -= crossing_test_steps(corners.size());
  if (edges_meet(flat.points)) {
    cut.edges_cross = true;
    return (add_fan(corners, triangles), cut);
  }
  cut.over_budget = !EarClipper(flat.points, corners).clip(budget, triangles);
  return cut;
}

}  // namespace tools
