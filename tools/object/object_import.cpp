// Importing OBJ models with tinyobjloader.
#include "tools/object/object_import.h"

#include <tiny_obj_loader.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <memory>

#include "engine3d/object_loader.h"
#include "tools/object/mesh.h"
#include "tools/object/object_report.h"

namespace tools {
namespace {


// The model's polygons as corner lists over its vertex array, as the OBJ file numbers them.
struct Polygons {
  std::vector<MeshVertex> vertices;
  std::vector<std::vector<int>> faces;
};

// Reads the OBJ text without triangulating (the polygons are cut here, after every index is checked).
std::optional<Polygons> read_polygons(const std::string& obj_text, const std::string& name,
                                      std::vector<std::string>& report) {
  tinyobj::ObjReaderConfig config;
  config.triangulate = false;
  config.vertex_color = false;
  tinyobj::ObjReader reader;
  if (!reader.ParseFromString(obj_text, "", config)) {
    report.push_back(name + ": not a Wavefront OBJ model: " + reader.Error());
    return std::nullopt;
  }
  Polygons polygons;
  const auto& v = reader.GetAttrib().vertices;
  for (std::size_t i = 0; i + 2 < v.size(); i += 3) polygons.vertices.push_back({v[i], v[i + 1], v[i + 2]});
  const auto vertex_count = static_cast<long long>(polygons.vertices.size());
  for (const tinyobj::shape_t& shape : reader.GetShapes()) {
    std::size_t at = 0;
    for (unsigned char corners : shape.mesh.num_face_vertices) {
      std::vector<int> face;
      for (unsigned k = 0; k < corners && at < shape.mesh.indices.size(); ++k, ++at) {
        const int index = shape.mesh.indices[at].vertex_index;
        if (index < 0 || index >= vertex_count) {
          report.push_back(name + ": a face uses vertex " + std::to_string(index + 1) + " of " +
                           std::to_string(vertex_count));
          return std::nullopt;
        }
        face.push_back(index);
      }
      if (face.size() >= 3) polygons.faces.push_back(std::move(face));
    }
  }
  if (polygons.faces.empty()) {
    report.push_back(name + ": holds no faces");
    return std::nullopt;
  }
  return polygons;
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

// Each polygon as a fan of triangles from its first corner (exact for the convex polygons modellers make).
Mesh triangulated(const Polygons& polygons) {
  Mesh mesh;
  const std::vector<int> index = weld_vertices(polygons.vertices, mesh);
  for (const std::vector<int>& face : polygons.faces) {
    for (std::size_t k = 1; k + 1 < face.size(); ++k) {
      mesh.faces.push_back({index[face[0]], index[face[k]], index[face[k + 1]]});
    }
  }
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
  for (const std::string& defect : report.defects) flaws.push_back(defect);
  return flaws;
}

std::string number_text(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.4g", value);
  return text;
}

// "1 polygon", "12 polygons", "8 vertices".
std::string counted(std::size_t n, const std::string& thing) {
  if (n == 1) return "1 " + thing;
  return std::to_string(n) + " " + (thing == "vertex" ? std::string("vertices") : thing + "s");
}

}  // namespace

std::optional<std::string> import_object(const std::string& obj_text, const std::string& name,
                                            std::vector<std::string>& report) {
  const auto polygons = read_polygons(obj_text, name, report);
  if (!polygons) return std::nullopt;
  Mesh mesh = triangulated(*polygons);
  drop_unused_vertices(mesh);
  if (mesh.vertices.size() > static_cast<std::size_t>(engine3d::object_max_vertices) ||
      mesh.faces.size() > static_cast<std::size_t>(engine3d::object_max_faces)) {
    report.push_back(name + ": more vertices or faces than the intro takes");
    return std::nullopt;
  }
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
  report.push_back(name + ": " + counted(polygons->faces.size(), "polygon") + " cut into " +
                   counted(mesh.faces.size(), "triangle") + " over " + counted(mesh.vertices.size(), "vertex") +
                   "; centred and scaled by " + number_text(scale) + " to a diagonal of " +
                   number_text(imported_object_diagonal) + " units");
  report.push_back(name + ": " + std::to_string(first.report.inside_out_faces.size()) + " of " +
                   std::to_string(mesh.faces.size()) +
                   " faces turned so that their normals point into the object; closed, checked: ok");
  return text;
}

}  // namespace tools
