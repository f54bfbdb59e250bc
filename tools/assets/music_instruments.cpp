// Synthesising the default tune's instruments.
//
// Pitched samples hold whole cycles of 64, 128 or 256 frames and carry the relative note that makes the
// cell note C-4 sound at middle C (8363 Hz x 2^(r/12) / cycle = 261 Hz), so every instrument plays in
// tune with the others. Oscillators start at phase 0, where their sine series are 0, and loops span whole
// cycles, so neither a note start nor a loop wrap jumps. One-shot drums fade in over a few frames and
// taper to silence before their last frame.
#include "tools/assets/music_instruments.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>

namespace tools::assets {
namespace {

constexpr double two_pi = 6.283185307179586;
constexpr double pi = two_pi / 2;

// The playback rate of a sample at C-4 with this relative note.
double rate_of(int relative_note) { return 8363.0 * std::pow(2.0, relative_note / 12.0); }

// Relative notes that put middle C on cycles of 64, 128 and 256 frames.
constexpr int relative_note_64 = 12;
constexpr int relative_note_128 = 24;
constexpr int relative_note_256 = 36;

class Noise {
 public:
  explicit Noise(std::uint32_t seed) : state_(seed) {}
  // Uniform in -1..1.
  double next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return static_cast<double>(state_) / 2147483648.0 - 1.0;
  }

