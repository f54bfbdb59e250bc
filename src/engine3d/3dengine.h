// Drawing an object: back-face culling, per-vertex lighting by one directional light, the move into
// camera space, clipping against the camera's frustum, projection, and the hand-off to the rasterizer.
#pragma once

#include <cstdint>

#include "engine3d/camera.h"
#include "engine3d/object3d.h"
#include "engine3d/rasterizer.h"
#include "engine3d/vector_math.h"

namespace engine3d {

// Lowest lighting intensity: the side turned away from the light is dim, never black.
inline constexpr float min_intensity = 0.1f;

// A point of the 640x480 screen in pixels, x to the right, y downward; may lie outside the screen.
struct ScreenPoint {
  double x = 0;
  double y = 0;
};

// The move of the object's positions into camera space through `camera`: its scale, rotation and position,
// then the camera's view. draw_object moves every vertex it draws through it.
Matrix4 object_to_camera_matrix(const Object3D& object, Camera& camera);

// Where a camera-space point beyond the near plane lands on the screen: the projection of every corner
// draw_object draws, with its 16.16 rounding (so positions beyond ±32767 pixels stop there).
ScreenPoint screen_point_of(Vector3 camera_point, const Frustum& frustum);

// Draws the object's faces that turn towards the eye into the 640x480 frame, through `camera` and its
// frustum, depth-tested against `depth`. `light_direction` is the unit world-space direction the light
// travels in: a vertex whose normal points along it is lit fully. The caller clears the depth buffer once
// per frame before the first object.
void draw_object(Object3D& object, std::uint16_t* frame, Camera& camera, Vector3 light_direction,
                 DepthBuffer& depth = depth_buffer);

}  // namespace engine3d
