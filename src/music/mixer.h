// The float mixer: every sounding voice into a block of stereo floats, with linear interpolation and
// short volume ramps, and the block into clipped 16-bit samples for the wave buffer.
//
// Only the wave thread mixes, while it holds the block lock: nothing here allocates, locks or logs.
#pragma once

#include <cstdint>

#include "music/voices.h"

namespace music {

// A volume change is spread over this many frames at 44100 Hz, and as long in time at other rates.
inline constexpr std::int32_t ramp_frames_at_44100 = 128;

struct VolumeRamp {
  std::int32_t frames = 1;  // at least 1
  float reciprocal = 1;     // 1 / frames
};

// The ramp for output at `rate` frames per second: rate x 128 / 44100 frames, at least one.
VolumeRamp volume_ramp_for(std::int32_t rate);

// Adds `frames` stereo frames (two floats each) of every voice of `pool` that has a sample to `out`, in
// index order, and moves the voices on; a voice that reaches the end of a sample without loop falls
// silent. Nothing for frames <= 0.
void mix_voices(float* out, VoicePool& pool, std::int32_t frames, const VolumeRamp& ramp);

// Writes 2 x frames signed 16-bit samples: each float rounded to nearest (ties to even) and clipped to
// -32768..32767. Nothing for frames <= 0 or a missing buffer.
void convert_block(std::int16_t* dst, const float* src, std::int32_t frames);

}  // namespace music