 private:
  std::uint32_t state_;
};

// A sawtooth as a sine series, its upper harmonics rolled off above `brightness`.
double soft_saw(double phase, int harmonics, double brightness) {
  double sum = 0;
  for (int h = 1; h <= harmonics; ++h) {
    const double roll_off = 1.0 / (1.0 + (h / brightness) * (h / brightness));
    sum += std::sin(h * phase) / h * roll_off;
  }
  return sum;
}

// A square wave as a sine series of its odd harmonics.
double soft_square(double phase, int highest_harmonic) {
  double sum = 0;
  for (int h = 1; h <= highest_harmonic; h += 2) sum += std::sin(h * phase) / h;
  return sum;
}

using Wave = std::vector<double>;

Wave synthesise(std::size_t frames, const std::function<double(std::size_t)>& at) {
  Wave wave(frames);
  for (std::size_t i = 0; i < frames; ++i) wave[i] = at(i);
  return wave;
}

// A linear fade over the first `in` frames and a half-cosine one over the last `out` frames.
void fade(Wave& wave, std::size_t in, std::size_t out) {
  for (std::size_t i = 0; i < in && i < wave.size(); ++i) wave[i] *= static_cast<double>(i) / in;
  for (std::size_t i = 0; i < out && i < wave.size(); ++i) {
    wave[wave.size() - 1 - i] *= 0.5 - 0.5 * std::cos(pi * static_cast<double>(i) / out);
  }
}

// The sample's frames scaled so that the loudest reaches `peak` of full scale, in 8 or 16 bits.
music::XmSample to_sample(const Wave& wave, double peak, bool sixteen_bit, std::string name) {
  double loudest = 0;
  for (double v : wave) loudest = std::max(loudest, std::abs(v));
  const double full_scale = sixteen_bit ? 32767.0 : 127.0;
  const double scale = loudest > 0 ? peak * full_scale / loudest : 0.0;
  music::XmSample sample;
  sample.sixteen_bit = sixteen_bit;
  sample.name = std::move(name);
  sample.frames.reserve(wave.size());
  for (double v : wave) {
    sample.frames.push_back(static_cast<std::int16_t>(
        std::clamp(std::lround(v * scale), -static_cast<long>(full_scale), static_cast<long>(full_scale))));
  }
  return sample;
}

void loop(music::XmSample& sample, std::uint8_t bits, std::size_t start, std::size_t end) {
  sample.loop_bits = bits;
  sample.loop_start = static_cast<std::uint32_t>(start);
  sample.loop_length = static_cast<std::uint32_t>(end - start);
}

// The frame nearest `target` at which the wave turns (a peak or a trough): a ping-pong loop reversing
// there keeps the wave smooth as well as continuous.
std::size_t turning_point_near(const std::vector<std::int16_t>& frames, std::size_t target) {
  for (std::size_t distance = 0; distance < target; ++distance) {
    for (std::size_t i : {target - distance, target + distance}) {
      if (i < 1 || i + 1 >= frames.size()) continue;
      const int before = frames[i] - frames[i - 1];
      const int after = frames[i + 1] - frames[i];
      if ((before > 0 && after <= 0) || (before < 0 && after >= 0)) return i;
    }
  }
  return target;
}

music::XmEnvelope envelope(std::initializer_list<music::EnvelopePoint> points, std::uint8_t type, int sustain = 0,
                           int loop_start = 0, int loop_end = 0) {
  music::XmEnvelope e;
  for (const music::EnvelopePoint& p : points) e.points[e.point_count++] = p;
  e.type = type;
  e.sustain = static_cast<std::uint8_t>(sustain);
  e.loop_start = static_cast<std::uint8_t>(loop_start);
  e.loop_end = static_cast<std::uint8_t>(loop_end);
  return e;
}

constexpr std::uint8_t env_plain = music::envelope_on;
constexpr std::uint8_t env_sustained = music::envelope_on | music::envelope_sustain;
constexpr std::uint8_t env_looped = music::envelope_on | music::envelope_loop;

music::XmInstrument instrument(std::string name, music::XmSample sample) {
  music::XmInstrument ins;
  ins.name = std::move(name);
  ins.samples.push_back(std::move(sample));
  return ins;
}

// A sine sweeping down from a thud to a low boom, with a click of noise on top. Its pitch curve is
// scaled so that the body crosses zero exactly at the soft kick's offset.
music::XmInstrument make_kick() {
  const double rate = rate_of(24);
  const std::size_t frames = static_cast<std::size_t>(0.42 * rate);
  auto frequency = [&](std::size_t i) { return 47.0 + 125.0 * std::exp(-(i / rate) / 0.03); };
  const std::size_t soft_start = soft_kick_offset * 256u;
  double phase_at_soft_start = 0;
  for (std::size_t i = 0; i < soft_start; ++i) phase_at_soft_start += two_pi * frequency(i) / rate;
  const double half_turns = phase_at_soft_start / pi;
  const double tune = std::round(half_turns) / half_turns;
  Noise noise(0x4b1d);
  double phase = 0;
  Wave wave = synthesise(frames, [&](std::size_t i) {
    const double t = i / rate;
    const double body = std::tanh(1.8 * std::sin(phase) * std::exp(-t / 0.17)) / std::tanh(1.8);
    phase += two_pi * frequency(i) * tune / rate;
    const double click = i < soft_start / 2 ? 0.3 * noise.next() * std::exp(-t / 0.0015) : 0.0;
    return body + click;
  });
  fade(wave, 8, frames / 3);
  music::XmSample sample = to_sample(wave, 0.95, true, "kick");
  sample.relative_note = 24;
  sample.volume = 50;
  return instrument("kick", std::move(sample));
}

// A short drop of tone under a burst of brightened noise.
music::XmInstrument make_snare() {
  const double rate = rate_of(24);
  const std::size_t frames = static_cast<std::size_t>(0.3 * rate);
  Noise noise(0x5a4e);
  double phase = 0, low = 0;
  Wave wave = synthesise(frames, [&](std::size_t i) {
    const double t = i / rate;
    const double tone = 0.7 * std::sin(phase) * std::exp(-t / 0.035);
    phase += two_pi * (175.0 + 60.0 * std::exp(-t / 0.01)) / rate;
    const double white = noise.next();
    low += 0.35 * (white - low);
    const double hiss = (white - 0.5 * low) * std::exp(-t / 0.075);
    return tone + 0.8 * hiss;
  });
  fade(wave, 12, frames / 3);
  music::XmSample sample = to_sample(wave, 0.9, true, "snare");
  sample.relative_note = 24;
  sample.volume = 52;
  sample.panning = 112;
  return instrument("snare", std::move(sample));
}

// Noise with its lows taken out, in a short and a long decay.
Wave hat_noise(double rate, double seconds, double decay, std::uint32_t seed) {
  const std::size_t frames = static_cast<std::size_t>(seconds * rate);
  Noise noise(seed);
  double previous = 0;
  Wave wave = synthesise(frames, [&](std::size_t i) {
    const double white = noise.next();
    const double high = white - previous;
    previous = white;
    return high * std::exp(-(i / rate) / decay);
  });
  fade(wave, 4, frames / 3);
  return wave;
}

music::XmInstrument make_hats() {
  const int relative_note = 29;
  const double rate = rate_of(relative_note);
  music::XmSample closed = to_sample(hat_noise(rate, 0.06, 0.012, 0x4a75), 0.9, false, "closed hat");
  music::XmSample open = to_sample(hat_noise(rate, 0.3, 0.07, 0x0be7), 0.9, false, "open hat");
  music::XmInstrument ins;
  ins.name = "hats";
  for (music::XmSample* s : {&closed, &open}) {
    s->relative_note = relative_note;
    s->volume = 40;
    s->panning = 184;
  }
  ins.samples = {closed, open};
  for (int key = open_hat_key; key <= music::sample_map_notes; ++key) ins.sample_map[key - 1] = 1;
  return ins;
}

music::XmInstrument make_crash() {
  const int relative_note = 17;
  const double rate = rate_of(relative_note);
  const std::size_t frames = static_cast<std::size_t>(1.6 * rate);
  Noise noise(0xc4a5);
  double previous = 0;
  Wave wave = synthesise(frames, [&](std::size_t i) {
    const double white = noise.next();
    const double high = white - 0.7 * previous;
    previous = white;
    return high * std::exp(-(i / rate) / 0.45);
  });
  fade(wave, 30, frames / 3);
  music::XmSample sample = to_sample(wave, 0.85, false, "crash");
  sample.relative_note = relative_note;
  sample.volume = 30;
  sample.panning = 80;
  return instrument("crash", std::move(sample));
}

// Softened noise on a forward loop: raised by portamento it sweeps upwards.
music::XmInstrument make_riser() {
  const std::size_t frames = 8192;
  Noise noise(0x7153);
  double low = 0;
  Wave wave = synthesise(frames, [&](std::size_t) {
    low += 0.3 * (noise.next() - low);
    return low;
  });
  fade(wave, 64, 0);
  music::XmSample sample = to_sample(wave, 0.9, false, "noise");
  loop(sample, music::xm_loop_forward, 64, frames);
  sample.relative_note = relative_note_128;
  sample.volume = 40;
  music::XmInstrument ins = instrument("riser", std::move(sample));
  ins.volume_envelope = envelope({{0, 10}, {180, 64}, {186, 0}}, env_sustained, 1);
  return ins;
}

// A warm sawtooth with a sine an octave below its harmonics, 256 frames a cycle.
music::XmInstrument make_bass() {
  const std::size_t cycle = 256;
  Wave wave = synthesise(2 * cycle, [&](std::size_t i) {
    const double phase = two_pi * static_cast<double>(i % cycle) / cycle;
    return soft_saw(phase, 40, 9.0) + 0.6 * std::sin(phase);
  });
  music::XmSample sample = to_sample(wave, 0.9, true, "saw and sine");
  loop(sample, music::xm_loop_forward, cycle, 2 * cycle);
  sample.relative_note = relative_note_256;
  sample.volume = 50;
  music::XmInstrument ins = instrument("bass", std::move(sample));
  ins.volume_envelope = envelope({{0, 64}, {2, 54}, {4, 48}, {6, 0}}, env_sustained, 2);
  ins.fadeout = 2048;
  return ins;
}

// A square and a sawtooth a few cents apart: 128 cycles of one against 129 of the other in one loop.
music::XmInstrument make_lead() {
  const std::size_t frames = 8192;
  Wave wave = synthesise(frames, [&](std::size_t i) {
    const double phase = two_pi * static_cast<double>(i) / 64.0;
    const double detuned = two_pi * static_cast<double>(i) * 129.0 / frames;
    return 0.7 * soft_square(phase, 11) + 0.5 * soft_saw(detuned, 12, 6.0);
  });
  music::XmSample sample = to_sample(wave, 0.85, true, "square and saw");
  loop(sample, music::xm_loop_forward, 0, frames);
  sample.relative_note = relative_note_64;
  sample.volume = 44;
  music::XmInstrument ins = instrument("lead", std::move(sample));
  ins.volume_envelope = envelope({{0, 36}, {1, 64}, {4, 54}, {8, 48}, {11, 0}}, env_sustained, 3);
  ins.panning_envelope = envelope({{0, 32}, {32, 40}, {64, 24}, {96, 32}}, env_looped, 0, 0, 3);
  ins.vibrato_type = 0;
  ins.vibrato_sweep = 40;
  ins.vibrato_depth = 6;
  ins.vibrato_rate = 16;
  ins.fadeout = 1024;
  return ins;
}

// Three detuned sawtooths and an octave, long and soft; the ping-pong loop turns at the wave's peaks.
music::XmInstrument make_pad() {
  const double rate = rate_of(relative_note_128);
  const std::size_t frames = static_cast<std::size_t>(0.8 * rate);
  const double detunes[] = {1.0, 1.0058, 0.9946};
  Wave wave = synthesise(frames, [&](std::size_t i) {
    const double phase = two_pi * static_cast<double>(i) / 128.0;
    double sum = 0.35 * soft_saw(2.003 * phase, 10, 4.0);
    for (double d : detunes) sum += soft_saw(d * phase, 20, 5.0);
    return sum;
  });
  music::XmSample sample = to_sample(wave, 0.85, true, "detuned saws");
  const std::size_t start = turning_point_near(sample.frames, 4000);
  const std::size_t end = turning_point_near(sample.frames, frames - 600) + 1;
  loop(sample, music::xm_loop_ping_pong, start, end);
  sample.relative_note = relative_note_128;
  sample.volume = 36;
  music::XmInstrument ins = instrument("pad", std::move(sample));
  ins.volume_envelope = envelope({{0, 0}, {10, 36}, {24, 56}, {40, 48}, {80, 0}}, env_sustained, 3);
  ins.panning_envelope = envelope({{0, 26}, {48, 38}, {96, 32}}, env_sustained, 1);
  ins.vibrato_type = 0;
  ins.vibrato_sweep = 80;
  ins.vibrato_depth = 3;
  ins.vibrato_rate = 6;
  ins.fadeout = 256;
  return ins;
}

// An 8-bit square for the plucked sixteenth-note arpeggios: gone within a row.
music::XmInstrument make_pluck() {
  Wave wave = synthesise(256, [&](std::size_t i) { return soft_square(two_pi * static_cast<double>(i) / 64.0, 9); });
  music::XmSample sample = to_sample(wave, 0.9, false, "square");
  loop(sample, music::xm_loop_forward, 64, 256);
  sample.relative_note = relative_note_64;
  sample.volume = 40;
  music::XmInstrument ins = instrument("pluck", std::move(sample));
  ins.volume_envelope = envelope({{0, 64}, {2, 30}, {5, 0}}, env_plain);
  return ins;
}

// An 8-bit hollow pulse held under the arpeggio effect, its volume gated on every row and its sound
// wandering between the speakers.
music::XmInstrument make_chip() {
  Wave wave = synthesise(256, [&](std::size_t i) {
    const double phase = two_pi * static_cast<double>(i) / 64.0;
    return soft_saw(phase, 12, 12.0) - soft_saw(phase + pi / 2, 12, 12.0);
  });
  music::XmSample sample = to_sample(wave, 0.9, false, "pulse");
  loop(sample, music::xm_loop_forward, 64, 256);
  sample.relative_note = relative_note_64;
  sample.volume = 30;
  music::XmInstrument ins = instrument("chip", std::move(sample));
  ins.volume_envelope = envelope({{0, 64}, {3, 28}, {6, 64}}, env_looped, 0, 0, 2);
  ins.panning_envelope = envelope({{0, 18}, {24, 46}, {48, 18}}, env_looped, 0, 0, 2);
  ins.fadeout = 1200;
  return ins;
}

// Frequency modulation whose index falls to a steady value; from there on the wave repeats every 64
// frames and the forward loop holds it.
music::XmInstrument make_bell() {
  const double rate = rate_of(relative_note_64);
  const std::size_t settled = (static_cast<std::size_t>(0.7 * rate) / 64 + 1) * 64;
  const std::size_t frames = settled + 8 * 64;
  Wave wave = synthesise(frames, [&](std::size_t i) {
    const double phase = two_pi * static_cast<double>(i % 64) / 64.0;
    const double left = i < settled ? 1.0 - static_cast<double>(i) / settled : 0.0;
    const double index = 0.5 + 2.5 * left * left;
    const double shimmer = 0.2 + 0.8 * left * left;
    const double level = 0.45 + 0.55 * left * left;
    return level *
           (std::sin(phase + index * std::sin(2 * phase)) + 0.25 * std::sin(4 * phase + shimmer * std::sin(phase)));
  });
  music::XmSample sample = to_sample(wave, 0.85, true, "fm bell");
  loop(sample, music::xm_loop_forward, settled, frames);
  sample.relative_note = relative_note_64;
  sample.volume = 38;
  music::XmInstrument ins = instrument("bell", std::move(sample));
  ins.volume_envelope = envelope({{0, 64}, {4, 48}, {20, 36}, {60, 28}, {120, 20}}, env_plain);
  ins.vibrato_type = 0;
  ins.vibrato_sweep = 30;
  ins.vibrato_depth = 5;
  ins.vibrato_rate = 14;
  ins.fadeout = 3000;
  return ins;
}

}  // namespace

std::vector<music::XmInstrument> make_tune_instruments() {
  return {make_kick(),  make_snare(), make_hats(), make_bass(),  make_lead(), make_pad(),
          make_pluck(), make_chip(),  make_bell(), make_riser(), make_crash()};
}

}  // namespace tools::assets
