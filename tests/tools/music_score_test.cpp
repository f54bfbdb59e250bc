// The default tune: what it must use of the format and of the replay, how long it plays before it
// loops, and the rule that keeps its notes from clicking.
#include "tools/assets/music_score.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "support/replay_fixture.h"
#include "tools/assets/music_track.h"

namespace {

using music::XmEnvelope;
using music::XmInstrument;
using music::XmSample;
using music::XmSong;

const XmSong& tune() {
  static const XmSong song = tools::assets::make_tune();
  return song;
}

bool any_instrument(const std::function<bool(const XmInstrument&)>& test) {
  for (const XmInstrument& ins : tune().instruments) {
    if (test(ins)) return true;
  }
  return false;
}

bool any_sample(const std::function<bool(const XmSample&)>& test) {
  return any_instrument([&](const XmInstrument& ins) {
    for (const XmSample& s : ins.samples) {
      if (test(s)) return true;
    }
    return false;
  });
}

bool has(const XmEnvelope& e, std::uint8_t bits) { return (e.type & bits) == bits; }

TEST(DefaultTune, HasItsHeaderAndInstrumentFeatures) {
  EXPECT_TRUE(tune().flags & music::flag_linear_periods);
  EXPECT_GE(tune().channel_count, 8);
  EXPECT_EQ(tune().channel_count % 2, 0) << "trackers expect an even channel count";
  EXPECT_GE(tune().default_bpm, 120);
  EXPECT_LE(tune().default_bpm, 140);
  EXPECT_LT(tune().restart_position, tune().orders.size());
  struct Feature {
    const char* name;
    std::function<bool()> found;
  };
  const Feature features[] = {
      {"8-bit sample", [] { return any_sample([](const XmSample& s) { return !s.sixteen_bit; }); }},
      {"16-bit sample", [] { return any_sample([](const XmSample& s) { return s.sixteen_bit; }); }},
      {"forward loop",
       [] { return any_sample([](const XmSample& s) { return s.loop_bits == music::xm_loop_forward; }); }},
      {"ping-pong loop",
       [] { return any_sample([](const XmSample& s) { return s.loop_bits == music::xm_loop_ping_pong; }); }},
      {"volume envelope sustain",
       [] {
         return any_instrument([](const XmInstrument& i) {
           return has(i.volume_envelope, music::envelope_on | music::envelope_sustain);
         });
       }},
      {"volume envelope loop",
       [] {
         return any_instrument(
             [](const XmInstrument& i) { return has(i.volume_envelope, music::envelope_on | music::envelope_loop); });
       }},
      {"panning envelope sustain",
       [] {
         return any_instrument([](const XmInstrument& i) {
           return has(i.panning_envelope, music::envelope_on | music::envelope_sustain);
         });
       }},
      {"panning envelope loop",
       [] {
         return any_instrument(
             [](const XmInstrument& i) { return has(i.panning_envelope, music::envelope_on | music::envelope_loop); });
       }},
      {"fadeout", [] { return any_instrument([](const XmInstrument& i) { return i.fadeout > 0; }); }},
      {"auto-vibrato",
       [] { return any_instrument([](const XmInstrument& i) { return i.vibrato_depth > 0 && i.vibrato_rate > 0; }); }},
  };
  for (const Feature& f : features) EXPECT_TRUE(f.found()) << f.name;
}

// A voice turning back exactly onto a tiny loop's first frame is the mixer's weak spot; the tune keeps
// its ping-pong loops long and away from the sample's start.
TEST(DefaultTune, PingPongLoopsAreLongAndStartInsideTheSample) {
  for (const XmInstrument& ins : tune().instruments) {
    for (const XmSample& s : ins.samples) {
      if (s.loop_bits != music::xm_loop_ping_pong) continue;
      EXPECT_GT(s.loop_start, 0u) << ins.name;
      EXPECT_GE(s.loop_length, 4096u) << ins.name;
    }
  }
}

TEST(DefaultTune, UsesTheReplaysEffects) {
  std::set<int> used;  // effect types, extended ones as 0xE0 + x, arpeggio only with a parameter
  bool volume_column_slides = false;
  for (const music::XmPattern& pattern : tune().patterns) {
    for (const music::PatternCell& cell : pattern.cells) {
      if (cell.effect_type == music::effect_extended) {
        used.insert(0xE0 + (cell.effect_parameter >> 4));
      } else if (cell.effect_type != music::effect_arpeggio || cell.effect_parameter != 0) {
        used.insert(cell.effect_type);
      }
      volume_column_slides |= cell.volume >= 0x60 && cell.volume < 0x80;
    }
  }
  const struct {
    const char* name;
    int type;
  } wanted[] = {
      {"arpeggio", 0x0},    {"portamento up", 0x1}, {"portamento down", 0x2}, {"tone portamento", 0x3},
      {"vibrato", 0x4},     {"panning", 0x8},       {"sample offset", 0x9},   {"volume slide", 0xA},
      {"multi retrig", 27}, {"pattern loop", 0xE6}, {"retrigger", 0xE9},      {"note delay", 0xED},
  };
  for (const auto& w : wanted) EXPECT_TRUE(used.count(w.type)) << w.name;
  EXPECT_TRUE(volume_column_slides);
}

// Played through the replay, the song visits every order once in sequence and then goes on at its
// restart position, after a minute and a half to three minutes.
TEST(DefaultTune, PlaysItsOrdersOnceWithinTheLengthOfAnIntro) {
  test_support::PlayingModule playing(tune());
  ASSERT_TRUE(playing.loaded());
  music::Module& module = playing.module();
  std::vector<int> positions;
  long ticks = 0;
  const long tick_limit = 100000;
  while (ticks < tick_limit) {
    playing.play();
    ++ticks;
    if (positions.empty() || positions.back() != module.order_position) {
      if (!positions.empty() && module.order_position < positions.back()) break;
      positions.push_back(module.order_position);
    }
  }
  ASSERT_LT(ticks, tick_limit);
  EXPECT_EQ(module.order_position, tune().restart_position);
  std::vector<int> in_order(tune().orders.size());
  for (std::size_t i = 0; i < in_order.size(); ++i) in_order[i] = static_cast<int>(i);
  EXPECT_EQ(positions, in_order);
  const double seconds = static_cast<double>(ticks - 1) * module.samples_per_tick / music::intro_mix_rate;
  EXPECT_GE(seconds, 90.0);
  EXPECT_LE(seconds, 180.0);
}

// The mixer starts a sample at its first frame without fading out what the voice played before, so a
// looped sample still sounding would be cut off with a click. Played through the replay, past the end
// and back to the restart position, every start on a voice that held a looped sample finds it silent:
// its note was released and its envelope and fadeout ran out in time.
TEST(DefaultTune, NoLoopedSampleIsCutOffByTheNextNote) {
  test_support::PlayingModule playing(tune());
  ASSERT_TRUE(playing.loaded());
  const int channels = tune().channel_count;
  struct Held {
    bool looped = false;
    int left = 0, right = 0;
  };
  std::vector<Held> before(channels);
  const int ticks = 130 * 44100 / playing.module().samples_per_tick;  // beyond the first pass
  int cut_off = 0;
  for (int tick = 0; tick < ticks; ++tick) {
    playing.play();
    for (int ch = 0; ch < channels; ++ch) {
      const music::Voice& voice = playing.voice(ch);
      const bool started = playing.channel(ch).update_flags & music::update_start;
      if (started && before[ch].looped && (before[ch].left != 0 || before[ch].right != 0)) {
        ADD_FAILURE() << "order " << playing.module().order_position << " row " << playing.module().row
                      << " channel " << ch;
        if (++cut_off == 10) return;
      }
      before[ch] = {voice.sample != nullptr && voice.sample->loop_type != music::loop_none, voice.left, voice.right};
    }
  }
}

TEST(TunePart, PlacesNotesOnSilentChannelsAndGlidesOnTheSameOne) {
  tools::assets::Track track(32, 2);
  tools::assets::Part part(track, {0, 1}, 5, 2);
  const int end = part.play_line(0, "C4:4 E4:4 ~G4:4 -:2 A4:2");
  EXPECT_EQ(end, 16);
  struct Expected {
    int row, channel;
    int note, instrument, effect;
  };
  const Expected expected[] = {
      {0, 0, tools::assets::key_of("C4"), 5, 0},
      {4, 1, tools::assets::key_of("E4"), 5, 0},
      {4, 0, music::xm_note_key_off, 0, 0},
      {8, 1, tools::assets::key_of("G4"), 0, music::effect_tone_porta},  // the glide replaces E4's key-off
      {12, 1, music::xm_note_key_off, 0, 0},
      {14, 0, tools::assets::key_of("A4"), 5, 0},  // the channel silent longest
  };
  for (const Expected& e : expected) {
    const music::PatternCell& cell = track.at(e.row, e.channel);
    EXPECT_EQ(cell.note, e.note) << "row " << e.row;
    EXPECT_EQ(cell.instrument, e.instrument) << "row " << e.row;
    EXPECT_EQ(cell.effect_type, e.effect) << "row " << e.row;
  }
  EXPECT_EQ(tools::assets::key_of("C4"), 49);
  EXPECT_EQ(tools::assets::key_of("A#3"), tools::assets::key_of("Bb3"));
}

}  // namespace
