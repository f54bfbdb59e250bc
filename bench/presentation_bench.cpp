// The blended presentation against a plain copy of the same 614400 bytes.
#include "base/rgb565.h"
#include "frame_reference.h"
#include "ratio_report.h"
#include "shell/presentation.h"

namespace {

void present_blended(benchmark::State& state) {
  base::set_up_pixel_format();
  shell::Presentation glow;
  shell::set_up_blended_presentation(glow);
  const auto frame = bench::test_frame();
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
  return bench::run_benchmarks(argc, argv, [](const bench::RatioReporter& figures) {
    figures.print_ratio("present_blended", "memcpy_frame", 2.0);
  });
}
