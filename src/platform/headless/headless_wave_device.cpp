// The wave device of the headless platform: no clock of its own, it moves only when its caller plays it;
// or a real device plugged in (zarn-tool xm play) that it passes every call on to.
#include <atomic>

#include "platform/headless/headless.h"
#include "platform/platform.h"

namespace platform {
namespace {

// Apart from the window state (headless_platform.cpp) and its lock: the wave thread asks for the position
// every few milliseconds.
struct HeadlessWave {
  std::atomic<bool> available{true};
  std::atomic<bool> open{false};
  std::atomic<bool> paced_by_caller{true};
  const WaveDevice* plugged = nullptr;  // a real device played through instead, set while closed
  std::atomic<std::uint64_t> played{0};  // bytes
};

HeadlessWave wave;

}  // namespace

bool wave_open(int rate, const std::uint8_t* buffer, std::uint32_t bytes) {
  if (wave.plugged) return wave.plugged->open(rate, buffer, bytes);
  if (!wave.available || rate <= 0 || !buffer || bytes == 0 || bytes % wave_bytes_per_frame != 0) return false;
  wave.played = 0;
  wave.open = true;
  return true;
}

std::uint64_t wave_bytes_played() {
  if (wave.plugged) return wave.plugged->bytes_played();
  return wave.open ? wave.played.load() : 0;
}

// The virtual device reads nothing: whoever moves it on reads the blocks themselves.
void wave_publish(std::uint64_t bytes) {
  if (wave.plugged) wave.plugged->publish(bytes);
}

// The virtual device plays nothing itself; a plugged one says how it plays.
bool wave_plays_only_published() { return wave.plugged && wave.plugged->plays_only_published; }

bool wave_paced_by_caller() { return !wave.plugged && wave.paced_by_caller; }

void wave_close() {
  if (wave.plugged) wave.plugged->close();
  wave.open = false;
  wave.played = 0;
}

// Tests and tools keep the priorities they were given, unless they play through a real device.
void raise_thread_priority() {
  if (wave.plugged) wave.plugged->raise_thread_priority();
}

namespace headless {

void play_wave_bytes(std::uint64_t bytes) {
  if (wave.open) wave.played += bytes;
}

void set_wave_available(bool available) { wave.available = available; }

void set_wave_paced_by_caller(bool paced) { wave.paced_by_caller = paced; }

void plug_wave_device(const WaveDevice* device) { wave.plugged = device; }

bool wave_is_open() { return wave.open; }

}  // namespace headless
}  // namespace platform
