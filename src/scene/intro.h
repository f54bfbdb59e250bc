// The intro screen: one frame of the intro scene per call of the frame loop.
#pragma once

namespace scene {

// Measures the scroll texts and puts both scroll lines at their start; runs once before the first frame.
void prepare_intro();

// Draws and presents one intro frame at `seconds` on the frame loop's clock; Escape ends the program.
void intro_frame(float seconds);

}  // namespace scene
