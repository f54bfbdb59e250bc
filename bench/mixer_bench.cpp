// The mixer alone: one second of output from 32 playing voices, block by block as the wave thread mixes
// and converts it, as a share of real time (the wave thread has 2 shared cores with the frame thread);
// and mix_voices alone on 32 looping voices at steady levels, in nanoseconds per voice and output frame.
#include <cmath>
#include <vector>

#include "music/mixer.h"
#include "music/sound_system.h"
#include "music/voices.h"
#include "ratio_report.h"

namespace {

constexpr int voices = 32;
constexpr std::int32_t block_frames = 884;
constexpr std::int32_t sample_frames = 4000;
constexpr double target_share_of_real_time = 0.05;
constexpr double target_ns_per_voice_frame = 1.0;

// A looped 16-bit sine-ish sample; half the voices play it forward, half ping-pong.
music::Sample bench_sample(std::uint8_t loop_type) {
  music::Sample s;
  s.length = sample_frames;
  s.data = std::make_unique<std::int16_t[]>(sample_frames + music::sample_spare_words);
  for (int i = 0; i < sample_frames + music::sample_spare_words; ++i) {
    s.data[i] = static_cast<std::int16_t>(12000 * std::sin(i * 0.05));
  }
  s.loop_type = loop_type;
  s.loop_start = 100;
  s.loop_length = sample_frames - 100;
  return s;
}

// 32 voices at frequencies from 8000 Hz up, across the panorama; half loop forward, half ping-pong.
void start_32_voices(const music::Sample& forward, const music::Sample& ping_pong) {
  music::open_voice_pool(music::intro_mix_rate);
  for (int i = 0; i < voices; ++i) {
    music::Voice& v = music::sound_system.voice_pool.voices[i];
    v.sample = i % 2 ? &ping_pong : &forward;
    v.direction = music::direction_forward;
    music::voice_set_frequency(v, 8000 + i * 1500);
    music::voice_set_panning(v, i * 8);
    music::voice_set_volume(v, 40 + i);
  }
}

void mix_voices_32_looping_voices(benchmark::State& state) {
  const music::Sample forward = bench_sample(music::loop_forward);
  const music::Sample ping_pong = bench_sample(music::loop_ping_pong);
  start_32_voices(forward, ping_pong);
  const music::VolumeRamp ramp = music::volume_ramp_for(music::intro_mix_rate);
  std::vector<float> mix(2 * block_frames);
  music::VoicePool& pool = music::sound_system.voice_pool;
  music::mix_voices(mix.data(), pool, block_frames, ramp);  // the ramps from silence run out
  for (auto _ : state) {
    music::mix_voices(mix.data(), pool, block_frames, ramp);
    benchmark::DoNotOptimize(mix.data());
  }
}
BENCHMARK(mix_voices_32_looping_voices);

void mix_one_second_32_voices(benchmark::State& state) {
  const music::Sample forward = bench_sample(music::loop_forward);
  const music::Sample ping_pong = bench_sample(music::loop_ping_pong);
  start_32_voices(forward, ping_pong);
  const music::VolumeRamp ramp = music::volume_ramp_for(music::intro_mix_rate);
  std::vector<float> mix(2 * block_frames);
  std::vector<std::int16_t> wave(2 * block_frames);
  music::VoicePool& pool = music::sound_system.voice_pool;
  int block = 0;
  for (auto _ : state) {
    for (std::int32_t done = 0; done < music::intro_mix_rate; done += block_frames, ++block) {
      const std::int32_t n = std::min(block_frames, music::intro_mix_rate - done);
      // A few voices change volume every block, as ticks do, so ramps are part of the load.
      for (int i = 0; i < voices; i += 4) music::voice_set_volume(pool.voices[i], (block * 7 + i) % 128);
      std::fill(mix.begin(), mix.end(), 0.0f);
      music::mix_voices(mix.data(), pool, n, ramp);
      music::convert_block(wave.data(), mix.data(), n);
    }
    benchmark::DoNotOptimize(wave.data());
  }
}
BENCHMARK(mix_one_second_32_voices)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return bench::run_benchmarks(argc, argv, [](const bench::RatioReporter& figures) {
    figures.print_real_time_ratio("mix_one_second_32_voices", 1.0, target_share_of_real_time);
    figures.print_ns_per_unit("mix_voices_32_looping_voices", "voice-frame", double{voices} * block_frames,
                              target_ns_per_voice_frame);
  });
}
