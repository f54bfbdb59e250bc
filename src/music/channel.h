// The replay's state of one pattern channel, and what a channel does with its instrument and its voice:
// trigger, auto-vibrato and the end-of-tick send to the voice.
#pragma once

#include <cstdint>

#include "music/module.h"
#include "music/voices.h"

namespace music {

// Bits of Channel::update_flags: what update_voice sends at the end of the tick.
inline constexpr std::uint8_t update_frequency = 1;
inline constexpr std::uint8_t update_volume = 2;
inline constexpr std::uint8_t update_panning = 4;
inline constexpr std::uint8_t update_start = 8;
inline constexpr std::uint8_t update_stop = 32;

inline constexpr std::int32_t max_volume = 64;
inline constexpr std::int32_t max_panning = 255;
inline constexpr std::int32_t centre_panning = 128;
inline constexpr std::int32_t max_global_volume = 64;
// fadeout_volume of a note that has not faded at all.
inline constexpr std::int32_t full_fadeout_volume = 65536;
// Envelope outputs of a freshly triggered note: full volume, panning centred.
inline constexpr std::int32_t volume_envelope_start = 64;
inline constexpr std::int32_t panning_envelope_centre = 32;

// Zeroed by start_replay; channel i plays on voice i.
struct Channel {
  std::uint8_t note = 0;          // the last note given, as cell note - 1 (0..95)
  std::uint8_t update_flags = 0;  // update_frequency, update_volume, ...; cleared at each tick's start
  Voice* voice = nullptr;         // the channel's voice in the pool
  std::int32_t voice_index = 0;   // where the sends go, as voice_start returned it
  std::int32_t period = 0;        // linear: 1/64 semitones down from 7680; Amiga: amiga_period units
  std::int32_t volume = 0;        // 0..64
  std::int32_t panning = 0;       // 0..255, 128 centre
  std::int32_t volume_offset = 0;  // added to volume for this tick only (tremor)
  std::int32_t period_offset = 0;  // for this tick only (arpeggio, vibrato, auto-vibrato)

  std::int32_t volume_env_tick = 0;
  std::int32_t volume_env_point = 0;
  std::int32_t volume_env_value = 0;   // 16.16
  std::int32_t volume_env_output = 0;  // 0..64
  std::int32_t volume_env_step = 0;    // 16.16 per tick
  std::uint8_t volume_env_done = 0;

  std::int32_t panning_env_tick = 0;
  std::int32_t panning_env_point = 0;
  std::int32_t panning_env_value = 0;   // 16.16
  std::int32_t panning_env_output = 0;  // 0..64, 32 centre
  std::int32_t panning_env_step = 0;    // 16.16 per tick
  std::uint8_t panning_env_done = 0;

  std::int32_t fadeout_volume = 0;    // 65536 down to 0
  std::int32_t autovib_position = 0;  // 0..255
  std::int32_t autovib_sweep = 0;     // ticks of auto-vibrato so far, held at the instrument's sweep
  std::uint8_t key_off = 0;           // the note has been released
  std::uint8_t instrument = 0;        // the last instrument given, as cell instrument - 1
  std::uint8_t real_note = 0;         // (cell note - 1 + relative_note) modulo 256
  std::int32_t note_period = 0;       // period of the last note given; the tone portamento's target
  std::int32_t sample_offset = 0;     // remembered sample offset parameter, in 256-frame units

  // Remembered effect parameters: a parameter of 0 reuses them.
  std::uint8_t porta_down_speed = 0;
  std::uint8_t porta_up_speed = 0;
  std::uint8_t xfine_down_speed = 0;
  std::uint8_t xfine_up_speed = 0;
  std::uint8_t volume_slide = 0;
  std::uint8_t panning_slide = 0;
  std::uint8_t retrig_volume = 0;
  std::uint8_t retrig_interval = 0;

  std::int32_t porta_target = 0;  // period the tone portamento slides to
  std::uint8_t porta_speed = 0;   // in 4-period units per tick
  std::int8_t vibrato_position = 0;  // -32..31, a cycle in 64 steps
  std::uint8_t vibrato_speed = 0;
  std::uint8_t vibrato_depth = 0;
  std::uint8_t tremor_count = 0;
  std::uint8_t tremor_on = 0;   // ticks sounding
  std::uint8_t tremor_off = 0;  // ticks silent
  std::int32_t loop_row = 0;    // pattern loop start
  std::int32_t loop_count = 0;  // pattern loop passes still to go
  // Bits 0-1 the vibrato waveform (0 sine, 1 ramp, 2 and 3 square); bit 2 keeps vibrato_position when an
  // instrument is given.
  std::uint8_t waveform = 0;
  std::uint8_t fine_volume_slide = 0;
};

// What a channel plays on this tick: the instrument of its last instrument number and the sample that
// instrument maps its last note to; empty_instrument and empty_sample where there is none.
struct ChannelSound {
  const Instrument& instrument;
  const Sample& sample;
};
ChannelSound select_sound(const Module& module, const Channel& channel);

// Restarts the instrument's state for a new instrument number: the sample's volume and panning, fresh
// envelopes and fadeout, auto-vibrato and tremor from the start. The sample itself is restarted only by
// a note (the start flag).
void trigger_instrument(Channel& channel, const Sample& sample);

// Adds the instrument's auto-vibrato to period_offset and moves it on by one tick; the frequency is sent
// on every tick.
void auto_vibrato(Channel& channel, const Instrument& instrument);

// Sends to the channel's voice what update_flags asks for: the start of `sample`, volume, panning,
// frequency, stop.
void update_voice(Channel& channel, const Sample& sample, const Module& module);

}  // namespace music
