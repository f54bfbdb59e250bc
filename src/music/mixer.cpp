// Segment mixing: the frames to the next loop end are worked out once per segment, so the inner loops
// neither test loop ends nor ramp ends.
#include "music/mixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace music {
namespace {

// 32.32 fixed point of positions and steps. Signed and 64 bits wide: sample lengths stay far below 2^31
// frames (the loader's file size limit), and a step backward past frame 0 must stay visible.
using Fixed32 = std::int64_t;
constexpr int fraction_bits = 32;
constexpr Fixed32 smallest_step = 1;  // 2^-32 frames

constexpr float level_scale = 1.0f / 255.0f;
constexpr float half_fraction_scale = 1.0f / 2147483648.0f;  // 2^-31
constexpr float max_level = 255.0f;

Fixed32 whole(std::uint32_t frames) { return static_cast<Fixed32>(frames) << fraction_bits; }

Fixed32 position_of(const Voice& voice) {
  return whole(voice.position) | static_cast<Fixed32>(voice.position_fraction);
}

void store_position(Voice& voice, Fixed32 position) {
  voice.position = static_cast<std::uint32_t>(position >> fraction_bits);
  voice.position_fraction = static_cast<std::uint32_t>(position);
}

Fixed32 step_of(const Voice& voice) {
  return whole(voice.step) | static_cast<Fixed32>(voice.step_fraction);
}

// The position one frame on. The fraction's lowest bit, which the interpolation never reads (it takes the
// upper 31 bits), is cleared before the step is added, as the intro's mixer has always moved its voices:
// from the second frame on, the position then moves by the step without its lowest bit (an odd step
// plays a 2^-32 frame slower forward, faster backward) and keeps the parity of the step.
constexpr Fixed32 advance(Fixed32 position, Fixed32 step) { return (position & ~Fixed32{1}) + step; }

// What the position moves by per frame once it has moved once (see advance).
constexpr Fixed32 even_part(Fixed32 step) { return step & ~Fixed32{1}; }

void end_sample(Voice& voice) {
  voice.sample = nullptr;
  voice.position = 0;
  voice.position_fraction = 0;
}

// Only a ping-pong loop runs backward; a voice given another sample moves forward whatever it was doing.
bool moving_backward(const Voice& voice) {
  return voice.direction == direction_backward && (voice.sample->loop_type & loop_ping_pong);
}

// Frames until the voice reaches the loop end it moves towards (the sample's end without a loop), or -1
// when it reaches none: a voice never given a frequency stands still. The first frame is mixed at the
// position itself, the next at advance(position, step), and each later one the step's even part on
// (negative backward). The division is exact, so after that many frames the position is at or past the
// end, and every frame before it reads inside the loop plus the guard word.
std::int64_t frames_to_boundary(const Voice& voice, Fixed32 position, Fixed32 step) {
  const Sample& sample = *voice.sample;
  const bool backward = moving_backward(voice);
  const Fixed32 boundary = backward ? whole(sample.loop_start) : whole(sample.loop_start + sample.loop_length);
  const auto distance = [&](Fixed32 from) { return backward ? from - boundary : boundary - from; };
  if (distance(position) <= 0) return 0;
  const Fixed32 after_one_frame = distance(advance(position, step));
  if (after_one_frame <= 0) return 1;
  const Fixed32 per_frame = backward ? -even_part(step) : even_part(step);
  if (per_frame == 0) return -1;
  return 1 + (after_one_frame + per_frame - 1) / per_frame;
}

struct Gains {
  float left;
  float right;
};

// One frame: the sample interpolated between the word at the position and the next one.
inline void mix_frame(const std::int16_t* data, float* out, Fixed32 position, Gains gains) {
  const auto index = static_cast<std::uint32_t>(position >> fraction_bits);
  const float fraction = static_cast<float>(static_cast<std::uint32_t>(position) >> 1) * half_fraction_scale;
  const float d0 = data[index];
  const float s = d0 + (static_cast<float>(data[index + 1]) - d0) * fraction;
  out[0] += s * gains.left;
  out[1] += s * gains.right;
}

// Gains that move by `delta` after every frame, positions `step` apart, one frame at a time; returns the
// gains reached.
Gains mix_ramped_frame_by_frame(const std::int16_t* data, float* out, std::int64_t frames, Fixed32& position,
                                Fixed32 step, Gains gains, Gains delta) {
  for (; frames > 0; --frames, out += 2) {
    mix_frame(data, out, position, gains);
    position += step;
    gains.left += delta.left;
    gains.right += delta.right;
  }
  return gains;
}

#if defined(__SSE2__)
// The two words a frame interpolates between, in one 32-bit load: the word at the index low, the next
// one high (little-endian, as the sample data is on every target).
inline __m128i word_pair(const std::int16_t* data, Fixed32 position) {
  std::int32_t pair;
  std::memcpy(&pair, data + static_cast<std::uint32_t>(position >> fraction_bits), sizeof pair);
  return _mm_cvtsi32_si128(pair);
}

std::int32_t low_word(Fixed32 value) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(value)));
}

