// Slides, tone portamento, vibrato waveforms and tremor.
#include "music/effect_helpers.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace music {
namespace {

constexpr std::int32_t porta_speed_unit = 4;
// The vibrato's cycle: positions -32..31; the first half lowers the pitch on the linear table, the second
// raises it.
constexpr std::int32_t vibrato_half_cycle = 32;
constexpr std::int32_t vibrato_ramp_slope = 8;
constexpr std::int32_t vibrato_square = 255;
constexpr std::int32_t vibrato_depth_shift = 5;
// The offset moves in whole 4-period steps, as the original periods did.
constexpr std::int32_t vibrato_offset_mask = ~3;
enum VibratoWaveform : std::uint8_t { vibrato_sine, vibrato_ramp, vibrato_square_wave, vibrato_square_too };

// A quarter of the sine's magnitude, 256 x sin(pi k / 32) rounded, for k = 0..16: the half cycle of 32
// positions rises to 256 and falls back.
constexpr std::array<std::int16_t, vibrato_half_cycle / 2 + 1> vibrato_quarter_sine = {
    0, 25, 50, 74, 98, 121, 142, 162, 181, 198, 213, 226, 237, 245, 251, 255, 256};

std::int32_t sine_magnitude(std::int32_t position) {
  const std::int32_t k = std::abs(position);  // 0..32
  return vibrato_quarter_sine[k <= vibrato_half_cycle / 2 ? k : vibrato_half_cycle - k];
}

// The waveform's magnitude 0..256 at the position; its sign comes from the position.
std::int32_t vibrato_magnitude(std::uint8_t waveform, std::int32_t p) {
  switch (waveform & 3) {
    case vibrato_ramp:
      return p >= 0 ? vibrato_ramp_slope * p : -vibrato_ramp_slope * p - 1;
    case vibrato_square_wave:
    case vibrato_square_too:
      return vibrato_square;
    case vibrato_sine:
    default:
      return sine_magnitude(p);
  }
}

}  // namespace

void change_volume(Channel& channel, std::int32_t change) {
  channel.volume = std::clamp(channel.volume + change, 0, max_volume);
  channel.update_flags |= update_volume;
}

void change_panning(Channel& channel, std::int32_t change) {
  channel.panning = std::clamp(channel.panning + change, 0, max_panning);
  channel.update_flags |= update_panning;
}

void volume_slide(Channel& channel, std::uint8_t parameter) {
  const std::int32_t up = parameter >> 4;
  change_volume(channel, up != 0 ? up : -(parameter & 15));
}

void tone_portamento(Channel& channel) {
  const std::int32_t speed = porta_speed_unit * channel.porta_speed;
  if (channel.period < channel.porta_target) {
    channel.period = std::min(channel.period + speed, channel.porta_target);
  } else if (channel.period > channel.porta_target) {
    channel.period = std::max(channel.period - speed, channel.porta_target);
  }
  channel.update_flags |= update_frequency;
}

void vibrato(Channel& channel) {
  const std::int32_t p = channel.vibrato_position;
  const std::int32_t magnitude = vibrato_magnitude(channel.waveform, p);
  const std::int32_t d = ((magnitude * channel.vibrato_depth) >> vibrato_depth_shift) & vibrato_offset_mask;
  channel.period_offset = p >= 0 ? -d : d;
  channel.update_flags |= update_frequency;
}

void advance_vibrato(Channel& channel) {
  std::int32_t p = channel.vibrato_position + channel.vibrato_speed;
  if (p >= vibrato_half_cycle) p -= 2 * vibrato_half_cycle;
  channel.vibrato_position = static_cast<std::int8_t>(p);
}

void tremor(Channel& channel) {
  if (channel.tremor_count >= channel.tremor_on) channel.volume_offset = -channel.volume;
  ++channel.tremor_count;
  // At or past the cycle's end, not only on it: a count left from longer on and off times starts over at
  // once instead of counting up to 255 in silence.
  if (channel.tremor_count >= channel.tremor_on + channel.tremor_off) channel.tremor_count = 0;
  channel.update_flags |= update_volume;
}

}  // namespace music
