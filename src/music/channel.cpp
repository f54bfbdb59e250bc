// A channel's instrument and sample, its trigger, its auto-vibrato and its send to the voice.
#include "music/channel.h"

#include <array>
#include <cmath>
#include <cstdlib>

#include "music/periods.h"
#include "music/sound_system.h"

namespace music {
namespace {

constexpr std::uint8_t no_sample_slot = max_samples_per_instrument;
// Bit 2 of Channel::waveform: a new instrument keeps the vibrato where it is.
constexpr std::uint8_t waveform_keep_position = 4;

// Auto-vibrato: a cycle of 256 positions, waveform values -64..64 (the sine reaches only 63: its angle
// step, 2 x 0.01227184375, falls just short of 2 pi / 256).
constexpr std::int32_t autovib_cycle = 256;
constexpr std::int32_t autovib_amplitude = 64;
constexpr double autovib_angle_step = 2 * 0.01227184375;
constexpr std::int32_t autovib_depth_shift = 6;
enum AutoVibratoType : std::uint8_t { autovib_sine_wave, autovib_square, autovib_ramp_down, autovib_ramp_up };

const std::array<std::int8_t, autovib_cycle> autovib_sine = [] {
  std::array<std::int8_t, autovib_cycle> table{};
  for (int p = 0; p < autovib_cycle; ++p) {
    table[p] = static_cast<std::int8_t>(std::sin(p * autovib_angle_step) * autovib_amplitude);
  }
  return table;
}();

// The auto-vibrato waveform at position p (0..255). Types beyond the four of the format play the sine,
// the format's default.
std::int32_t autovib_wave(std::uint8_t type, std::int32_t p) {
  switch (type) {
    case autovib_square:
      return p < autovib_cycle / 2 ? autovib_amplitude : -autovib_amplitude;
    case autovib_ramp_down:
      return (128 - (p + 128) % autovib_cycle) >> 1;
    case autovib_ramp_up:
      return (128 - (384 - p) % autovib_cycle) >> 1;
    case autovib_sine_wave:
    default:
      return autovib_sine[p & (autovib_cycle - 1)];
  }
}

// Voice volume 0..127: volume 0..64, envelope 0..64, fadeout 0..65536 and global volume 0..64 together
// give 2^34 at full scale, which 255 / 2^35 turns into 127.
std::int32_t voice_volume(const Channel& c, const Module& module) {
  const std::int64_t product = std::int64_t{c.volume + c.volume_offset} * c.volume_env_output * c.fadeout_volume *
                               module.global_volume * 255;
  return static_cast<std::int32_t>(product / (std::int64_t{1} << 35));
}

// Voice panning 0..256: the envelope swings the panning by up to a quarter of its distance to the nearer
// edge per envelope step, so the centre moves by 4 per step and the edges stay.
std::int32_t voice_panning(const Channel& c) {
  const std::int32_t room = (centre_panning - std::abs(c.panning - centre_panning)) / 32;
  return c.panning + room * (c.panning_env_output - panning_envelope_centre);
}

}  // namespace

ChannelSound select_sound(const Module& module, const Channel& channel) {
  if (channel.instrument >= module.instrument_count) return {empty_instrument, empty_sample};
  const Instrument& instrument = module.instruments[channel.instrument];
  // channel.note is a cell note - 1 of 1..96, so it stays within the map.
  const std::uint8_t slot = instrument.sample_map[channel.note];
  if (slot >= no_sample_slot) return {instrument, empty_sample};
  return {instrument, *instrument.samples[slot]};
}

void trigger_instrument(Channel& channel, const Sample& sample) {
  channel.volume = sample.volume;
  channel.panning = sample.panning;
  channel.volume_env_output = volume_envelope_start;
  channel.volume_env_point = channel.volume_env_tick = channel.volume_env_step = 0;
  channel.panning_env_output = panning_envelope_centre;
  channel.panning_env_point = channel.panning_env_tick = channel.panning_env_step = 0;
  // The envelope values stay: the first envelope_step sets them.
  channel.key_off = 0;
  channel.fadeout_volume = full_fadeout_volume;
  channel.volume_env_done = channel.panning_env_done = 0;
  channel.autovib_sweep = channel.autovib_position = 0;
  if ((channel.waveform & 15) < waveform_keep_position) channel.vibrato_position = 0;
  channel.tremor_count = 0;
  channel.update_flags |= update_volume | update_panning;
}

void auto_vibrato(Channel& channel, const Instrument& instrument) {
  std::int32_t m = autovib_wave(instrument.vibrato_type, channel.autovib_position) * instrument.vibrato_depth;
  if (instrument.vibrato_sweep != 0) m = channel.autovib_sweep * m / instrument.vibrato_sweep;
  channel.period_offset += m >> autovib_depth_shift;
  if (channel.autovib_sweep < instrument.vibrato_sweep) ++channel.autovib_sweep;
  channel.autovib_position += instrument.vibrato_rate;
  if (channel.autovib_position >= autovib_cycle) channel.autovib_position -= autovib_cycle;
  channel.update_flags |= update_frequency;
}

void update_voice(Channel& channel, const Sample& sample, const Module& module) {
  if (channel.period + channel.period_offset == 0) channel.update_flags &= ~update_frequency;
  const std::uint8_t flags = channel.update_flags;
  SoundSystem& sound = *module.sound;
  if (flags & update_start) channel.voice_index = voice_start(channel.voice->index, &sample, sound);
  Voice* voice = voice_at(channel.voice_index, sound);
  if (!voice) return;  // no pool, or the last start found none: nothing to send to
  if (flags & update_volume) voice_set_volume(*voice, voice_volume(channel, module));
  if (flags & update_panning) voice_set_panning(*voice, voice_panning(channel));
  if (flags & update_frequency) {
    voice_set_frequency(*voice, period_frequency(module, channel.period, channel.period_offset), sound);
  }
  if (flags & update_stop) {
    voice_stop(channel.voice_index, sound);
    voice->start_offset = 0;
  }
}

}  // namespace music