// The fractions of four frames `step` apart from `position`, one per lane. They move on in their own
// lanes: the low 32 bits of a position wrap as the 32-bit sums do.
__m128i lane_fractions(Fixed32 position, Fixed32 step) {
  return _mm_add_epi32(_mm_set1_epi32(low_word(position)),
                       _mm_setr_epi32(0, low_word(step), low_word(2 * step), low_word(3 * step)));
}

// Four frames `step` apart from `position`, interpolated with the very operations of mix_frame in the
// same order. Each frame fetches its own pair of words, gathered in registers: going through memory
// would stall the vector load behind four narrow stores.
inline __m128 four_frames(const std::int16_t* data, Fixed32 position, Fixed32 step, __m128i fractions) {
  const __m128i low = _mm_unpacklo_epi32(word_pair(data, position), word_pair(data, position + step));
  const __m128i high = _mm_unpacklo_epi32(word_pair(data, position + 2 * step), word_pair(data, position + 3 * step));
  const __m128i words = _mm_unpacklo_epi64(low, high);
  const __m128 d0 = _mm_cvtepi32_ps(_mm_srai_epi32(_mm_slli_epi32(words, 16), 16));
  const __m128 d1 = _mm_cvtepi32_ps(_mm_srai_epi32(words, 16));
  const __m128 fraction = _mm_mul_ps(_mm_cvtepi32_ps(_mm_srli_epi32(fractions, 1)), _mm_set1_ps(half_fraction_scale));
  return _mm_add_ps(d0, _mm_mul_ps(_mm_sub_ps(d1, d0), fraction));
}

// Adds four frames' values times their gains to four stereo frames of `out`.
inline void add_four_frames(float* out, __m128 value, __m128 left, __m128 right) {
  const __m128 l = _mm_mul_ps(value, left);
  const __m128 r = _mm_mul_ps(value, right);
  _mm_storeu_ps(out, _mm_add_ps(_mm_loadu_ps(out), _mm_unpacklo_ps(l, r)));
  _mm_storeu_ps(out + 4, _mm_add_ps(_mm_loadu_ps(out + 4), _mm_unpackhi_ps(l, r)));
}

// Fixed gains, positions `step` apart (an even step: see advance), four frames per pass: this is the loop
// nearly every frame runs in. The sums are those of mix_frame.
Fixed32 mix_evenly_spaced(const std::int16_t* data, float* out, std::int64_t frames, Fixed32 position, Fixed32 step,
                          Gains gains) {
  const __m128 left = _mm_set1_ps(gains.left);
  const __m128 right = _mm_set1_ps(gains.right);
  __m128i fractions = lane_fractions(position, step);
  const __m128i fraction_step = _mm_set1_epi32(low_word(4 * step));
  for (; frames >= 4; frames -= 4, out += 8) {
    add_four_frames(out, four_frames(data, position, step, fractions), left, right);
    position += 4 * step;
    fractions = _mm_add_epi32(fractions, fraction_step);
  }
  for (; frames > 0; --frames, out += 2) {
    mix_frame(data, out, position, gains);
    position += step;
  }
  return position;
}

// Gains that move by `delta` after every frame, positions `step` apart (an even step), four frames per
// pass; returns the gains reached. Each frame's gains are summed frame by frame, as mix_frame's caller
// would, so the four lanes hold exactly the gains of four single frames.
Gains mix_ramped_evenly_spaced(const std::int16_t* data, float* out, std::int64_t frames, Fixed32& position,
                               Fixed32 step, Gains gains, Gains delta) {
  __m128i fractions = lane_fractions(position, step);
  const __m128i fraction_step = _mm_set1_epi32(low_word(4 * step));
  for (; frames >= 4; frames -= 4, out += 8) {
    alignas(16) float left[4];
    alignas(16) float right[4];
    for (int lane = 0; lane < 4; ++lane) {
      left[lane] = gains.left;
      right[lane] = gains.right;
      gains.left += delta.left;
      gains.right += delta.right;
    }
    add_four_frames(out, four_frames(data, position, step, fractions), _mm_load_ps(left), _mm_load_ps(right));
    position += 4 * step;
    fractions = _mm_add_epi32(fractions, fraction_step);
  }
  return mix_ramped_frame_by_frame(data, out, frames, position, step, gains, delta);
}
#else
// Fixed gains, positions `step` apart (an even step: see advance); two frames per pass, unrolled on
// purpose: this is the loop nearly every frame runs in.
Fixed32 mix_evenly_spaced(const std::int16_t* data, float* out, std::int64_t frames, Fixed32 position, Fixed32 step,
                          Gains gains) {
  for (; frames >= 2; frames -= 2, out += 4) {
    mix_frame(data, out, position, gains);
    mix_frame(data, out + 2, position + step, gains);
    position += 2 * step;
  }
  if (frames == 1) {
    mix_frame(data, out, position, gains);
    position += step;
  }
  return position;
}

