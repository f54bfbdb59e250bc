// The camera the 3D engine looks through, and the view frustum that every face is clipped to.
#pragma once

#include <cstdint>

#include "engine3d/vector_math.h"

namespace engine3d {

// Projection constants of the 640x480 screen and the five clipping planes, in camera space (x to the
// right, y downward, z forward). A point p lies inside a plane when normal · p ≥ offset.
struct Frustum {
  float focal_length = 0;  // pixels
  float half_width = 0;    // pixels
  float half_height = 0;   // pixels
  Vector3 near_normal;
  float near_offset = 0;
  Vector3 left_normal;  // the four side planes pass through the eye: offset 0
  Vector3 right_normal;
  Vector3 top_normal;
  Vector3 bottom_normal;
};

// Fills `target` for focal length f and a screen of width x height pixels. The side planes lean
// 0.0001 radian inwards, so that every projected point stays strictly inside the screen.
void set_frustum(float f, float width, float height, Frustum& target);

class Camera {
 public:
  // Looks from the origin along +z, roll 0, focal length 256 (which sets its frustum).
  Camera();

  void set_position(float x, float y, float z);
  void set_target(float x, float y, float z);
  void set_roll(float degrees);
  // Sets the frustum for f on the 640x480 screen and keeps f; the same f again does nothing.
  void set_focal_length(float f);

  // World-to-camera rotation including the roll (no translation), rebuilt when a setter changed it.
  // A camera whose target is its position, or that looks along the reference up vector (0, 1, 1),
  // has no defined view: it keeps the view it had.
  const Matrix4& view_matrix();

  Vector3 position() const { return position_; }
  Vector3 target() const { return target_; }
  float roll() const { return roll_; }
  float focal_length() const { return focal_length_; }
  // The projection and the clipping planes of the focal length.
  const Frustum& frustum() const { return frustum_; }

 private:
  void rebuild_view();

  Vector3 position_;
  Vector3 target_{0, 0, 1};
  float roll_ = 0;          // degrees
  float focal_length_ = 0;  // pixels
  Frustum frustum_;         // follows focal_length_
  Matrix4 view_;
  std::int32_t dirty_ = 1;  // 1 when position, target or roll changed since the view was built
};

}  // namespace engine3d
