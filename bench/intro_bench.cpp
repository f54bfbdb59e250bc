// One whole intro frame with the default assets, blended into the afterglow, beside a plain copy of the
// frame; and the start-up that loads and computes everything before the first frame.
#include <filesystem>
#include <memory>

#include "base/rgb565.h"
#include "frame_reference.h"
#include "platform/headless/headless.h"
#include "ratio_report.h"
#include "scene/intro.h"
#include "scene/particles.h"
#include "shell/frame_state.h"
#include "shell/presentation.h"
#include "shell/startup.h"

namespace {

constexpr std::uint32_t frame_step_ms = 20;
// The frames timed at one point of the intro: half a second from it, played again and again from the
// same state, so that the particle count and the objects' sizes are those of that moment.
constexpr int frames_per_window = 25;

// Start-up in the asset folder, once for all benchmarks of this program.
bool start_up_once() {
  static const bool ready = [] {
    std::filesystem::current_path(ZARN_ASSET_DIR);
    platform::headless::reset();
    base::set_up_pixel_format();
    return shell::load_assets() == 1;
  }();
  return ready;
}

// What an intro frame changes, to go back to the start of the window.
struct IntroMoment {
  scene::ParticlePool particles;
  scene::IntroScene scene;
  shell::Presentation presentation;
};

void take_moment(IntroMoment& moment) {
  moment.particles = scene::particle_pool;
  moment.scene = scene::intro_scene;
  moment.presentation = shell::presentation;
}

void restore_moment(const IntroMoment& moment, std::uint32_t at_ms) {
  scene::particle_pool = moment.particles;
  scene::intro_scene = moment.scene;
  shell::presentation = moment.presentation;
  platform::headless::set_clock_ms(at_ms);
}

void play_frame(std::uint32_t at_ms) {
  platform::headless::set_clock_ms(at_ms);
  scene::intro_frame(static_cast<float>(at_ms * 0.001));
}

// The intro from its start (with the NFO screen's 4 s as if space had been pressed then) up to `at_ms`,
// at 50 frames a second.
void play_up_to(std::uint32_t at_ms) {
  scene::particle_pool = *std::make_unique<scene::ParticlePool>();
  scene::reset_particles();
  scene::prepare_intro();
  shell::set_up_blended_presentation();
  for (std::uint32_t ms = 4000; ms < at_ms; ms += frame_step_ms) play_frame(ms);
}

void intro_frame(benchmark::State& state) {
  if (!start_up_once()) {
    state.SkipWithError("the default assets did not load");
    return;
  }
  const auto at_ms = static_cast<std::uint32_t>(state.range(0) * 1000);
  play_up_to(at_ms);
  auto moment = std::make_unique<IntroMoment>();
  take_moment(*moment);
  int frame = 0;
  for (auto _ : state) {
    if (frame == frames_per_window) {
      state.PauseTiming();
      restore_moment(*moment, at_ms);
      frame = 0;
      state.ResumeTiming();
    }
    play_frame(at_ms + frame++ * frame_step_ms);
    benchmark::ClobberMemory();
  }
  const scene::ParticlePool& pool = scene::particle_pool;
  state.counters["particles"] = scene::particle_capacity - pool.free_count;
}
BENCHMARK(intro_frame)->Arg(4)->Arg(10)->Arg(30)->Arg(60)->Unit(benchmark::kMicrosecond);

void load_assets(benchmark::State& state) {
  std::filesystem::current_path(ZARN_ASSET_DIR);
  platform::headless::reset();
  base::set_up_pixel_format();
  for (auto _ : state) {
    if (shell::load_assets() != 1) state.SkipWithError("the default assets did not load");
  }
}
BENCHMARK(load_assets)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
  return bench::run_benchmarks(argc, argv, [](const bench::RatioReporter& figures) {
    for (const char* at : {"4", "10", "30", "60"}) {
      figures.print_ratio(std::string("intro_frame/") + at, "memcpy_frame", 40.0);
    }
    figures.print_time_ms("load_assets/iterations:5", 150.0);
  });
}
