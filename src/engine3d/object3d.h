// The 3D object record, its text file "3d-obj.3d", the loader, and the texture and shade table the
// object is drawn with.
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

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine3d/rasterizer.h"
#include "engine3d/vector_math.h"

namespace engine3d {

inline constexpr const char* object_file_name = "3d-obj.3d";
inline constexpr const char* object_texture_file_name = "credits.bmp";
// What start-up shows when the object cannot be loaded, with the caption "ZARN".
inline constexpr const char* object_missing_message = "Can't find data file 3d-obj.3d";
inline constexpr const char* object_malformed_message = "Bad data file 3d-obj.3d";
inline constexpr const char* object_message_caption = "ZARN";

// Far more than a frame can draw; a header beyond these is junk and is refused before allocating.
inline constexpr std::int32_t object_max_vertices = 1 << 20;
inline constexpr std::int32_t object_max_faces = 1 << 20;
// Largest object file read; anything longer is refused unread.
inline constexpr std::int64_t object_max_file_bytes = std::int64_t{64} << 20;

// Links the per-draw list of visible faces.
inline constexpr std::int32_t no_face = -1;

struct Face {
  std::int32_t i = 0;  // corner vertex indices, as read
  std::int32_t j = 0;
  std::int32_t k = 0;
  std::int32_t extra = 0;  // fourth number of the face, never read by the engine
  Vector3 normal;          // unit (Pi − Pj) × (Pi − Pk), pointing into a closed object
  float offset = 0;        // normal · Pi
  float shade0 = 0;        // corner intensities, copied from the vertices before the face is drawn
  float shade1 = 0;
  float shade2 = 0;
  std::int32_t next = no_face;  // next face of the visible list during a draw
  std::array<std::uint8_t, 3> colour{128, 128, 128};  // not read by the drawing
};

struct TextureCoordinates {
  float u = 1.0f;  // texels; every vertex keeps (1, 1), so the whole object shows one texel
  float v = 1.0f;
};

struct Object3D {
  Matrix4 rotation;          // no translation part
  Matrix4 translation;       // the object's position in m3, m7, m11
  Matrix4 scale;             // diagonal (sx, sy, sz, 1)
  Matrix4 inverse_rotation;  // refreshed by every set_rotation
  Matrix4 object_to_camera;  // rebuilt at each draw
  Matrix4 camera_to_object;  // rebuilt at each draw
  std::vector<Face> faces;  // in file order
  std::vector<Vector3> positions;
  std::vector<TextureCoordinates> texture_coordinates;
  std::vector<Vector3> camera_positions;  // written at each draw for the vertices in use
  std::vector<Vector3> vertex_normals;    // unit, or (0, 0, 0) for a vertex no face uses
  std::vector<float> intensities;         // written at each draw, at least 0.1
  std::vector<std::uint8_t> marks;        // 1 during a draw for vertices of visible faces; 0 between draws
  // Written at each draw for the vertices in use: 1 when the camera position lies strictly inside every
  // plane of the frustum, and then its projection. A face with three such corners needs no cutting.
  std::vector<std::uint8_t> in_view;
  std::vector<ScreenCorner> screen_corners;
  TextureMap texture{};                   // from the texture bitmap, or all 0 for the fallback grey
  ObjectShades shades{};                  // object_shades of the texture's palette

  std::int32_t face_count() const { return static_cast<std::int32_t>(faces.size()); }
  std::int32_t vertex_count() const { return static_cast<std::int32_t>(positions.size()); }
};

enum class ObjectLoadStatus { loaded, cannot_open, malformed };

struct ObjectLoadResult {
  ObjectLoadStatus status = ObjectLoadStatus::loaded;
  std::string reason;  // one line on what is wrong, for stderr; empty when loaded

  bool loaded() const { return status == ObjectLoadStatus::loaded; }
};

// The message start-up shows for a failed load: object_missing_message or object_malformed_message.
const char* object_failure_message(const ObjectLoadResult& result);

// Reads the object file at `path` into `object`: geometry, normals, identity pose, marks 0, and the
// fallback grey texture. On failure `object` is left empty (it draws nothing).
ObjectLoadResult load_object(const char* path, Object3D& object);

// Reads the whole file at `path` into `text`: cannot_open when it cannot be opened or read, malformed when
// it is longer than object_max_file_bytes.
ObjectLoadResult read_object_file(const char* path, std::string& text);

// Reads object text into `object`: counts, positions, faces and the per-vertex arrays, every number and
// index checked. Faces without a normal are not looked at here; see face_defect.
ObjectLoadResult parse_object(std::string_view text, Object3D& object);

// Why face `index` of `object` can have no normal (a vertex used twice, corners on one line), or empty.
std::string face_defect(const Object3D& object, std::int32_t index);

// Face normals and offsets, and each vertex normal as the normalized sum of its faces' normals.
void compute_normals(Object3D& object);

// Fills `shades` from a 256-entry palette (0x00BBGGRR): level 12 is the palette colour itself, 0 black,
// higher levels brighter, and levels 25 … 31 add a white ramp.
void object_shades(const std::vector<std::uint32_t>& palette, ObjectShades& shades);

// Gives the object the texture and shades of the BMP at `path`. False, leaving both as they were, when
// the bitmap cannot be read, is not 8 bits per pixel, or holds fewer than 258 pixel bytes (the object's
// one texel is byte 257).
bool load_object_shades(Object3D& object, const char* path);

// The grey an object shows when it has no usable texture: (128, 128, 128) over the 32 levels.
void set_fallback_texture(Object3D& object);

}  // namespace engine3d
