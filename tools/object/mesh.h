// A triangle mesh as the tools build it (the default set's knot, an imported model), and the object file
// "3d-obj.3d" written from it. Whether it ships is judged on the file, as the intro reads it
// (object_report.h).
#pragma once

#include <string>
#include <vector>

namespace tools {

struct MeshVertex {
  double x, y, z;
};
struct MeshFace {
  int i, j, k;
};
struct Mesh {
  std::vector<MeshVertex> vertices;
  std::vector<MeshFace> faces;
};

// The object file's text: "V F", the vertices, then "i j k 0" per face.
std::string object_file_text(const Mesh& mesh);

}  // namespace tools
