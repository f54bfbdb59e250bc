// A Wavefront OBJ model's positions and polygons, read from bytes that may come from anyone.
//
// Takes `v` (x y z; anything after z, a w or a vertex colour, is ignored), `f` with any number of corners
// written i, i/t, i//n or i/t/n (1-based, or negative: counted back from the last vertex read), comments,
// blank lines, CRLF and a backslash that continues a statement on the next line. `vt`, `vn`, `o`, `g`,
// `s`, `usemtl` and `mtllib` carry nothing the intro draws and are skipped; any other statement (a line,
// a curve) cannot be carried over and is named in a note.
//
// Every number is read strictly: a coordinate that is missing or not a finite float, an index that is
// not a vertex read so far, or a face of fewer than three corners refuses the file with the OBJ's line and
// column. The read stops, refused, as soon as the vertices or the triangles the faces will become pass the
// limits given, so its cost is bounded by what could be accepted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tools/object/mesh.h"

namespace tools {

struct ObjFace {
  std::size_t first_corner;  // into ObjModel::corners
  std::size_t corner_count;  // 3 or more
  std::size_t line;          // 1-based line of its `f` statement, for messages
};

struct ObjModel {
  std::vector<MeshVertex> vertices;
  std::vector<int> corners;  // every face's corners in turn: 0-based indices into `vertices`
  std::vector<ObjFace> faces;
  std::vector<std::string> notes;  // what was read but not carried over, a line each, with where
};

struct ObjLimits {
  std::size_t max_vertices;
  std::size_t max_triangles;  // a face of n corners counts as n - 2
};

struct ObjRead {
  std::optional<ObjModel> model;  // nothing when refused
  std::string refusal;            // "model.obj:12:9: the y coordinate is not a finite number"
};

// Reads the OBJ bytes; `name` starts every message.
ObjRead read_obj(std::span<const std::uint8_t> bytes, std::string_view name, const ObjLimits& limits);

}  // namespace tools
