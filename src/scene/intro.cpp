// One intro frame. The drawing order is what covers what: the logo at the bottom, the blobs on it at half
// strength, the text over them, the particles brightening what lies beneath, and the objects, depth-tested
// only against each other, over everything.
#include "scene/intro.h"

#include <cmath>

#include "base/frame_geometry.h"
#include "scene/bitmap_font.h"
#include "scene/image_effects.h"
#include "scene/particles.h"
#include "shell/presentation.h"

namespace scene {
namespace {

// Moves a pen left and starts it again at the right once the line's last pixel has left on the left. An
// empty text has width 0, so its pen keeps cycling without drawing anything.
void advance_scroll(std::int32_t& pen, std::int32_t step, std::int32_t text_width) {
  pen -= step;
  if (pen < -text_width) pen = scroll_start_x;
}

void draw_scroll_lines(std::uint16_t* frame, IntroScene& scene, const shell::ScriptText& script) {
  advance_scroll(scene.top_scroll_x, top_scroll_step, scene.top_text_width);
  advance_scroll(scene.bottom_scroll_x, bottom_scroll_step, scene.bottom_text_width);
  // The line feeds a part keeps have no glyph: all lines of a part run on as one long line.
  large_font.draw_text(frame, large_font_colours, base::frame_width, script.parts[0].c_str(), scene.top_scroll_x,
                       top_scroll_y);
  large_font.draw_text(frame, large_font_colours, base::frame_width, script.parts[1].c_str(), scene.bottom_scroll_x,
                       bottom_scroll_y);
}

// The emitter goes round an ellipse centred on (320, 220) once every 2π seconds.
void run_fountain(std::uint16_t* frame, float seconds, std::uint32_t elapsed_ms) {
  const double t = seconds;
  spawn_particles(static_cast<int>(std::cos(t) * 200 + 320), static_cast<int>(std::sin(t) * 100 + 220),
                  particles_per_frame);
  update_particles(frame, elapsed_ms);
}

}  // namespace

IntroScene intro_scene;

void prepare_intro(IntroScene& scene, const shell::ScriptText& script) {
  scene.top_text_width = large_font.text_width(script.parts[0].c_str());
  scene.bottom_text_width = large_font.text_width(script.parts[1].c_str());
  scene.top_scroll_x = scroll_start_x;
  scene.bottom_scroll_x = scroll_start_x;
}

void intro_frame(float seconds, IntroScene& scene, shell::FrameState& state, const shell::ScriptText& script) {
  std::uint16_t* frame = state.frame_buffer.get();
  // One reading of the clock for the whole frame: the light, the particles and the objects show the same
  // moment, however long the layers under them took to draw on a busy machine.
  const std::uint32_t ms = shell::elapsed_ms(state);
  draw_lit_logo(frame, ms);  // overwrites every pixel: the frame needs no clearing
  draw_blobs(frame, seconds);
  draw_scroll_lines(frame, scene, script);
  run_fountain(frame, seconds, ms);
  engine3d::draw_intro_objects(scene.objects, frame, ms, scene.the_camera);
  // The frame that saw Escape is still shown; the frame loop ends the program on its next turn.
  if (shell::key_seen(shell::key_escape, state)) state.run_mode = shell::run_mode_end;
  shell::present_blended(frame);
}

}  // namespace scene
