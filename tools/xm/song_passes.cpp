// The order positions each tick enters, and the output frames before each tick.
#include "tools/xm/song_passes.h"

#include <algorithm>
#include <array>

#include "music/replay.h"

namespace tools {
namespace {

struct SongPasses {
  std::array<bool, music::order_table_size> played{};  // order positions entered in this pass
  bool started = false;
  std::int64_t frames = 0;  // output frames before the tick about to run
  int passes_wanted = 1;
  int passes_done = 0;
  std::int64_t end_frame = -1;
};

SongPasses passes;

// The order position the coming tick enters, or -1 when it stays on its row's order position.
std::int32_t order_entered(const music::Module& module) {
  const std::int32_t entered = !passes.started ? module.order_position : module.tick == 0 ? module.next_order : -1;
  return entered < music::order_table_size ? entered : -1;
}

bool leaves_the_order_table(const music::Module& module) {
  return module.tick == 0 && module.order_position == module.song_length - 1 && module.next_row == 0 &&
         module.next_order == module.restart_position;
}

void tick_and_count_passes(music::Module& module) {
  const std::int32_t entered = order_entered(module);
  const bool comes_back = entered >= 0 && passes.played[static_cast<std::size_t>(entered)];
  if (passes.started && (comes_back || leaves_the_order_table(module))) {
    passes.played.fill(false);
    if (++passes.passes_done == passes.passes_wanted) passes.end_frame = passes.frames;
  }
  if (entered >= 0) passes.played[static_cast<std::size_t>(entered)] = true;
  passes.started = true;
  music::play_tick(module);
  passes.frames += std::max(module.samples_per_tick, 1);
}

}  // namespace

void count_song_passes(music::Module& module, int passes_wanted) {
  passes = SongPasses{};
  passes.passes_wanted = passes_wanted;
  module.tick_callback = tick_and_count_passes;
}

std::int64_t song_passes_end_frame() { return passes.end_frame; }

int song_passes_done() { return passes.passes_done; }

}  // namespace tools
