// The default tune as one long grid of rows, written part by part and cut into patterns at the end.
//
// A melodic part owns a few channels and places every note on one that has fallen silent: the mixer
// starts a sample at its first frame without fading out what the voice played before, so a note that
// replaced a sounding one would click. A note therefore ends with a key-off, the instrument's release
// runs out on its own channel, and the next note goes to a channel whose release is over.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "music/effects.h"
#include "music/xm_writer.h"

namespace tools::assets {

// Extended effects: the high nibble of an E parameter.
enum ExtendedEffect : std::uint8_t {
  ex_pattern_loop = 0x60,
  ex_retrigger = 0x90,
  ex_note_delay = 0xD0,
};
// Volume column commands.
inline constexpr std::uint8_t vol_set(int volume) { return static_cast<std::uint8_t>(0x10 + volume); }
inline constexpr std::uint8_t vol_slide_down(int per_tick) { return static_cast<std::uint8_t>(0x60 + per_tick); }
inline constexpr std::uint8_t vol_pan_right(int per_tick) { return static_cast<std::uint8_t>(0xE0 + per_tick); }
inline constexpr std::uint8_t vol_tone_porta(int speed) { return static_cast<std::uint8_t>(0xF0 + speed); }

class Track {
 public:
  Track(int rows, int channels);

  int channels() const { return channels_; }
  int rows() const { return static_cast<int>(cells_.size()) / channels_; }
  music::PatternCell& at(int row, int channel);

  void note(int row, int channel, int key, int instrument, std::uint8_t volume = 0);
  void key_off(int row, int channel);
  void effect(int row, int channel, std::uint8_t type, std::uint8_t parameter);

  // The rows cut into consecutive patterns of the given lengths.
  std::vector<music::XmPattern> patterns(const std::vector<int>& lengths) const;

 private:
  int channels_;
  std::vector<music::PatternCell> cells_;
};

// One note of a melodic part. `key` is the file's note number (49 = C-4).
struct Note {
  int row = 0;
  int length = 1;  // rows until the key-off
  int key = 0;
  int volume = -1;     // 0..64, or the sample's own
  int panning = -1;    // 0..255, or the sample's own
  bool slide = false;  // glide from the part's last note instead of starting a new one
  // A vibrato parameter for the rows after the note's first three; a note of a bar or more with vibrato
  // also fades over its second half.
  int vibrato = 0;
};

class Part {
 public:
  // `release_rows`: rows after a key-off until the instrument is silent; 0 for an instrument that falls
  // silent by itself within the note, which then needs no key-off.
  Part(Track& track, std::vector<int> channels, int instrument, int release_rows);

  void play(const Note& note);
  // Notes "E5:4 A5:2 ~G5:2 D5:8v -:4" from `row` on: a pitch and its length in rows, "-" a rest, "~" a
  // glide from the note before, "v" a vibrato on a long note. Returns the row after the last one.
  int play_line(int row, const std::string& line, int volume = -1);
  // A panning for each of the part's channels, set with each note that starts on it.
  void pan_channels(std::vector<int> pannings) { pannings_ = std::move(pannings); }

 private:
  Track& track_;
  std::vector<int> channels_;
  std::vector<int> free_from_;  // per channel: the first row on which it is silent
  std::vector<int> pannings_;
  int instrument_;
  int release_rows_;
  int last_channel_ = -1;
  int last_key_off_row_ = -1;
};

// "C-4" style pitch names without the dash: "A4", "C#5", "Bb3" give the file's note numbers.
int key_of(const std::string& name);

}  // namespace tools::assets
