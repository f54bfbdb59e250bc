// The music of a headless run, rendered in step with its virtual clock into a WAV file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/files/wav_file.h"

namespace tools {

// Renders blocks of the sound system until the music has caught up with the virtual clock, so that second
// s of the WAV is what played while the frames of second s were shown. What a block holds beyond the
// clock waits for the next call. The file is started at the first call that finds the sound system open.
class MusicInStep {
 public:
  explicit MusicInStep(std::string path) : path_(std::move(path)) {}

  // Brings the music up to `ms` on the virtual clock; false (after saying why) when the file cannot be
  // written.
  bool render_until(std::uint64_t ms);
  // Puts the file in place; true when nothing was rendered.
  bool finish();
  bool rendered() const { return rendered_; }

 private:
  std::string path_;
  WavWriter music_;
  std::vector<std::int16_t> unwritten_;  // rendered samples ahead of the clock
  std::size_t samples_written_ = 0;
  bool rendered_ = false;
  bool failed_ = false;
};

}  // namespace tools
