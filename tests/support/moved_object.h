// An object file's text with every vertex scaled about the origin and shifted: the same object made too
// large, too small or moved out of the intro's view, for the checks that must tell.
#pragma once

#include <cstdio>
#include <iterator>
#include <sstream>
#include <string>

namespace test_support {

// Each vertex (x, y, z) of `text` ("V F", the vertices, the faces) becomes (x·scale + shift_x, y·scale,
// z·scale); the faces are kept as they are.
inline std::string moved_object_text(const std::string& text, double scale, double shift_x = 0) {
  std::istringstream in(text);
  int vertices = 0, faces = 0;
  in >> vertices >> faces;
  std::string moved = std::to_string(vertices) + " " + std::to_string(faces) + "\n";
  char line[128];
  for (int v = 0; v < vertices; ++v) {
    double x = 0, y = 0, z = 0;
    in >> x >> y >> z;
    std::snprintf(line, sizeof line, "%.6f %.6f %.6f\n", x * scale + shift_x, y * scale, z * scale);
    moved += line;
  }
  std::string rest;
  std::getline(in, rest);  // the end of the last vertex line
  return moved + std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace test_support