// Gains that move by `delta` after every frame, positions `step` apart (an even step); returns the gains
// reached.
Gains mix_ramped_evenly_spaced(const std::int16_t* data, float* out, std::int64_t frames, Fixed32& position,
                               Fixed32 step, Gains gains, Gains delta) {
  return mix_ramped_frame_by_frame(data, out, frames, position, step, gains, delta);
}
#endif

// Fixed gains: the frame at the position, then frames spaced by the step's even part (see advance).
Fixed32 mix_steady(const std::int16_t* data, float* out, std::int64_t frames, Fixed32 position, Fixed32 step,
                   Gains gains) {
  if (frames <= 0) return position;
  mix_frame(data, out, position, gains);
  return mix_evenly_spaced(data, out + 2, frames - 1, advance(position, step), even_part(step), gains);
}

// Gains that move by `delta` after every frame: the frame at the position, then frames spaced by the
// step's even part (see advance); returns the gains reached.
Gains mix_ramped(const std::int16_t* data, float* out, std::int64_t frames, Fixed32& position, Fixed32 step,
                 Gains gains, Gains delta) {
  if (frames <= 0) return gains;
  mix_frame(data, out, position, gains);
  position = advance(position, step);
  gains.left += delta.left;
  gains.right += delta.right;
  return mix_ramped_evenly_spaced(data, out + 2, frames - 1, position, even_part(step), gains, delta);
}

std::uint8_t level_of(float gain) {
  return static_cast<std::uint8_t>(std::clamp(std::lround(gain * max_level), 0L, static_cast<long>(max_level)));
}

// A new ramp starts whenever the levels differ from those the running ramp leads to; it leads from the
// levels reached so far to the new ones. Both sides share one count.
void set_up_ramp(Voice& voice, const VolumeRamp& ramp) {
  if (voice.ramp_frames_left != 0 && voice.left == voice.ramp_target_left && voice.right == voice.ramp_target_right) {
    return;
  }
  voice.ramp_target_left = voice.left;
  voice.ramp_target_right = voice.right;
  voice.left_step = 0;
  voice.right_step = 0;
  voice.ramp_frames_left = 0;
  voice.ramp_gain_left = voice.current_left * level_scale;
  voice.ramp_gain_right = voice.current_right * level_scale;
  if (voice.left != voice.current_left) {
    voice.left_step = static_cast<float>(voice.left - voice.current_left) * level_scale * ramp.reciprocal;
    voice.ramp_frames_left = ramp.frames;
  }
  if (voice.right != voice.current_right) {
    voice.right_step = static_cast<float>(voice.right - voice.current_right) * level_scale * ramp.reciprocal;
    voice.ramp_frames_left = ramp.frames;
  }
}

// Mixes `frames` frames of the voice from `position` and returns where it ends.
Fixed32 mix_segment(Voice& voice, float* out, std::int64_t frames, Fixed32 position, Fixed32 step) {
  const std::int16_t* data = voice.sample->data.get();
  if (voice.ramp_frames_left == 0) {
    return mix_steady(data, out, frames, position, step,
                      {voice.left * level_scale, voice.right * level_scale});
  }
  const Gains reached = mix_ramped(data, out, frames, position, step, {voice.ramp_gain_left, voice.ramp_gain_right},
                                   {voice.left_step, voice.right_step});
  voice.ramp_gain_left = reached.left;
  voice.ramp_gain_right = reached.right;
  voice.current_left = level_of(reached.left);
  voice.current_right = level_of(reached.right);
  voice.ramp_frames_left -= static_cast<std::int32_t>(frames);
  return position;
}

// A whole number of round trips through a ping-pong loop of `length` taken out of how far the voice
// went past a loop end, so that a position far outside (a tiny loop at a high step) turns in a few
// reflections. A round trip only drifts by one 2^-32 unit, which nobody hears.
Fixed32 without_round_trips(Fixed32 overshoot, Fixed32 length) { return overshoot % (2 * length); }

