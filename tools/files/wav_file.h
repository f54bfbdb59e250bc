// RIFF WAVE files of 16-bit PCM, as the sound system plays it, written as the samples come.
#pragma once

#include <cstdint>
#include <string>

#include "tools/files/output_file.h"

namespace tools {

// Writes a PCM WAV file piece by piece in constant memory, through an OutputFile: a failed or abandoned
// write never costs the file that was there, "-" is standard output, devices and FIFOs are written in
// place. A file gets its exact sizes when it is finished; a stream, which cannot be rewritten, carries
// the sizes that mean "until the end of the stream", which sound tools read as such.
class WavWriter {
 public:
  // Starts the output for interleaved signed 16-bit samples of `channels` channels at `rate`. False (after
  // saying why on stderr) when it cannot be written.
  bool open(const std::string& path, int channels, int rate);
  // Appends `count` samples (count / channels frames).
  bool append(const std::int16_t* samples, std::size_t count);
  // Writes the sizes into the header where the output allows it and puts the file in place.
  bool finish();

 private:
  bool fail();

  OutputFile output_;
  std::uint64_t data_bytes_ = 0;
};

}  // namespace tools
