// The reference every frame benchmark is set against: a plain copy of one 640x480 RGB565 frame.
#pragma once

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "base/frame_geometry.h"

namespace bench {

inline std::vector<std::uint16_t> test_frame() {
  std::vector<std::uint16_t> frame(base::frame_pixel_count);
  for (std::size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<std::uint16_t>(i * 40503u);
  return frame;
}

inline void memcpy_frame(benchmark::State& state) {
  const auto frame = test_frame();
  std::vector<std::uint16_t> target(base::frame_pixel_count);
  for (auto _ : state) {
    std::memcpy(target.data(), frame.data(), base::frame_bytes);
    benchmark::DoNotOptimize(target.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * base::frame_bytes);
}
BENCHMARK(memcpy_frame);

}  // namespace bench
