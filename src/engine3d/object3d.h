// The 3D object record the whole engine works on, and its pose: rotation, position and scale.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "base/shade_table.h"
#include "engine3d/object_texture.h"
#include "engine3d/rasterizer.h"
#include "engine3d/vector_math.h"

namespace engine3d {

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
  base::ShadeTable shades{};              // object_shades of the texture's palette

  std::int32_t face_count() const { return static_cast<std::int32_t>(faces.size()); }
  std::int32_t vertex_count() const { return static_cast<std::int32_t>(positions.size()); }
};

// rotation := Rz(a)·Rx(c)·Ry(b) (radians, Ry applied first); inverse rotation := its inverse.
void set_rotation(Object3D& object, float a, float b, float c);
// Places the object at (x, y, z).
void set_translation(Object3D& object, float x, float y, float z);
// scale := diagonal (sx, sy, sz, 1). Only a uniform scale keeps the culling exact.
void set_scale(Object3D& object, float sx, float sy, float sz);

}  // namespace engine3d
