// A triangle mesh as the tools build it, and the object file text it becomes.
#include "tools/object/mesh.h"

#include <cstdio>

namespace tools {

std::string object_file_text(const Mesh& mesh) {
  std::string text = std::to_string(mesh.vertices.size()) + " " + std::to_string(mesh.faces.size()) + "\n";
  char line[96];
  for (const MeshVertex& v : mesh.vertices) {
    std::snprintf(line, sizeof line, "%.3f %.3f %.3f\n", v.x, v.y, v.z);
    text += line;
  }
  for (const MeshFace& f : mesh.faces) {
    std::snprintf(line, sizeof line, "%d %d %d 0\n", f.i, f.j, f.k);
    text += line;
  }
  return text;
}

}  // namespace tools
