// Modules for the replay tests: small songs written with the XM writer, loaded through the loader and
// started on a fresh voice pool at the intro's rate, then played tick by tick.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "music/channel.h"
#include "music/replay.h"
#include "music/sound_system.h"
#include "support/xm_fixture.h"

namespace test_support {

// A cell at a row and channel of pattern 0.
struct PlacedCell {
  int row;
  int channel;
  music::PatternCell cell;
};

inline constexpr std::uint8_t c4 = 49;  // cell note of C-4: note 48, period 4608 on the linear table

// A looped 8-bit sample of 768 frames: sample offsets 1 and 2 (256 frames each) start inside it, 3 at its
// loop end.
inline music::XmSample looped_sample() {
  music::XmSample sample = ramp_sample(768);
  sample.loop_bits = music::xm_loop_forward;
  sample.loop_start = 0;
  sample.loop_length = 768;
  return sample;
}

// One pattern of `rows` rows holding `cells`, one instrument that plays looped_sample() on every note,
// speed 6 at 125 BPM, linear periods.
inline music::XmSong song_with(int channels, int rows, const std::vector<PlacedCell>& cells) {
  music::XmSong song;
  song.channel_count = static_cast<std::uint16_t>(channels);
  song.orders = {0};
  music::XmPattern pattern;
  pattern.rows = static_cast<std::uint16_t>(rows);
  pattern.cells.resize(static_cast<std::size_t>(rows) * channels);
  for (const PlacedCell& placed : cells) pattern.cells.at(placed.row * channels + placed.channel) = placed.cell;
  song.patterns = {pattern};
  song.instruments = {instrument_with({looped_sample()})};
  return song;
}

// A loaded song, started on a fresh voice pool.
class PlayingModule {
 public:
  explicit PlayingModule(const music::XmSong& song) {
    test_support::LoadedModule load = load_bytes(music::write_xm(song));
    EXPECT_TRUE(load.module) << load.result.reason;
    module_ = std::move(load.module);
    music::sound_system.voice_pool = music::VoicePool{};
    music::open_voice_pool(music::intro_mix_rate);
    if (module_) {
      EXPECT_TRUE(music::start_replay(*module_));
    }
  }

  bool loaded() const { return module_ && module_->channels; }
  music::Module& module() { return *module_; }
  music::Channel& channel(int i) { return module_->channels[i]; }
  music::Voice& voice(int i) { return music::sound_system.voice_pool.voices[i]; }
  music::Instrument& instrument(int i) { return module_->instruments[i]; }

  void play(int ticks = 1) {
    for (int i = 0; i < ticks; ++i) module_->tick_callback(*module_);
  }

  // Plays `ticks` ticks and returns what `read` (given this module) sees after each.
  template <typename Read>
  auto play_reading(int ticks, Read read) {
    std::vector<decltype(read(*this))> seen;
    for (int i = 0; i < ticks; ++i) {
      play();
      seen.push_back(read(*this));
    }
    return seen;
  }

 private:
  music::OwnedModule module_;
};

}  // namespace test_support
