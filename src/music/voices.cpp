// The voice pool and the voice operations of the replay.
#include "music/voices.h"

#include <algorithm>

#include "music/sound_system.h"

namespace music {
namespace {

constexpr std::uint64_t fraction_unit = std::uint64_t{1} << 32;

// Gains of one side: volume 0..127 times the side's share of 255. Panning 256 puts -1/255 of the volume
// on the left, which truncates to 0.
std::uint8_t side_gain(std::int32_t share, std::int32_t volume) {
  return static_cast<std::uint8_t>(share * volume / 255);
}

void set_gains(Voice& voice) {
  voice.left = side_gain(255 - voice.panning, voice.volume);
  voice.right = side_gain(voice.panning, voice.volume);
}

}  // namespace

bool open_voice_pool(std::int32_t mix_rate, SoundSystem& sound) {
  VoicePool& pool = sound.voice_pool;
  pool = VoicePool{};
  if (mix_rate <= 0) return false;
  for (int i = 0; i < max_voices; ++i) pool.voices[i].index = i;
  pool.mix_rate = mix_rate;
  pool.open = true;
  return true;
}

Voice* voice_at(std::int32_t index, SoundSystem& sound) {
  VoicePool& pool = sound.voice_pool;
  if (!pool.open || index < 0 || index >= max_voices) return nullptr;
  return &pool.voices[index];
}

std::int32_t voice_start(std::int32_t index, const Sample* sample, SoundSystem& sound) {
  Voice* voice = voice_at(index, sound);
  if (!voice || !sample) return -1;
  voice->sample = sample;
  if (voice->start_offset >= sample->loop_start + sample->loop_length) voice->start_offset = 0;
  voice->position = voice->start_offset;
  voice->position_fraction = 0;
  voice->start_offset = 0;
  voice->direction = direction_forward;
  return voice->index;
}

void voice_stop(std::int32_t index, SoundSystem& sound) {
  Voice* voice = voice_at(index, sound);
  if (!voice) return;
  voice->position = 0;
  voice->position_fraction = 0;
  voice->sample = nullptr;
}

void voice_set_frequency(Voice& voice, std::int32_t hz, const SoundSystem& sound) {
  const std::uint64_t rate = static_cast<std::uint64_t>(sound.voice_pool.mix_rate);
  if (rate == 0) return;  // no rate to step at while the pool is closed
  const auto f = static_cast<std::uint64_t>(std::clamp(hz, min_frequency, max_frequency));
  voice.step = static_cast<std::uint32_t>(f / rate);
  voice.step_fraction = static_cast<std::uint32_t>((f % rate) * fraction_unit / rate);
}

void voice_set_volume(Voice& voice, std::int32_t volume) {
  voice.volume = volume;
  set_gains(voice);
}

void voice_set_panning(Voice& voice, std::int32_t panning) {
  voice.panning = panning;
  set_gains(voice);
}

std::int32_t voice_frequency(const Voice& voice, const SoundSystem& sound) {
  const std::uint64_t rate = static_cast<std::uint64_t>(sound.voice_pool.mix_rate);
  // The fraction was truncated from (f mod rate) x 2^32 / rate, and rate < 2^32: rounding the way back
  // up finds f mod rate again.
  const std::uint64_t remainder = (voice.step_fraction * rate + fraction_unit - 1) / fraction_unit;
  return static_cast<std::int32_t>(voice.step * rate + remainder);
}

}  // namespace music
