// Writing the default tune's rows and placing its notes on silent channels.
#include "tools/assets/music_track.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

namespace tools::assets {

Track::Track(int rows, int channels) : channels_(channels), cells_(static_cast<std::size_t>(rows) * channels) {}

music::PatternCell& Track::at(int row, int channel) {
  if (row < 0 || row >= rows() || channel < 0 || channel >= channels_) {
    throw std::out_of_range("a note of the tune lies outside its rows");
  }
  return cells_[static_cast<std::size_t>(row) * channels_ + channel];
}

void Track::note(int row, int channel, int key, int instrument, std::uint8_t volume) {
  music::PatternCell& cell = at(row, channel);
  cell.note = static_cast<std::uint8_t>(key);
  cell.instrument = static_cast<std::uint8_t>(instrument);
  if (volume != 0) cell.volume = volume;
}

void Track::key_off(int row, int channel) { at(row, channel).note = music::xm_note_key_off; }

void Track::effect(int row, int channel, std::uint8_t type, std::uint8_t parameter) {
  music::PatternCell& cell = at(row, channel);
  cell.effect_type = type;
  cell.effect_parameter = parameter;
}

std::vector<music::XmPattern> Track::patterns(const std::vector<int>& lengths) const {
  std::vector<music::XmPattern> patterns;
  int first = 0;
  for (int rows : lengths) {
    if (first + rows > this->rows()) throw std::out_of_range("a pattern of the tune lies beyond its rows");
    music::XmPattern pattern;
    pattern.rows = static_cast<std::uint16_t>(rows);
    const auto begin = cells_.begin() + static_cast<std::ptrdiff_t>(first) * channels_;
    pattern.cells.assign(begin, begin + static_cast<std::ptrdiff_t>(rows) * channels_);
    patterns.push_back(std::move(pattern));
    first += rows;
  }
  return patterns;
}

Part::Part(Track& track, std::vector<int> channels, int instrument, int release_rows)
    : track_(track),
      channels_(std::move(channels)),
      free_from_(channels_.size(), 0),
      instrument_(instrument),
      release_rows_(release_rows) {}

void Part::play(const Note& note) {
  const int end = note.row + note.length;
  if (note.slide && last_channel_ >= 0 && last_key_off_row_ == note.row) {
    // The note before keeps sounding and glides: its key-off makes way for the new pitch.
    const int channel = channels_[last_channel_];
    music::PatternCell& cell = track_.at(note.row, channel);
    cell = music::PatternCell{};
    cell.note = static_cast<std::uint8_t>(note.key);
    cell.effect_type = music::effect_tone_porta;
    cell.effect_parameter = 0x18;
  } else {
    // The channel that has been silent longest, so that neighbouring notes alternate.
    int chosen = -1;
    for (int i = 0; i < static_cast<int>(channels_.size()); ++i) {
      if (free_from_[i] > note.row) continue;
      if (chosen < 0 || free_from_[i] < free_from_[chosen]) chosen = i;
    }
    if (chosen < 0) throw std::logic_error("a part of the tune has no silent channel for a note");
    last_channel_ = chosen;
    const int channel = channels_[chosen];
    track_.note(note.row, channel, note.key, instrument_,
                note.volume >= 0 ? vol_set(note.volume) : static_cast<std::uint8_t>(0));
    const int panning = note.panning >= 0 ? note.panning : pannings_.empty() ? -1 : pannings_[chosen];
    if (panning >= 0) track_.effect(note.row, channel, music::effect_set_panning, static_cast<std::uint8_t>(panning));
  }
  const int channel = channels_[last_channel_];
  if (note.vibrato != 0) {
    for (int row = note.row + 3; row < end; ++row)
      track_.effect(row, channel, music::effect_vibrato, static_cast<std::uint8_t>(note.vibrato));
    if (note.length >= 12) {
      for (int row = note.row + note.length / 2; row < end; ++row) track_.at(row, channel).volume = vol_slide_down(1);
    }
  }
  if (release_rows_ > 0 && end < track_.rows()) track_.key_off(end, channel);
  free_from_[last_channel_] = end + release_rows_;
  last_key_off_row_ = end;
}

int Part::play_line(int row, const std::string& line, int volume) {
  std::istringstream words(line);
  std::string word;
  while (words >> word) {
    const std::size_t colon = word.find(':');
    if (colon == std::string::npos) throw std::invalid_argument("a note of the tune has no length: " + word);
    std::string pitch = word.substr(0, colon);
    std::string length = word.substr(colon + 1);
    Note note;
    note.row = row;
    note.volume = volume;
    if (!pitch.empty() && pitch.front() == '~') {
      note.slide = true;
      pitch.erase(0, 1);
    }
    if (!length.empty() && length.back() == 'v') {
      note.vibrato = 0x42;
      length.pop_back();
    }
    note.length = std::atoi(length.c_str());
    if (pitch != "-") {
      note.key = key_of(pitch);
      play(note);
    }
    row += note.length;
  }
  return row;
}

int key_of(const std::string& name) {
  static const int semitones[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
  if (name.size() < 2 || name[0] < 'A' || name[0] > 'G') throw std::invalid_argument("not a pitch: " + name);
  int semitone = semitones[name[0] - 'A'];
  std::size_t at = 1;
  if (name[at] == '#' || name[at] == 'b') {
    semitone += name[at] == '#' ? 1 : -1;
    ++at;
  }
  const int octave = std::atoi(name.c_str() + at);
  return 1 + octave * 12 + semitone;
}

}  // namespace tools::assets
