// What the intro's camera shows of an object: its extent on the screen at the poses the intro gives it, and
// whether that is something a viewer sees (not a speck, not a clipped close-up, not off the frame).
#pragma once

#include <string>
#include <string_view>

#include "engine3d/object3d.h"

namespace tools {

struct ObjectView {
  int poses = 0;                     // poses sampled, both copies counted
  int poses_in_frame = 0;            // poses at which some of its screen extent lies within the frame
  int poses_at_eye = 0;              // poses at which part of it comes nearer than the near plane
  double largest_span_px = 0;        // the widest or tallest its screen extent gets, at poses wholly in front
  double best_share_in_frame = 0;    // the largest share (0 … 1) of its screen extent within the frame
  bool seen = false;
  // One line: "the intro shows it: ..." or "the intro shows nothing of it: ...", with the figures.
  std::string verdict;
};

// Poses both copies as the intro does every 100 ms over a whole turn of their motion and projects the
// object's drawn vertices through the intro's camera at each pose.
ObjectView view_of(const engine3d::Object3D& object);

// The verdict of the object an object file's text describes when the intro would show nothing of it; empty
// when it shows it, or when the parser refuses the text (the parser's reason says why then).
std::string unseen_object_text(std::string_view text);

}  // namespace tools
