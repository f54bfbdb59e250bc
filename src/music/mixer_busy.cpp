// The mixer's busy flag and the wait on it.
#include "music/mixer_busy.h"

#include <chrono>
#include <thread>

namespace music {

std::atomic<std::uint8_t> mixer_busy{0};

void wait_for_idle_mixer() {
  // A block takes a few milliseconds to mix; polling at the wave thread's own 2 ms rhythm is plenty.
  while (mixer_busy.load() != 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

}  // namespace music
