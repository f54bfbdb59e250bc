// The intro's pair of objects.
#include "engine3d/intro_objects.h"

#include <cmath>

#include "engine3d/3dengine.h"

namespace engine3d {
namespace {

// One radian of light turn per 1500 ms.
constexpr double radians_per_ms = 0.0006666666666666666;
constexpr float light_radius = 50.0f;
constexpr float light_depth = -60.0f;
// Rotation angle per unit of the light's x and y: the angles are sin θ and cos θ.
constexpr float angle_per_light_unit = 0.02f;
constexpr Vector3 intro_object_position{-300, 100, -300};

}  // namespace

base::LoadResult load_intro_objects(IntroObjects& objects, const char* object_path, const char* texture_path) {
  for (Object3D* object : {&objects.first, &objects.second}) {
    base::LoadResult result = load_object(object_path, *object);
    if (!result.loaded()) return result;
    if (texture_path) load_object_shades(*object, texture_path);
  }
  return base::LoadResult::success();
}

void place_intro_camera(Camera& camera) {
  camera.set_position(0, 0, 50);
  camera.set_target(0, 0, 0);
  camera.set_roll(10);
  camera.set_focal_length(256);
}

void pose_intro_objects(IntroObjects& objects, std::uint32_t elapsed_ms) {
  const auto theta = static_cast<float>(elapsed_ms * radians_per_ms);
  Vector3& light = objects.light_direction;
  light = {std::sin(theta) * light_radius, std::cos(theta) * light_radius, light_depth};
  const float a = angle_per_light_unit * light.x;
  const float b = angle_per_light_unit * light.y;
  set_rotation(objects.first, a, b, b);
  set_rotation(objects.second, -a, -b, -b);
  for (Object3D* object : {&objects.first, &objects.second}) {
    set_translation(*object, intro_object_position.x, intro_object_position.y, intro_object_position.z);
  }
  light = normalize(light);
}

void draw_intro_objects(IntroObjects& objects, std::uint16_t* frame, std::uint32_t elapsed_ms, Camera& camera,
                        DepthBuffer& depth) {
  pose_intro_objects(objects, elapsed_ms);
  clear_drawn_depth(depth);
  draw_object(objects.first, frame, camera, objects.light_direction, depth);
  draw_object(objects.second, frame, camera, objects.light_direction, depth);
}

}  // namespace engine3d
