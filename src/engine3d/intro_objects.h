// The intro's two objects: how start-up loads them and places the camera, and how every intro frame
// lights, poses and draws them.
#pragma once

#include <cstdint>

#include "base/load_result.h"
#include "engine3d/camera.h"
#include "engine3d/object3d.h"
#include "engine3d/object_loader.h"
#include "engine3d/object_texture.h"
#include "engine3d/rasterizer.h"
#include "engine3d/vector_math.h"

namespace engine3d {

// Two independent copies of one object file, drawn at the same place with opposite rotations, and the
// light they are drawn with.
struct IntroObjects {
  Object3D first;
  Object3D second;
  // World-space direction the light travels in, unit length once posed.
  Vector3 light_direction;
};

// Loads both objects from `object_path` and gives both the texture at `texture_path` (none: nullptr). A
// texture that cannot be used leaves the fallback grey and is not a failure; the result is the object
// file's, and on failure start-up shows object_failure_message(result) with object_message_caption.
base::LoadResult load_intro_objects(IntroObjects& objects, const char* object_path = object_file_name,
                                    const char* texture_path = object_texture_file_name);

// At (0, 0, 50) looking at the origin, rolled by 10 degrees, focal length 256.
void place_intro_camera(Camera& camera);

// The light turns about the z axis once every 1500·2π ms, and the objects' rotation angles follow it.
// Sets the light direction (normalized) and both poses for `elapsed_ms` since the frame thread started.
void pose_intro_objects(IntroObjects& objects, std::uint32_t elapsed_ms);

// The intro frame's 3D step: pose, clear the depth buffer, draw the first object and then the second
// through `camera` into the 640x480 frame.
void draw_intro_objects(IntroObjects& objects, std::uint16_t* frame, std::uint32_t elapsed_ms, Camera& camera,
                        DepthBuffer& depth = depth_buffer);

}  // namespace engine3d
