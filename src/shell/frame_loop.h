// The frame thread: runs one screen per iteration, chosen by `run_mode`, as fast as presentation allows.
#pragma once

namespace shell {

// Runs until `running` is cleared.
void frame_loop();

// Body of the frame thread: sets `start_tick`, runs the loop, then asks the window to close. The
// starter sets `running` before the thread exists, so a close that comes first is never lost.
void frame_thread_main();

}  // namespace shell
