// The object loader over any text: it loads or refuses with a reason, and a loaded object keeps every
// index and per-vertex array within its counts.
#include <cstdint>
#include <cstdlib>

#include "engine3d/object3d.h"
#include "engine3d/object_loader.h"

namespace {

bool consistent(const engine3d::Object3D& object) {
  const auto vertices = static_cast<std::size_t>(object.vertex_count());
  if (object.vertex_normals.size() != vertices || object.texture_coordinates.size() != vertices) return false;
  for (const engine3d::Face& face : object.faces) {
    for (const std::int32_t corner : {face.i, face.j, face.k}) {
      if (corner < 0 || static_cast<std::size_t>(corner) >= vertices) return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  engine3d::Object3D object;
  const base::LoadResult result = engine3d::load_object_bytes({data, size}, engine3d::object_file_name, object);
  if (result.loaded() ? !consistent(object) : (result.reason.empty() || object.face_count() != 0)) std::abort();
  return 0;
}
