// A model's polygon cut into triangles the intro can draw: a convex polygon as a fan from its first corner
// (what modellers expect, and what imports always made of it), a concave one by clipping ears off it as it
// looks along its best-fit normal, so that its notches stay empty.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "tools/object/mesh.h"

namespace tools {

// How far a corner may lie from the polygon's best-fit plane, as a share of the diagonal of the polygon's
// bounds, before the polygon counts as not flat: modellers' quads bend slightly, a warped one shows.
inline constexpr double polygon_flatness_tolerance = 0.01;

// What the cut found that the artist should hear; every flag but no_area still gives triangles.
struct PolygonCut {
  bool no_area = false;            // the corners lie on one line or on one point: no triangles at all
  bool not_flat = false;           // a corner lies beyond polygon_flatness_tolerance from the plane
  double off_plane = 0;            // the farthest corner's distance from the plane, as a share of the diagonal
  bool edges_cross = false;        // the polygon crosses or touches itself: cut as a fan from its first corner
  bool over_budget = false;        // too many corners for the steps left: cut (the rest) as a fan
};

// Steps of ear and crossing tests the cuts of one model may take, shared by all its polygons so that the
// cost of any model is bounded.
struct PolygonCutBudget {
  std::int64_t steps_left;
};

// Appends the triangles of the polygon whose corners, in order, are `corners` (indices into `vertices`).
// Corners that repeat the one before are dropped first. The triangles keep the polygon's turn.
PolygonCut cut_polygon(std::span<const MeshVertex> vertices, std::span<const int> corners,
                       PolygonCutBudget& budget, std::vector<MeshFace>& triangles);

}  // namespace tools
