// The NFO check screen.
#include "shell/nfo_screen.h"

#include <algorithm>
#include <cmath>

#include "base/frame_geometry.h"
#include "base/rgb565.h"
#include "scene/bitmap_font.h"
#include "scene/shaded_image.h"
#include "shell/frame_state.h"
#include "shell/presentation.h"
#include "shell/screen_drawing.h"

namespace shell {
namespace {

const VerdictText verdict_texts[] = {
    {"Unable to locate any ZARN NFO file!",
     "This release is NOT an official ZARN release or was modified by 3rd party!", "Press -ESCAPE- to exit!"},
    {"CRC Check passed!", "This release is an official ZARN release!", "Press -SPACE- to continue!"},
    {"CRC Check failed!", "This release is NOT an official ZARN release or was modified by 3rd party!",
     "Press -ESCAPE- to continue!"},
};

void draw_small_text(const char* text, int x, int y) {
  scene::small_font.draw_text_to_edge(frame_state.frame_buffer.get(), scene::small_font_colours, base::frame_width, text, x, y);
}

// Three pairs of blue lines around the text, each pair pulsing with its own phase.
void draw_pulsing_lines(float a) {
  for (int k = 0; k <= 4; k += 2) {
    const int v = static_cast<int>((std::sin(static_cast<double>(k + a)) + 1) * 127);
    const std::uint16_t colour = base::pack_rgb565(0, 0, v);
    draw_line(frame_state.frame_buffer.get(), 0, 170 + k, 639, 170 + k, colour);
    draw_line(frame_state.frame_buffer.get(), 0, 246 - k, 639, 246 - k, colour);
  }
}

void tint_small_font(float a) {
  const int s = static_cast<int>(std::sin(static_cast<double>(a)) * 6 + 10);
  for (int i = 0; i < 16; ++i) scene::small_font_colours[i] = base::pack_rgb565(2 * i, 2 * i, i * s);
}

// Only the key the verdict names counts: space when the check passed, Escape otherwise.
void follow_verdict_key(NfoVerdict verdict) {
  if (verdict == nfo_verdict_passed) {
    if (key_seen(key_space)) frame_state.run_mode = run_mode_intro;
  } else if (key_seen(key_escape)) {
    frame_state.run_mode = run_mode_end;
  }
}

}  // namespace

NfoScreenState nfo_state;

const VerdictText& verdict_text(NfoVerdict verdict) { return verdict_texts[std::clamp<int>(verdict, 0, 2)]; }

void nfo_screen(float seconds) {
  std::uint16_t* frame = frame_state.frame_buffer.get();
  std::fill(frame, frame + base::frame_pixel_count, 0);
  draw_shaded_image(frame, 0, 0, scene::zarn_image);
  const float a = seconds * 4;
  draw_pulsing_lines(a);
  tint_small_font(a);
  draw_small_text("Checking ZARN NFO...", 10, 180);
  if (nfo_state.check_pending) {
    nfo_state.verdict = check_nfo_files().verdict;
    nfo_state.check_pending = false;
  }
  if (elapsed_ms() > nfo_verdict_delay_ms) {
    const VerdictText& text = verdict_text(nfo_state.verdict);
    draw_small_text(text.verdict, 10, 200);
    draw_small_text(text.release, 10, 220);
    draw_small_text(text.key_hint, 10, 250);
    follow_verdict_key(nfo_state.verdict);
  }
  draw_shaded_image(frame, credits_strip_x, credits_strip_y, scene::credits_image);
  present_blended(frame);
}

}  // namespace shell
