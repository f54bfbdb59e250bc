// The blended presentation against a plain copy of the same 614400 bytes.
#include <cstring>
#include <vector>

#include "base/frame_geometry.h"
#include "base/rgb565.h"
#include "ratio_report.h"
#include "shell/presentation.h"

namespace {

std::vector<std::uint16_t> test_frame() {
  std::vector<std::uint16_t> frame(base::frame_pixel_count);
  for (std::size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<std::uint16_t>(i * 40503u);
  return frame;
}

void memcpy_frame(benchmark::State& state) {
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

void present_blended(benchmark::State& state) {
  base::set_up_pixel_format();
  shell::Presentation glow;
  shell::set_up_blended_presentation(glow);
  const auto frame = test_frame();
  for (auto _ : state) {
    shell::blend_into_afterglow(glow, frame.data());
    benchmark::DoNotOptimize(glow.afterglow_buffer.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * base::frame_bytes);
}
BENCHMARK(present_blended);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.print_ratio("present_blended", "memcpy_frame", 2.0);
  benchmark::Shutdown();
  return 0;
}
