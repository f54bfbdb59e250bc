// The OBJ reader and the whole import over any bytes: the reader gives a model within its limits whose
// corners all name vertices, or a refusal at a line; the import gives an object file the intro loads and
// the check ships, or says why not.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "engine3d/object3d.h"
#include "engine3d/object_loader.h"
#include "tools/object/obj_reader.h"
#include "tools/object/object_import.h"
#include "tools/object/object_report.h"

namespace {

constexpr tools::ObjLimits limits{static_cast<std::size_t>(engine3d::object_max_vertices),
                                  static_cast<std::size_t>(engine3d::object_max_faces)};

bool consistent(const tools::ObjModel& model) {
  if (model.vertices.size() > limits.max_vertices) return false;
  std::size_t triangles = 0, corners = 0;
  for (const tools::ObjFace& face : model.faces) {
    if (face.corner_count < 3 || face.first_corner != corners) return false;
    corners += face.corner_count;
    triangles += face.corner_count - 2;
  }
  if (corners != model.corners.size() || triangles > limits.max_triangles) return false;
  for (const int corner : model.corners) {
    if (corner < 0 || static_cast<std::size_t>(corner) >= model.vertices.size()) return false;
  }
  return true;
}

bool ships(const std::string& text) {
  auto object = std::make_unique<engine3d::Object3D>();
  return engine3d::parse_object(text, *object).loaded() && tools::inspect_object(*object).ships();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const tools::ObjRead read = tools::read_obj({data, size}, "model.obj", limits);
  if (read.model ? !consistent(*read.model) : read.refusal.rfind("model.obj:", 0) != 0) std::abort();
  std::vector<std::string> report;
  const auto text = tools::import_object(std::string(reinterpret_cast<const char*>(data), size), "model.obj", report);
  if (report.empty() || (text && !ships(*text))) std::abort();
  return 0;
}