// Turns the voice at the loop end it has reached, then reflects the position until it lies inside the
// ping-pong loop with frames to go: forward below `end`, backward above `start`. The turn is made
// whatever the position: a voice moving backward that lands exactly on `start` would otherwise find no
// frames left before the boundary again and never move. Past the end the position comes back one unit
// short of the mirror image, so the end frame itself is never read twice; past the start it mirrors at
// the start (the unit taken off there would put a loop from frame 0 at frame -1).
Fixed32 reflect(Voice& voice, Fixed32 position, Fixed32 start, Fixed32 end) {
  const Fixed32 length = end - start;
  bool backward = moving_backward(voice);
  if (backward) {
    position = start - without_round_trips(start - position, length);
  } else {
    position = end + without_round_trips(position - end, length);
  }
  do {
    if (backward) {
      position = 2 * start - position;
    } else {
      position = 2 * end - position - smallest_step;
    }
    backward = !backward;
  } while (backward ? position <= start : position >= end);
  voice.direction = backward ? direction_backward : direction_forward;
  return position;
}

// At the loop end the voice moves into the loop, or falls silent without one. False when it has ended.
// Afterwards the voice lies inside the loop with frames to go before its next boundary (a forward voice
// is below the end, a backward one above the start), so every boundary costs at least one frame.
bool pass_boundary(Voice& voice, Fixed32& position) {
  const Sample& sample = *voice.sample;
  const Fixed32 start = whole(sample.loop_start);
  const Fixed32 length = whole(sample.loop_length);
  if (length == 0 || !(sample.loop_type & (loop_forward | loop_ping_pong))) {
    end_sample(voice);
    return false;
  }
  if (sample.loop_type & loop_forward) {
    // However far past the end (one step at most in play), the voice wraps in one go.
    position = start + (position - start - length) % length;
    voice.direction = direction_forward;
  } else {
    position = reflect(voice, position, start, start + length);
  }
  return true;
}

void mix_voice(Voice& voice, float* out, std::int32_t frames, const VolumeRamp& ramp) {
  // A voice on empty_sample has nothing to read: it ends at once.
  if (!voice.sample->data) {
    end_sample(voice);
    return;
  }
  Fixed32 position = position_of(voice);
  const Fixed32 speed = step_of(voice);
  std::int64_t left = frames;
  // Each pass mixes at least one frame, or passes a boundary after which the next one is at least a frame
  // away (pass_boundary), or ends the voice: the loop ends after at most 2 x frames passes.
  while (left > 0) {
    const Fixed32 step = moving_backward(voice) ? -speed : speed;
    const std::int64_t to_boundary = frames_to_boundary(voice, position, step);
    std::int64_t n = (to_boundary >= 0 && to_boundary <= left) ? to_boundary : left;
    set_up_ramp(voice, ramp);
    if (voice.ramp_frames_left != 0) n = std::min<std::int64_t>(n, voice.ramp_frames_left);
    position = mix_segment(voice, out, n, position, step);
    out += 2 * n;
    left -= n;
    if (n == to_boundary && !pass_boundary(voice, position)) return;
  }
  store_position(voice, position);
}

}  // namespace

VolumeRamp volume_ramp_for(std::int32_t rate) {
  const std::int32_t frames = std::max<std::int32_t>(1, static_cast<std::int32_t>(
                                                            std::int64_t{rate} * ramp_frames_at_44100 / 44100));
  return {frames, 1.0f / static_cast<float>(frames)};
}

void mix_voices(float* out, VoicePool& pool, std::int32_t frames, const VolumeRamp& ramp) {
  if (frames <= 0) return;
  for (Voice& voice : pool.voices) {
    if (voice.sample) mix_voice(voice, out, frames, ramp);
  }
}

void convert_block(std::int16_t* dst, const float* src, std::int32_t frames) {
  if (frames <= 0 || !dst || !src) return;
  constexpr float lowest = -32768.0f;
  constexpr float highest = 32767.0f;
  std::int32_t i = 0;
#if defined(__SSE2__)
  // Eight samples per pass. Clipping before rounding gives the same numbers as after it (the limits are
  // whole), and keeps every value within what the conversion to 32 bits holds; the conversion rounds in
  // the current mode, halves to even by default, as nearbyint below does.
  const __m128 low = _mm_set1_ps(lowest);
  const __m128 high = _mm_set1_ps(highest);
  const auto rounded = [&](const float* at) {
    return _mm_cvtps_epi32(_mm_min_ps(_mm_max_ps(_mm_loadu_ps(at), low), high));
  };
  for (; i + 8 <= 2 * frames; i += 8) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_packs_epi32(rounded(src + i), rounded(src + i + 4)));
  }
#endif
  for (; i < 2 * frames; ++i) {
    // nearbyint rounds halves to even in the default rounding mode.
    dst[i] = static_cast<std::int16_t>(std::clamp(std::nearbyint(src[i]), lowest, highest));
  }
}

}  // namespace music
