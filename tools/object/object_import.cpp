// Importing OBJ models: read strictly, welded, cut into triangles, centred, scaled and checked.
#include "tools/object/object_import.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <span>

#include "engine3d/object_loader.h"
#include "tools/object/mesh.h"
#include "tools/object/obj_reader.h"
#include "tools/object/object_report.h"
#include "tools/object/polygon_cut.h"

namespace tools {
namespace {

// Steps the ear clipping of one model may take in all (well under a second): models are mostly convex
// faces, which take none; beyond this, concave faces are cut as fans and named.
constexpr std::int64_t polygon_cut_steps = std::int64_t{1} << 26;
// Lines shown for each kind of doubtful face; the rest are counted.
constexpr std::size_t face_notes_shown = 5;

// Reads the OBJ text into positions and polygons, within what the object file can hold.
std::optional<ObjModel> read_model(const std::string& obj_text, const std::string& name,
                                   std::vector<std::string>& report) {
  const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(obj_text.data()), obj_text.size());
  ObjRead read = read_obj(bytes, name,
                          {static_cast<std::size_t>(engine3d::object_max_vertices),
                           static_cast<std::size_t>(engine3d::object_max_faces)});
  if (!read.model) {
    report.push_back(std::move(read.refusal));
    return std::nullopt;
  }
  for (std::string& note : read.model->notes) report.push_back(std::move(note));
  if (read.model->faces.empty()) {
    report.push_back(name + ": holds no faces");
    return std::nullopt;
  }
  return std::move(read.model);
}

// Vertices at the same position are one vertex: exporters often repeat a corner for each of its faces
// (split by texture or normal), which would leave every edge open.
std::vector<int> weld_vertices(const std::vector<MeshVertex>& vertices, Mesh& mesh) {
  std::map<std::array<double, 3>, int> seen;
  std::vector<int> renumbered(vertices.size());
  for (std::size_t i = 0; i < vertices.size(); ++i) {
    const auto [it, added] = seen.try_emplace({vertices[i].x, vertices[i].y, vertices[i].z},
                                              static_cast<int>(mesh.vertices.size()));
    if (added) mesh.vertices.push_back(vertices[i]);
    renumbered[i] = it->second;
  }
  return renumbered;
}

// The lines on one kind of face the cut doubts or refuses, a few shown with their OBJ lines and the rest
// counted: a model may hold a million such faces.
class FaceNotes {
 public:
  FaceNotes(const std::string& name, std::string what) : name_(name), what_(std::move(what)) {}

  void add(std::size_t line, const std::string& detail = {}) {
    if (count_++ < face_notes_shown) lines_.push_back(name_ + ":" + std::to_string(line) + ": " + what_ + detail);
  }
  bool any() const { return count_ > 0; }
  void report_to(std::vector<std::string>& report) const {
    report.insert(report.end(), lines_.begin(), lines_.end());
    if (count_ > face_notes_shown) {
      report.push_back(name_ + ": " + std::to_string(count_ - face_notes_shown) + " more faces like these: " + what_);
    }
  }

