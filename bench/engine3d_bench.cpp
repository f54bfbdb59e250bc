// The intro's 3D step, both objects of the default asset set drawn as every intro frame draws them, and
// the rasterizer on a field of small triangles; against clearing the depth buffer, which every frame
// does too.
#include <algorithm>
#include <memory>
#include <random>
#include <vector>

#include "base/frame_geometry.h"
#include "base/shade_table.h"
#include "engine3d/intro_objects.h"
#include "engine3d/rasterizer.h"
#include "ratio_report.h"

namespace {

using engine3d::Fixed16;
using engine3d::ScreenCorner;
using engine3d::ScreenTriangle;

// Milliseconds between two drawn frames: the pose and light move on as in the intro.
constexpr std::uint32_t frame_step_ms = 20;
constexpr int field_triangles = 10000;

void clear_depth_buffer(benchmark::State& state) {
  engine3d::allocate_depth_buffer();
  for (auto _ : state) {
    engine3d::clear_depth_buffer();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(clear_depth_buffer);

void intro_objects_frame(benchmark::State& state) {
  auto objects = std::make_unique<engine3d::IntroObjects>();
  if (!engine3d::load_intro_objects(*objects, ZARN_ASSET_DIR "/3d-obj.3d", ZARN_ASSET_DIR "/credits.bmp").loaded()) {
    state.SkipWithError("cannot load the default object of the asset set");
    return;
  }
  engine3d::allocate_depth_buffer();
  engine3d::Camera camera;
  engine3d::place_intro_camera(camera);
  std::vector<std::uint16_t> frame(base::frame_pixel_count, 0);
  std::uint32_t elapsed_ms = 0;
  for (auto _ : state) {
    engine3d::draw_intro_objects(*objects, frame.data(), elapsed_ms, camera);
    elapsed_ms += frame_step_ms;
    benchmark::ClobberMemory();
  }
  state.counters["faces/s"] = benchmark::Counter(2.0 * objects->first.face_count() * state.iterations(),
                                                 benchmark::Counter::kIsRate);
}
BENCHMARK(intro_objects_frame);

// Triangles of 3 to 12 pixels across, scattered over the screen, wound to be filled, each nearer than
// the ones before so that every pixel passes the depth test once the buffer is cleared.
std::vector<ScreenTriangle> triangle_field() {
  std::mt19937 random(12345);
  std::uniform_real_distribution<double> place_x(20, 620), place_y(20, 460), reach(-6, 6);
  std::uniform_int_distribution<int> shade(0, 31);
  std::vector<ScreenTriangle> field;
  while (static_cast<int>(field.size()) < field_triangles) {
    const double cx = place_x(random), cy = place_y(random);
    ScreenTriangle t;
    for (ScreenCorner& c : t.corners) {
      c = {static_cast<Fixed16>((cx + reach(random)) * 65536), static_cast<Fixed16>((cy + reach(random)) * 65536),
           65536, 65536, shade(random) * 65536, static_cast<Fixed16>((field.size() * 3 + 3) << 16)};
    }
    const auto& c = t.corners;
    const double area = double(c[0].x - c[2].x) * (c[1].y - c[2].y) - double(c[1].x - c[2].x) * (c[0].y - c[2].y);
    if (area == 0) continue;
    if (area > 0) std::swap(t.corners[1], t.corners[2]);
    field.push_back(t);
  }
  return field;
}

// Pixels the field fills, counted one triangle at a time in a cleared frame.
long long pixels_of(const std::vector<ScreenTriangle>& field, const engine3d::TextureMap& texture,
                    const base::ShadeTable& shades) {
  std::vector<std::uint16_t> frame(base::frame_pixel_count, 0);
  long long pixels = 0;
  for (const ScreenTriangle& t : field) {
    std::fill(frame.begin(), frame.end(), 0);
    engine3d::clear_depth_buffer();
    engine3d::rasterize_triangle(t, frame.data(), texture, shades);
    pixels += std::count_if(frame.begin(), frame.end(), [](std::uint16_t p) { return p != 0; });
  }
  return pixels;
}

void rasterize_triangle_field(benchmark::State& state) {
  engine3d::allocate_depth_buffer();
  const auto field = triangle_field();
  auto texture = std::make_unique<engine3d::TextureMap>();
  texture->fill(3);
  auto shades = std::make_unique<base::ShadeTable>();
  for (auto& level : *shades) level.fill(0xFFFF);
  const long long pixels = pixels_of(field, *texture, *shades);
  std::vector<std::uint16_t> frame(base::frame_pixel_count, 0);
  for (auto _ : state) {
    engine3d::clear_depth_buffer();  // a few per cent of the pass; the intro clears once per frame too
    for (const ScreenTriangle& t : field) engine3d::rasterize_triangle(t, frame.data(), *texture, *shades);
    benchmark::ClobberMemory();
  }
  state.counters["triangles/s"] = benchmark::Counter(double(field.size()) * state.iterations(), benchmark::Counter::kIsRate);
  state.counters["pixels/s"] = benchmark::Counter(double(pixels) * state.iterations(), benchmark::Counter::kIsRate);
  state.counters["pixels/triangle"] = double(pixels) / field.size();
}
BENCHMARK(rasterize_triangle_field);

}  // namespace

int main(int argc, char** argv) {
  return bench::run_benchmarks(argc, argv, [](const bench::RatioReporter& figures) {
    figures.print_time_ms("intro_objects_frame", 1.0);
    // About 1 ms on the machine the target was set on, where a clear takes about 10 µs.
    figures.print_ratio("intro_objects_frame", "clear_depth_buffer", 100.0);
  });
}
