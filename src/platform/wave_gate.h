// The gate of a wave device that plays only what the writer has published (wave_plays_only_published):
// the SDL device's callback and the stand-in card of the tests share it; the web page's worklet
// (web/zarn-audio.js) does the same sum in its own language.
#pragma once

#include <algorithm>
#include <cstdint>

namespace platform {

// Of the `wanted` bytes from `played` on (both counted since the open, across the loops), how many lie
// below `published` and may be taken from the buffer; the rest are played as silence.
inline std::uint64_t wave_bytes_ready(std::uint64_t played, std::uint64_t published, std::uint64_t wanted) {
  return published > played ? std::min(published - played, wanted) : 0;
}

}  // namespace platform
