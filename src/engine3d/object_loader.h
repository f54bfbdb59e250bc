// The object file "3d-obj.3d" and its loader.
//
// A file is whitespace-separated numbers: the vertex count V and the face count F ("%i": decimal, 0x
// hexadecimal, leading-0 octal), V vertices of three "%f" coordinates, then F faces of four "%i": the
// corner indices i, j, k (0-based) and an extra number that is kept but never used. Line breaks mean
// nothing; whatever follows the last face is ignored. A face is seen from the side opposite its normal
// (Pi − Pj) × (Pi − Pk), so in a closed object the normals point inwards.
//
// The loader takes files from strangers: it refuses (never reads beyond) a file with a missing or
// non-numeric field, a count that is negative, above its maximum or more than the file can hold, an index
// outside [0, V), or a face that uses a vertex twice or whose corners lie on one line (it has no normal).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "base/asset_files.h"
#include "base/load_result.h"
#include "engine3d/object3d.h"

namespace engine3d {

inline constexpr const char* object_file_name = base::object_file_name;
// What start-up shows when the object cannot be loaded, with the caption "ZARN".
inline constexpr const char* object_missing_message = "Can't find data file 3d-obj.3d";
inline constexpr const char* object_malformed_message = "Bad data file 3d-obj.3d";
inline constexpr const char* object_message_caption = "ZARN";

// Far more than a frame can draw; a header beyond these is junk and is refused before allocating.
inline constexpr std::int32_t object_max_vertices = 1 << 20;
inline constexpr std::int32_t object_max_faces = 1 << 20;
// Largest object file read; anything longer is refused unread.
inline constexpr std::int64_t object_max_file_bytes = std::int64_t{64} << 20;

// The message start-up shows for a failed load: object_missing_message when the file cannot be opened,
// object_malformed_message when it was refused.
const char* object_failure_message(const base::LoadResult& result);

// Reads the bytes of the object file `name` into `object`: geometry, normals, identity pose, marks 0, and
// the fallback grey texture. Refused when longer than object_max_file_bytes or not an object the loader
// takes; on failure `object` is left empty (it draws nothing) and the reason starts with the name.
base::LoadResult load_object_bytes(std::span<const std::uint8_t> bytes, std::string_view name, Object3D& object);

// Reads the object file at `path` as load_object_bytes reads its bytes; cannot_open when it cannot be
// opened or read, refused, unread, when it is longer than object_max_file_bytes.
base::LoadResult load_object(const char* path, Object3D& object);

// Reads the whole file at `path` into `text`: cannot_open when it cannot be opened or read, refused,
// unread, when it is longer than object_max_file_bytes.
base::LoadResult read_object_file(const char* path, std::string& text);

// Reads object text into `object`: counts, positions, faces and the per-vertex arrays, every number and
// index checked. Faces without a normal are not looked at here; see face_defect.
base::LoadResult parse_object(std::string_view text, Object3D& object);

// Why face `index` of `object` can have no normal (a vertex used twice, corners on one line), or empty.
std::string face_defect(const Object3D& object, std::int32_t index);

// Face normals and offsets, and each vertex normal as the normalized sum of its faces' normals.
void compute_normals(Object3D& object);

}  // namespace engine3d
