// What an artist needs to know about an object before it ships: its size, and the flaws that make the
// intro refuse it or draw it with holes or inside out.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine3d/object3d.h"

namespace tools {

struct ObjectReport {
  engine3d::Vector3 low;   // bounds of the vertex positions; (0, 0, 0) when there are none
  engine3d::Vector3 high;
  std::int64_t open_edges = 0;         // edges of only one face: a hole
  std::int64_t overshared_edges = 0;   // edges of three faces or more
  std::vector<std::int32_t> faces_without_normal;  // the loader refuses these
  std::vector<std::string> defects;                // why, one line per face above
  // Faces whose normal points out of the part they belong to: they are culled where they should show.
  // Judged by the volume each connected part encloses; a part that encloses none is not judged.
  std::vector<std::int32_t> inside_out_faces;

  bool ships() const {
    return open_edges == 0 && overshared_edges == 0 && faces_without_normal.empty() && inside_out_faces.empty();
  }
};

// Inspects an object as parse_object read it (normals need not be computed).
ObjectReport inspect_object(const engine3d::Object3D& object);

// What keeps the object from shipping, as one line ("12 open edges, 3 faces inside out"); empty when it
// ships.
std::string flaws_text(const ObjectReport& report);

// The same judgement of an object file's text as the intro reads it: the parser's reason when it refuses
// the text, else flaws_text; empty when it ships.
std::string object_text_flaws(std::string_view text);

}  // namespace tools
