// A wave device as a table of functions, for a program that chooses its sound output when it runs: the
// headless platform plays through one that is plugged into it (zarn-tool xm play). Each function keeps
// the meaning of its wave_ namesake in platform.h.
#pragma once

#include <cstdint>

namespace platform {

struct WaveDevice {
  bool (*open)(int rate, const std::uint8_t* buffer, std::uint32_t bytes);
  std::uint64_t (*bytes_played)();
  void (*publish)(std::uint64_t bytes);
  void (*close)();
  void (*raise_thread_priority)();
  bool plays_only_published;  // as wave_plays_only_published
};

}  // namespace platform