 private:
  const std::string& name_;
  std::string what_;
  std::size_t count_ = 0;
  std::vector<std::string> lines_;
};

std::string number_text(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.4g", value);
  return text;
}

// Each polygon cut into triangles over the welded vertices; faces with no area refuse the model (they would
// give triangles without a normal), the doubtful ones are warned of. Nothing when a face has no area.
std::optional<Mesh> triangulated(const ObjModel& model, const std::string& name, std::vector<std::string>& report) {
  Mesh mesh;
  const std::vector<int> index = weld_vertices(model.vertices, mesh);
  FaceNotes no_area(name, "the face has no area: its corners lie on one line");
  FaceNotes not_flat(name, "warning: the face is not flat (cut as seen along its normal): a corner lies off its "
                           "plane by ");
  FaceNotes crossing(name, "warning: the face's edges cross or touch; cut as a fan from its first corner");
  FaceNotes costly(name, "warning: too many concave faces to cut around their notches; this one is cut as a fan");
  PolygonCutBudget budget{polygon_cut_steps};
  std::vector<int> corners;
  for (const ObjFace& face : model.faces) {
    corners.clear();
    for (std::size_t k = 0; k < face.corner_count; ++k) {
      corners.push_back(index[model.corners[face.first_corner + k]]);
    }
    const PolygonCut cut = cut_polygon(mesh.vertices, corners, budget, mesh.faces);
    if (cut.no_area) no_area.add(face.line);
    if (cut.not_flat) not_flat.add(face.line, number_text(cut.off_plane * 100) + "% of its size");
    if (cut.edges_cross) crossing.add(face.line);
    if (cut.over_budget) costly.add(face.line);
  }
  for (const FaceNotes* notes : {&not_flat, &crossing, &costly, &no_area}) notes->report_to(report);
  if (no_area.any()) return std::nullopt;
  return mesh;
}

// Drops the vertices no face uses, so that they do not count in the bounds.
void drop_unused_vertices(Mesh& mesh) {
  std::vector<int> renumbered(mesh.vertices.size(), -1);
  std::vector<MeshVertex> kept;
  for (MeshFace& f : mesh.faces) {
    for (int* corner : {&f.i, &f.j, &f.k}) {
      if (renumbered[*corner] < 0) {
        renumbered[*corner] = static_cast<int>(kept.size());
        kept.push_back(mesh.vertices[*corner]);
      }
      *corner = renumbered[*corner];
    }
  }
  mesh.vertices = std::move(kept);
}

// Moves the middle of the bounds to the origin and scales their diagonal to the framed size; the factor
// it scaled by, 0 when the mesh has no extent.
double centre_and_scale(Mesh& mesh) {
  MeshVertex low = mesh.vertices.front(), high = low;
  for (const MeshVertex& v : mesh.vertices) {
    low = {std::min(low.x, v.x), std::min(low.y, v.y), std::min(low.z, v.z)};
    high = {std::max(high.x, v.x), std::max(high.y, v.y), std::max(high.z, v.z)};
  }
  const double diagonal = std::hypot(high.x - low.x, high.y - low.y, high.z - low.z);
  if (!(diagonal > 0) || !std::isfinite(diagonal)) return 0;
  const double scale = imported_object_diagonal / diagonal;
  const MeshVertex middle{(low.x + high.x) / 2, (low.y + high.y) / 2, (low.z + high.z) / 2};
  for (MeshVertex& v : mesh.vertices) {
    v = {(v.x - middle.x) * scale, (v.y - middle.y) * scale, (v.z - middle.z) * scale};
  }
  return scale;
}

// The object file text as the intro's own parser reads it, with the obj check's report on it.
struct Checked {
  std::unique_ptr<engine3d::Object3D> object = std::make_unique<engine3d::Object3D>();
  base::LoadResult parsed;
  ObjectReport report;
};

Checked check_text(const std::string& text) {
  Checked checked;
  checked.parsed = engine3d::parse_object(text, *checked.object);
  if (checked.parsed.loaded()) checked.report = inspect_object(*checked.object);
  return checked;
}

// What makes the mesh unfit, a line each; none when only the faces' turn is wrong, which is mended.
std::vector<std::string> flaws_of(const ObjectReport& report) {
  std::vector<std::string> flaws;
  if (report.open_edges) {
    flaws.push_back("the mesh is open: " + std::to_string(report.open_edges) +
                    " edges belong to one face only, and the intro would show the holes");
  }
  if (report.overshared_edges) {
    flaws.push_back("the mesh is not a single surface: " + std::to_string(report.overshared_edges) +
                    " edges belong to three faces or more");
  }
  // A few faces by number; a model can have a million of them, and the kit joins the lines into one.
  const std::size_t shown = std::min(report.defects.size(), face_notes_shown);
  flaws.insert(flaws.end(), report.defects.begin(), report.defects.begin() + static_cast<std::ptrdiff_t>(shown));
  if (report.defects.size() > shown) {
    flaws.push_back(std::to_string(report.defects.size() - shown) + " more faces without a normal");
  }
  return flaws;
}

// "1 polygon", "12 polygons", "8 vertices".
std::string counted(std::size_t n, const std::string& thing) {
  if (n == 1) return "1 " + thing;
  return std::to_string(n) + " " + (thing == "vertex" ? std::string("vertices") : thing + "s");
}

}  // namespace

std::optional<std::string> import_object(const std::string& obj_text, const std::string& name,
                                            std::vector<std::string>& report) {
  const auto model = read_model(obj_text, name, report);
  if (!model) return std::nullopt;
  auto cut = triangulated(*model, name, report);
  if (!cut) return std::nullopt;
  Mesh& mesh = *cut;
  // The reader held the vertices and the triangles within the object file's limits.
  drop_unused_vertices(mesh);
  const double scale = centre_and_scale(mesh);
  Checked first = check_text(object_file_text(mesh));
  std::vector<std::string> flaws = first.parsed.loaded() ? flaws_of(first.report)
                                                         : std::vector<std::string>{first.parsed.reason};
  if (scale == 0) flaws.push_back("the mesh has no extent");
  if (!flaws.empty()) {
    for (const std::string& flaw : flaws) report.push_back(name + ": " + flaw);
    return std::nullopt;
  }
  // Closed and of one surface: the faces whose turn is wrong for their part are turned round.
  for (std::int32_t face : first.report.inside_out_faces) std::swap(mesh.faces[face].j, mesh.faces[face].k);
  std::string text = object_file_text(mesh);
  const Checked final_check = check_text(text);
  if (!final_check.parsed.loaded() || !final_check.report.ships()) {
    report.push_back(name + ": the faces cannot all be turned to point into the object; not written");
    return std::nullopt;
  }
  report.push_back(name + ": " + counted(model->faces.size(), "polygon") + " cut into " +
                   counted(mesh.faces.size(), "triangle") + " over " + counted(mesh.vertices.size(), "vertex") +
                   "; centred and scaled by " + number_text(scale) + " to a diagonal of " +
                   number_text(imported_object_diagonal) + " units");
  report.push_back(name + ": " + std::to_string(first.report.inside_out_faces.size()) + " of " +
                   std::to_string(mesh.faces.size()) +
                   " faces turned so that their normals point into the object; closed, checked: ok");
  return text;
}

}  // namespace tools
