// Camera, lazily rebuilt view matrix and view frustum.
#include "engine3d/camera.h"

#include <cmath>

#include "base/frame_geometry.h"

namespace engine3d {
namespace {

// The up vector the view is built against. It is (0, 1, 1), not (0, 1, 0); the two give the same view
// for a camera that looks along z, as the intro's does, and differ once the camera looks up or down.
constexpr Vector3 reference_up{0, 1, 1};
// Degrees to radians as the intro has always computed it: 3.14 / 180, not π / 180.
constexpr double roll_radians_per_degree = 3.14 / 180.0;
// How far the side planes lean inwards, in radians.
constexpr float frustum_inset = 0.0001f;
constexpr float initial_focal_length = 256;

}  // namespace

void set_frustum(float f, float width, float height, Frustum& target) {
  target.focal_length = f;
  target.half_width = width * 0.5f;
  target.half_height = height * 0.5f;
  target.near_normal = {0, 0, 1};
  target.near_offset = 1.0f;
  const float ax = std::atan(target.half_width / f) - frustum_inset;
  const float ay = std::atan(target.half_height / f) - frustum_inset;
  target.left_normal = {std::cos(ax), 0, std::sin(ax)};
  target.right_normal = {-std::cos(ax), 0, std::sin(ax)};
  target.top_normal = {0, std::cos(ay), std::sin(ay)};
  target.bottom_normal = {0, -std::cos(ay), std::sin(ay)};
}

Camera::Camera() {
  rebuild_view();  // the flag stays set: the first view_matrix() builds it again
  set_focal_length(initial_focal_length);
}

void Camera::set_position(float x, float y, float z) {
  position_ = {x, y, z};
  dirty_ = 1;
}

void Camera::set_target(float x, float y, float z) {
  target_ = {x, y, z};
  dirty_ = 1;
}

void Camera::set_roll(float degrees) {
  roll_ = degrees;
  dirty_ = 1;
}

void Camera::set_focal_length(float f) {
  if (f == focal_length_) return;
  set_frustum(f, base::frame_width, base::frame_height, frustum_);
  focal_length_ = f;
}

const Matrix4& Camera::view_matrix() {
  if (dirty_) {
    rebuild_view();
    dirty_ = 0;
  }
  return view_;
}

void Camera::rebuild_view() {
  const Vector3 forward = normalize(target_ - position_);
  const Vector3 right = normalize(cross(forward, reference_up));
  if (!is_unit(forward) || !is_unit(right)) return;
  const Vector3 up = normalize(cross(forward, right));

  Matrix4 look;
  look.m = {right.x, right.y, right.z, 0, up.x, up.y, up.z, 0, forward.x, forward.y, forward.z, 0, 0, 0, 0, 1};
  const float theta = static_cast<float>(-roll_ * roll_radians_per_degree);
  const float c = std::cos(theta);
  const float s = std::sin(theta);
  Matrix4 roll;
  roll.m = {c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  view_ = multiply(roll, look);  // the roll turns the picture after the look-at rotation
}

}  // namespace engine3d
