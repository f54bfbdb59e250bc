// Loading a 1 MB module against reading the same file with fread: the loader's own work (unpacking,
// conversions, delta decoding) on top of getting the bytes into memory, and that work alone on bytes
// already there.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "music/xm_loader.h"
#include "music/xm_writer.h"
#include "ratio_report.h"

namespace {

constexpr std::size_t target_size = 1 << 20;

// Eight channels of busy patterns and sixteen instruments of 8- and 16-bit samples, about 1 MB in all,
// as a demo's module is: mostly sample data.
music::XmSong megabyte_song() {
  music::XmSong song;
  song.channel_count = 8;
  for (int p = 0; p < 32; ++p) {
    music::XmPattern pattern;
    for (int c = 0; c < 64 * 8; ++c) {
      const int k = p * 512 + c;
      pattern.cells.push_back({static_cast<std::uint8_t>(1 + k % 96), static_cast<std::uint8_t>(1 + k % 16),
                               static_cast<std::uint8_t>(k % 3 ? 0 : 0x30), static_cast<std::uint8_t>(k % 5 ? 0 : 0x0A),
                               static_cast<std::uint8_t>(k % 7)});
    }
    song.patterns.push_back(pattern);
    song.orders.push_back(static_cast<std::uint8_t>(p));
  }
  for (int i = 0; i < 16; ++i) {
    music::XmInstrument instrument;
    for (int s = 0; s < 2; ++s) {
      music::XmSample sample;
      sample.sixteen_bit = s == 1;
      sample.frames.resize(sample.sixteen_bit ? 14000 : 30000);
      for (std::size_t f = 0; f < sample.frames.size(); ++f) {
        sample.frames[f] = static_cast<std::int16_t>((f * 2654435761u >> 16) % (sample.sixteen_bit ? 65536 : 256));
      }
      sample.loop_bits = music::xm_loop_forward;
      sample.loop_start = 1000;
      sample.loop_length = 5000;
      instrument.samples.push_back(sample);
    }
    song.instruments.push_back(instrument);
  }
  return song;
}

const std::vector<std::uint8_t>& module_bytes() {
  static const std::vector<std::uint8_t> file = [] {
    auto written = music::write_xm(megabyte_song());
    std::printf("module: %zu bytes (target about %zu)\n", written.size(), target_size);
    return written;
  }();
  return file;
}

const std::string& module_path() {
  static const std::string path = [] {
    const std::vector<std::uint8_t>& file = module_bytes();
    const auto where = std::filesystem::temp_directory_path() / "zarn-xm-load-bench.xm";
    std::ofstream(where, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), file.size());
    return where.string();
  }();
  return path;
}

void fread_module(benchmark::State& state) {
  const std::string& path = module_path();
  for (auto _ : state) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    std::fseek(file, 0, SEEK_END);
    const long size = std::ftell(file);
    std::fseek(file, 0, SEEK_SET);
    std::unique_ptr<std::uint8_t[]> bytes(new std::uint8_t[size]);
    benchmark::DoNotOptimize(std::fread(bytes.get(), 1, size, file));
    std::fclose(file);
    benchmark::DoNotOptimize(bytes.get());
  }
}
BENCHMARK(fread_module);

void load_xm_module(benchmark::State& state) {
  const std::string& path = module_path();
  for (auto _ : state) {
    base::LoadResult result;
    music::OwnedModule module = music::load_module_file(path.c_str(), result);
    if (!module) state.SkipWithError(result.reason.c_str());
    benchmark::DoNotOptimize(module.get());
  }
}
BENCHMARK(load_xm_module);

void load_xm_bytes(benchmark::State& state) {
  const std::vector<std::uint8_t>& file = module_bytes();
  for (auto _ : state) {
    base::LoadResult result;
    music::OwnedModule module = music::load_module(file, result);
    if (!module) state.SkipWithError(result.reason.c_str());
    benchmark::DoNotOptimize(module.get());
  }
}
BENCHMARK(load_xm_bytes);

}  // namespace

int main(int argc, char** argv) {
  return bench::run_benchmarks(argc, argv, [](const bench::RatioReporter& figures) {
    figures.print_ratio("load_xm_module", "fread_module", 4.0);
  });
}
