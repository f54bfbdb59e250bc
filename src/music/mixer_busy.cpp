// The mixer's busy flag, the block lock and the wait for an idle mixer.
#include "music/mixer_busy.h"

#include <chrono>
#include <thread>

namespace music {

std::atomic<std::uint8_t> mixer_busy{0};
std::mutex mixer_block_lock;

std::unique_lock<std::mutex> hold_idle_mixer() {
  std::unique_lock<std::mutex> hold(mixer_block_lock);
  // The wave thread sets the flag only inside the lock; it is checked as well because it is the flag
  // the replay side is promised, whoever raised it.
  while (mixer_busy.load() != 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return hold;
}

}  // namespace music
