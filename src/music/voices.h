// The pool of 256 voices the replay plays through, one per pattern channel, and the operations that
// start, stop and tune them. The sound system opens the pool at its mixing rate (open_sound) and mixes
// the voices on its wave thread.
#pragma once

#include <array>
#include <cstdint>

#include "music/module.h"

namespace music {

inline constexpr int max_voices = 256;
// The rate the intro mixes at; tools and tests open the pool at it to hear what the intro plays.
inline constexpr std::int32_t intro_mix_rate = 44100;
// Frequencies a voice plays at are held within these, so that extreme periods never stop the engine.
inline constexpr std::int32_t min_frequency = 100;
inline constexpr std::int32_t max_frequency = 705600;
inline constexpr std::int32_t max_voice_volume = 127;
inline constexpr std::int32_t max_voice_panning = 256;

inline constexpr std::int32_t direction_forward = 1;
inline constexpr std::int32_t direction_backward = 2;

// The replay's side of a voice: what the mixer plays and how loud, on which side, how fast.
struct Voice {
  std::int32_t index = 0;          // place in the pool
  std::int32_t volume = 0;         // 0..127, last volume set
  std::int32_t panning = 0;        // 0..256, last panning set
  std::uint32_t start_offset = 0;  // frame the next start begins at; 0 after every start
  const Sample* sample = nullptr;  // none: silent
  std::uint8_t left = 0;           // gains from volume and panning, 0..127
  std::uint8_t right = 0;
  std::uint32_t position = 0;           // whole frames
  std::uint32_t position_fraction = 0;  // 2^-32 frames
  std::uint32_t step_fraction = 0;      // frames advanced per output frame, 32.32 with step
  std::uint32_t step = 0;
  std::int32_t direction = 0;  // direction_forward or direction_backward (ping-pong loops)

  // The mixer's volume ramp, zero in a fresh pool: levels change over a short ramp, never at once.
  std::uint8_t ramp_target_left = 0;  // the levels the running ramp leads to
  std::uint8_t ramp_target_right = 0;
  std::uint8_t current_left = 0;  // the levels applied at the end of the last mixed segment
  std::uint8_t current_right = 0;
  float left_step = 0;                 // change of the gain (level / 255) per output frame
  float right_step = 0;
  // The gains the running ramp has reached, unrounded: a ramp cut into short segments (tiny loops,
  // ticks) would drift or stall if each segment went on from the rounded levels.
  float ramp_gain_left = 0;
  float ramp_gain_right = 0;
  std::int32_t ramp_frames_left = 0;  // 0 when no ramp runs
};

struct VoicePool {
  std::array<Voice, max_voices> voices{};
  std::int32_t mix_rate = 0;  // output frames per second the steps are computed for
  bool open = false;          // voices exist only while the pool is open
};

// The sound system (sound_system.h) holds the pool. The functions below act on the pool of the program's
// one `sound_system` unless given another system; a test builds a fresh pool by assigning VoicePool{}
// and opening it.
struct SoundSystem;
extern SoundSystem sound_system;

// Opens the pool for output at mix_rate: all voices silent, each with its index. False (and the pool left
// closed) for a rate of 0 or less.
bool open_voice_pool(std::int32_t mix_rate, SoundSystem& sound = sound_system);

// The pool's voice at `index`; none while the pool is closed or for an index outside it.
Voice* voice_at(std::int32_t index, SoundSystem& sound = sound_system);

// Starts `sample` on the voice at `index` from its start_offset (from 0 when that lies at or beyond the
// loop end). Returns the index, or -1 without an open pool, a voice there or a sample.
std::int32_t voice_start(std::int32_t index, const Sample* sample, SoundSystem& sound = sound_system);
// Silences the voice at `index` and rewinds it; nothing without a voice there.
void voice_stop(std::int32_t index, SoundSystem& sound = sound_system);
// Sets the step for `hz`, held within min_frequency..max_frequency, at the pool's rate.
void voice_set_frequency(Voice& voice, std::int32_t hz, const SoundSystem& sound = sound_system);
// Sets the volume (0..127) and the gains that follow with the voice's panning.
void voice_set_volume(Voice& voice, std::int32_t volume);
// Sets the panning (0..256) and the gains that follow with the voice's volume.
void voice_set_panning(Voice& voice, std::int32_t panning);

// The frequency the voice was last set to, recovered exactly from its step at the pool's rate.
std::int32_t voice_frequency(const Voice& voice, const SoundSystem& sound = sound_system);

}  // namespace music
