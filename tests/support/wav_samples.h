// The samples of a WAV file the tools wrote: 16-bit stereo after a 44-byte head.
#pragma once

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <vector>

#include "tools/files/file_bytes.h"

namespace test_support {

// The interleaved 16-bit samples of the file's data chunk; none when it cannot be read.
inline std::vector<std::int16_t> wav_samples(const std::filesystem::path& path) {
  const std::vector<std::uint8_t> bytes = tools::read_file_bytes(path.string()).value_or(std::vector<std::uint8_t>{});
  std::vector<std::int16_t> samples(bytes.size() > 44 ? (bytes.size() - 44) / 2 : 0);
  if (!samples.empty()) std::memcpy(samples.data(), bytes.data() + 44, samples.size() * 2);
  return samples;
}

}  // namespace test_support
