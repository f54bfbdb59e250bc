// RIFF WAVE files of 16-bit PCM, as the sound system plays it, written as the samples come.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace tools {

// Writes a PCM WAV file piece by piece in constant memory: the samples go to a temporary file beside
// the path, and finish() fills in the sizes and renames it over the path, so a failed or abandoned write
// never leaves a half-written file. Every failure says why on stderr once.
class WavWriter {
 public:
  WavWriter() = default;
  WavWriter(const WavWriter&) = delete;
  WavWriter& operator=(const WavWriter&) = delete;
  ~WavWriter();  // removes the temporary file of an unfinished write

  // Starts the file for interleaved signed 16-bit samples of `channels` channels at `rate`.
  bool open(const std::string& path, int channels, int rate);
  // Appends `count` samples (count / channels frames).
  bool append(const std::int16_t* samples, std::size_t count);
  // Writes the sizes into the header and puts the file in place.
  bool finish();

 private:
  bool fail(const char* what);

  std::string path_;
  std::string temporary_;
  std::FILE* file_ = nullptr;
  std::uint64_t data_bytes_ = 0;
};

}  // namespace tools
