// RIFF WAVE files of 16-bit PCM, as the sound system plays it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tools {

// Writes interleaved signed 16-bit samples of `channels` channels at `rate` as a PCM WAV file. False
// (after saying why on stderr) when it cannot be written.
bool write_wav(const std::string& path, const std::vector<std::int16_t>& samples, int channels, int rate);

}  // namespace tools
