// The intro's image effects against a plain copy of the frame.
#include <cmath>
#include <memory>

#include "base/rgb565.h"
#include "frame_reference.h"
#include "ratio_report.h"
#include "scene/effect_tables.h"
#include "scene/image_effects.h"
#include "scene/particles.h"
#include "support/grey_logo.h"

namespace {

// A logo with smooth relief everywhere, as a drawn logo has, so the bump map moves every lookup.
base::Image textured_logo() {
  return test_support::grey_logo([](int x, int y) {
    return static_cast<std::uint8_t>(128 + 100 * std::sin(x / 23.0) * std::cos(y / 17.0));
  });
}

void draw_lit_logo(benchmark::State& state) {
  base::set_up_pixel_format();
  const base::Image logo = textured_logo();
  scene::EffectTables tables;
  scene::fill_logo_shades(logo, tables);
  scene::fill_light_map(tables);
  scene::fill_bump_map(logo, tables);
  auto frame = bench::test_frame();
  std::uint32_t ms = 0;
  for (auto _ : state) {
    scene::draw_lit_logo(frame.data(), ms += 20, logo, tables);
    benchmark::ClobberMemory();
  }
  state.counters["ns_per_pixel"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * base::frame_pixel_count,
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(draw_lit_logo);

void draw_blobs(benchmark::State& state) {
  base::set_up_pixel_format();
  scene::fill_saturating_double_table();
  scene::blob_image.width = 28;
  scene::blob_image.height = 120;
  scene::blob_image.pixels.assign(28 * 120, 9);
  auto frame = bench::test_frame();
  float t = 0;
  for (auto _ : state) {
    scene::draw_blobs(frame.data(), t += 0.02f);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(draw_blobs);

void update_particles(benchmark::State& state) {
  base::set_up_pixel_format();
  auto pool = std::make_unique<scene::ParticlePool>();
  scene::reset_particles(*pool);
  scene::spawn_particles(300, 200, scene::particle_capacity, *pool);
  auto frame = bench::test_frame();
  // The clock stands still after the first update, so all 10000 particles stay alive and are drawn.
  for (auto _ : state) {
    scene::update_particles(frame.data(), 1000, *pool);
    benchmark::ClobberMemory();
  }
  state.counters["live"] = scene::particle_capacity - pool->free_count;
}
BENCHMARK(update_particles)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  return bench::run_benchmarks(argc, argv, [](const bench::RatioReporter& figures) {
    figures.print_ratio("draw_lit_logo", "memcpy_frame", 12.0);
    figures.print_time_ms("update_particles", 1.0);
  });
}
