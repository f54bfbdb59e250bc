// "3d-obj.3d": a trefoil knot tube, closed, with every face's corners ordered so that its normal
// (Pi - Pj) x (Pi - Pk) points into the tube, as the engine's culling expects.
#pragma once

#include <string>
#include <vector>

namespace tools::assets {

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

Mesh make_knot_mesh();

// Empty when every edge is shared by exactly two faces in opposite directions and every face has area
// and an inward normal; otherwise what is wrong, in one line.
std::string mesh_problem(const Mesh& mesh);

// The object file's text: "V F", the vertices, then "i j k 0" per face.
std::string object_file_text(const Mesh& mesh);

}  // namespace tools::assets
