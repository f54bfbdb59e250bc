// Object inspection: bounds, edges shared by the wrong number of faces, faces with no normal, and faces
// turned inside out.
#include "tools/object/object_report.h"

#include <algorithm>
#include <array>
#include <memory>
#include <queue>

#include "engine3d/object_loader.h"

namespace tools {
namespace {

using engine3d::Face;
using engine3d::Object3D;
using engine3d::Vector3;

// One side of a face: from vertex `from` to vertex `to` in the face's corner order.
struct HalfEdge {
  std::int32_t low, high;  // the two vertices, smaller first: the edge whatever its direction
  std::int32_t face;
  bool forward;  // from low to high
};

std::vector<HalfEdge> half_edges_of(const Object3D& object, const std::vector<bool>& usable) {
  std::vector<HalfEdge> edges;
  edges.reserve(object.faces.size() * 3);
  for (std::int32_t n = 0; n < object.face_count(); ++n) {
    if (!usable[n]) continue;
    const Face& f = object.faces[n];
    const std::array<std::int32_t, 3> corners{f.i, f.j, f.k};
    for (int c = 0; c < 3; ++c) {
      const std::int32_t from = corners[c], to = corners[(c + 1) % 3];
      edges.push_back({std::min(from, to), std::max(from, to), n, from < to});
    }
  }
  std::sort(edges.begin(), edges.end(),
            [](const HalfEdge& a, const HalfEdge& b) { return a.low != b.low ? a.low < b.low : a.high < b.high; });
  return edges;
}

// Six times the signed volume between the origin and the face, positive when its right-handed normal
// (Pj − Pi) × (Pk − Pi) points away from the origin's side. The engine's normal is that same vector.
double signed_volume_of(const Object3D& object, const Face& f) {
  const Vector3 a = object.positions[f.i], b = object.positions[f.j], c = object.positions[f.k];
  const double cx = double(b.y) * c.z - double(b.z) * c.y;
  const double cy = double(b.z) * c.x - double(b.x) * c.z;
  const double cz = double(b.x) * c.y - double(b.y) * c.x;
  return a.x * cx + a.y * cy + a.z * cz;
}

// Neighbours across edges of exactly two faces; `flip` says whether the neighbour runs the other way
// round from the face, as a consistently oriented neighbour does not.
struct Neighbour {
  std::int32_t face;
  bool flip;
};

std::vector<std::vector<Neighbour>> neighbours_and_edge_counts(const std::vector<HalfEdge>& edges, std::size_t faces,
                                                               ObjectReport& report) {
  std::vector<std::vector<Neighbour>> neighbours(faces);
  for (std::size_t start = 0; start < edges.size();) {
    std::size_t end = start;
    while (end < edges.size() && edges[end].low == edges[start].low && edges[end].high == edges[start].high) ++end;
    const std::size_t sharing = end - start;
    if (sharing == 1) ++report.open_edges;
    if (sharing > 2) ++report.overshared_edges;
    if (sharing == 2) {
      const HalfEdge& a = edges[start];
      const HalfEdge& b = edges[start + 1];
      // Consistent neighbours walk their shared edge in opposite directions.
      const bool flip = a.forward == b.forward;
      neighbours[a.face].push_back({b.face, flip});
      neighbours[b.face].push_back({a.face, flip});
    }
    start = end;
  }
  return neighbours;
}

// Walks each connected part, orienting its faces like its first one, and marks as inside out the faces
// whose orientation makes the part's enclosed volume come out the wrong way.
void find_inside_out_faces(const Object3D& object, const std::vector<bool>& usable,
                           const std::vector<std::vector<Neighbour>>& neighbours, ObjectReport& report) {
  const std::size_t faces = object.faces.size();
  std::vector<int> flipped(faces, -1);  // -1 not reached; 0 like the part's first face; 1 the other way
  for (std::size_t first = 0; first < faces; ++first) {
    if (!usable[first] || flipped[first] >= 0) continue;
    std::vector<std::int32_t> part;
    std::queue<std::int32_t> pending;
    flipped[first] = 0;
    pending.push(static_cast<std::int32_t>(first));
    double volume = 0;
    while (!pending.empty()) {
      const std::int32_t face = pending.front();
      pending.pop();
      part.push_back(face);
      volume += (flipped[face] ? -1 : 1) * signed_volume_of(object, object.faces[face]);
      for (const Neighbour& n : neighbours[face]) {
        if (flipped[n.face] >= 0) continue;
        flipped[n.face] = flipped[face] ^ static_cast<int>(n.flip);
        pending.push(n.face);
      }
    }
    if (volume == 0) continue;
    // Normals into the part give a negative volume; a positive one means the first face's way is wrong.
    const int wrong_way = volume > 0 ? 0 : 1;
    for (std::int32_t face : part) {
      if (flipped[face] == wrong_way) report.inside_out_faces.push_back(face);
    }
  }
  std::sort(report.inside_out_faces.begin(), report.inside_out_faces.end());
}

}  // namespace

ObjectReport inspect_object(const Object3D& object) {
  ObjectReport report;
  if (!object.positions.empty()) report.low = report.high = object.positions[0];
  for (const Vector3& p : object.positions) {
    report.low = {std::min(report.low.x, p.x), std::min(report.low.y, p.y), std::min(report.low.z, p.z)};
    report.high = {std::max(report.high.x, p.x), std::max(report.high.y, p.y), std::max(report.high.z, p.z)};
  }
  std::vector<bool> usable(object.faces.size(), true);
  for (std::int32_t n = 0; n < object.face_count(); ++n) {
    std::string defect = engine3d::face_defect(object, n);
    if (defect.empty()) continue;
    usable[n] = false;
    report.faces_without_normal.push_back(n);
    report.defects.push_back(std::move(defect));
  }
  const auto neighbours = neighbours_and_edge_counts(half_edges_of(object, usable), object.faces.size(), report);
  find_inside_out_faces(object, usable, neighbours, report);
  return report;
}

std::string flaws_text(const ObjectReport& report) {
  std::string flaws;
  const auto add = [&flaws](const std::string& flaw) { flaws += (flaws.empty() ? "" : ", ") + flaw; };
  if (report.open_edges) add(std::to_string(report.open_edges) + " open edges");
  if (report.overshared_edges) add(std::to_string(report.overshared_edges) + " edges of three faces or more");
  if (!report.inside_out_faces.empty()) add(std::to_string(report.inside_out_faces.size()) + " faces inside out");
  if (!report.faces_without_normal.empty()) {
    add(std::to_string(report.faces_without_normal.size()) + " faces without a normal");
  }
  return flaws;
}

std::string object_text_flaws(std::string_view text) {
  auto object = std::make_unique<Object3D>();
  const base::LoadResult parsed = engine3d::parse_object(text, *object);
  return parsed.loaded() ? flaws_text(inspect_object(*object)) : parsed.reason;
}

}  // namespace tools
