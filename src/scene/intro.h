// The intro screen: the lit logo, the blobs, two scrolling script lines, the particle fountain and the two
// 3D objects, composed the same way every frame and presented blended with the picture before.
#pragma once

#include <cstdint>

#include "engine3d/camera.h"
#include "engine3d/intro_objects.h"
#include "shell/frame_state.h"
#include "shell/script_reader.h"

namespace scene {

// Where a scroll line's pen starts: just right of the visible area.
inline constexpr std::int32_t scroll_start_x = 660;
inline constexpr std::int32_t top_scroll_step = 3;     // pixels per frame
inline constexpr std::int32_t bottom_scroll_step = 2;  // pixels per frame
inline constexpr int top_scroll_y = 6;
inline constexpr int bottom_scroll_y = 449;
// Particles started per frame on the emitter's ellipse.
inline constexpr int particles_per_frame = 15;

struct IntroScene {
  engine3d::IntroObjects objects;  // two copies of "3d-obj.3d", loaded at start-up
  engine3d::Camera the_camera;     // placed at start-up; every frame looks through it
  // Pen positions of the two script lines; they move a fixed number of pixels per frame, not per second.
  std::int32_t top_scroll_x = scroll_start_x;
  std::int32_t bottom_scroll_x = scroll_start_x;
  // Widths of script parts 0 and 1 in the large font, pixels.
  std::int32_t top_text_width = 0;
  std::int32_t bottom_text_width = 0;
};

// The program's one intro scene.
extern IntroScene intro_scene;

// Measures the two scroll texts and puts both pens at their start; runs once before the first frame.
void prepare_intro(IntroScene& scene = intro_scene, const shell::ScriptText& script = shell::script_text);

// Draws and presents one intro frame at `seconds` on the frame loop's clock; Escape ends the program.
void intro_frame(float seconds, IntroScene& scene = intro_scene, shell::FrameState& state = shell::frame_state,
                 const shell::ScriptText& script = shell::script_text);

}  // namespace scene
