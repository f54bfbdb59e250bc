// The replay on input no tracker would write: any module the loader accepts plays for ever, whatever its
// cells, and every value the replay hands on stays in its range.
#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "music/envelopes.h"
#include "support/replay_fixture.h"

namespace {

using music::PatternCell;
using music::XmSong;
using test_support::c4;
using test_support::PlayingModule;
using test_support::song_with;

bool within(std::int64_t v, std::int64_t low, std::int64_t high) { return v >= low && v <= high; }

// The first value out of its range, described; empty when all are in range.
std::string first_fault(const music::Module& m) {
  std::ostringstream fault;
  if (!within(m.order_position, 0, m.song_length - 1)) return "order position " + std::to_string(m.order_position);
  const music::Pattern& pattern = m.patterns[m.order_table[m.order_position]];
  if (!within(m.row, 0, pattern.rows - 1)) fault << "row " << m.row << " of " << pattern.rows;
  if (!within(m.global_volume, 0, 64)) fault << "global volume " << m.global_volume;
  for (int i = 0; i < m.channel_count && fault.str().empty(); ++i) {
    const music::Channel& c = m.channels[i];
    if (!within(c.volume, 0, 64)) fault << "channel " << i << " volume " << c.volume;
    if (!within(c.panning, 0, 255)) fault << "channel " << i << " panning " << c.panning;
    if (!within(c.volume_env_output, 0, 64)) fault << "channel " << i << " volume envelope " << c.volume_env_output;
    if (!within(c.panning_env_output, 0, 64)) fault << "channel " << i << " panning envelope " << c.panning_env_output;
    if (!within(c.fadeout_volume, 0, 65536)) fault << "channel " << i << " fadeout " << c.fadeout_volume;
    const music::Voice* v = music::voice_at(c.voice_index);
    if (!v) {
      fault << "channel " << i << " lost its voice";
      break;
    }
    if (!within(v->volume, 0, 127) || v->left > 127 || v->right > 127) fault << "voice " << i << " volume";
    if (!within(v->panning, 0, 256)) fault << "voice " << i << " panning " << v->panning;
    if (v->step >= 16 && v->step_fraction != 0) fault << "voice " << i << " step beyond 705600 Hz";
  }
  return fault.str();
}

// Plays the module tick by tick and fails on the first tick that leaves a value out of range.
void play_checked(PlayingModule& playing, int ticks, const std::string& what) {
  for (int t = 0; t < ticks; ++t) {
    playing.play();
    const std::string fault = first_fault(playing.module());
    ASSERT_EQ(fault, "") << what << ", tick " << t;
  }
}

// Modules of another player's test suite: every one that loads plays without a fault.
TEST(ReplayBadInput, ModulesOfAnotherPlayersTestSuitePlay) {
  const std::filesystem::path folder = std::filesystem::path(ZARN_TEST_DATA) / "xm-libxmp";
  ASSERT_TRUE(std::filesystem::is_directory(folder)) << "missing " << folder;
  int played = 0;
  for (const auto& path : std::filesystem::recursive_directory_iterator(folder)) {
    if (path.path().extension() != ".xm") continue;
    test_support::LoadedModule load = test_support::load_file(path.path().c_str());
    if (!load.module) continue;  // what the loader refuses is its own test's concern
    music::open_voice_pool(music::intro_mix_rate);
    ASSERT_TRUE(music::start_replay(*load.module));
    ASSERT_EQ(load.module->tick_callback, &music::play_tick);
    for (int t = 0; t < 4000; ++t) {
      load.module->tick_callback(*load.module);
      const std::string fault = first_fault(*load.module);
      ASSERT_EQ(fault, "") << path.path().filename() << ", tick " << t;
    }
    ++played;
  }
  EXPECT_GE(played, 55);  // every file of the folder but the two the loader refuses
}

// A linear congruential generator, so that the hostile module is the same on every run.
class Dice {
 public:
  std::uint8_t byte() {
    state_ = state_ * 1103515245u + 12345u;
    return static_cast<std::uint8_t>(state_ >> 16);
  }
  int below(int n) { return byte() % n; }

 private:
  std::uint32_t state_ = 1;
};

music::XmEnvelope twelve_points(Dice& dice, std::uint8_t type) {
  music::XmEnvelope e;
  std::uint16_t x = 0;
  for (auto& point : e.points) {
    point = {x, static_cast<std::uint16_t>(dice.below(65))};
    x = static_cast<std::uint16_t>(x + dice.below(4));  // now and then two points at one tick
  }
  e.point_count = 12;
  e.type = type;
  e.sustain = static_cast<std::uint8_t>(dice.below(12));
  e.loop_start = static_cast<std::uint8_t>(dice.below(12));
  e.loop_end = static_cast<std::uint8_t>(dice.below(12));
  return e;
}

// Every cell random: any note, instrument numbers beyond the instruments, any volume column, any effect
// with any parameter. Instruments with full envelopes, sample maps beyond their samples, odd auto-vibrato.
XmSong hostile_song(std::uint16_t flags, std::uint32_t seed_rounds) {
  Dice dice;
  for (std::uint32_t i = 0; i < seed_rounds; ++i) dice.byte();
  XmSong song;
  song.channel_count = 6;
  song.flags = flags;
  song.default_speed = 3;
  for (int p = 0; p < 4; ++p) {
    music::XmPattern pattern;
    pattern.rows = static_cast<std::uint16_t>(p == 3 ? 1 : 8 + 8 * p);
    for (int c = 0; c < pattern.rows * song.channel_count; ++c) {
      const int note = dice.below(100);
      pattern.cells.push_back({static_cast<std::uint8_t>(note < 98 ? note : 0), static_cast<std::uint8_t>(dice.below(4)),
                               dice.byte(), static_cast<std::uint8_t>(dice.below(36)), dice.byte()});
    }
    song.patterns.push_back(pattern);
  }
  song.orders = {0, 1, 2, 3, 1, 0, 2};
  song.restart_position = 2;
  music::XmSample looped = test_support::looped_sample();
  looped.relative_note = -100;
  looped.finetune = -128;
  music::XmSample wide = test_support::ramp_sample(300);
  wide.sixteen_bit = true;
  wide.loop_bits = music::xm_loop_ping_pong;
  wide.loop_start = 100;
  wide.loop_length = 50;
  wide.relative_note = 100;
  wide.finetune = 127;
  music::XmInstrument instrument = test_support::instrument_with({looped, wide});
  for (auto& slot : instrument.sample_map) slot = static_cast<std::uint8_t>(dice.below(20));
  instrument.volume_envelope = twelve_points(dice, music::envelope_on | music::envelope_sustain | music::envelope_loop);
  instrument.panning_envelope = twelve_points(dice, music::envelope_on | music::envelope_loop);
  instrument.vibrato_type = 200;
  instrument.vibrato_sweep = 3;
  instrument.vibrato_depth = 255;
  instrument.vibrato_rate = 255;
  instrument.fadeout = 0x7FFF;
  song.instruments = {instrument, music::XmInstrument{}};
  return song;
}

TEST(ReplayBadInput, ARandomModuleWithEveryEffectPlays) {
  for (const std::uint16_t flags : {std::uint16_t{0}, music::flag_linear_periods}) {
    for (std::uint32_t seed = 0; seed < 4; ++seed) {
      PlayingModule playing(hostile_song(flags, seed * 1000));
      ASSERT_TRUE(playing.loaded());
      play_checked(playing, 20000, "flags " + std::to_string(flags) + ", seed " + std::to_string(seed));
    }
  }
}

TEST(ReplayBadInput, SlidesWithoutLimitNeverOverflowThePeriod) {
  struct Case {
    const char* what;
    PatternCell slide;
    std::int32_t period;  // where hours of sliding could have taken it
    int linear_hz, amiga_hz;
  };
  constexpr std::int32_t huge = std::numeric_limits<std::int32_t>::max() - 10;
  // On the Amiga table a negative period divides into a negative frequency, held at the lowest.
  const Case cases[] = {
      {"portamento down", {0, 0, 0, 2, 0xFF}, huge, music::min_frequency, music::min_frequency},
      {"fine portamento up", {0, 0, 0, 14, 0x1F}, -huge, music::max_frequency, music::min_frequency},
      {"fine portamento down", {0, 0, 0, 14, 0x2F}, huge, music::min_frequency, music::min_frequency},
      {"extra fine portamento up", {0, 0, 0, 33, 0x1F}, -huge, music::max_frequency, music::min_frequency},
      {"extra fine portamento down", {0, 0, 0, 33, 0x2F}, huge, music::min_frequency, music::min_frequency},
  };
  for (const std::uint16_t flags : {std::uint16_t{0}, music::flag_linear_periods}) {
    for (const Case& c : cases) {
      XmSong song = song_with(1, 1, {{0, 0, {c4, 1, 0, 0, 0}}});
      song.patterns.push_back({1, {c.slide}});
      song.orders = {0, 1};
      song.restart_position = 1;
      song.default_speed = 2;
      song.flags = flags;
      PlayingModule playing(song);
      ASSERT_TRUE(playing.loaded());
      playing.play(2);
      playing.channel(0).period = c.period;
      play_checked(playing, 100, c.what);
      EXPECT_EQ(music::voice_frequency(playing.voice(0)), flags ? c.linear_hz : c.amiga_hz)
          << c.what << ", flags " << flags;
    }
  }
}

TEST(ReplayBadInput, AutoVibratoTypesBeyondTheFourPlayTheSine) {
  std::vector<std::vector<int>> offsets;
  for (const std::uint8_t type : {0, 4, 200, 255}) {
    XmSong song = song_with(1, 1, {{0, 0, {c4, 1, 0, 0, 0}}});
    song.default_speed = 31;
    song.instruments[0].vibrato_type = type;
    song.instruments[0].vibrato_depth = 15;
    song.instruments[0].vibrato_rate = 20;
    PlayingModule playing(song);
    ASSERT_TRUE(playing.loaded());
    offsets.push_back(playing.play_reading(20, [](PlayingModule& p) { return int{p.channel(0).period_offset}; }));
  }
  EXPECT_NE(offsets[0], std::vector<int>(20, 0));
  for (std::size_t i = 1; i < offsets.size(); ++i) EXPECT_EQ(offsets[i], offsets[0]) << "type " << i;
}

TEST(ReplayBadInput, EnvelopePositionWithEveryPointInUse) {
  music::XmEnvelope e;
  for (int i = 0; i < 12; ++i) e.points[i] = {static_cast<std::uint16_t>(10 + 10 * i), static_cast<std::uint16_t>(5 * i)};
  e.point_count = 12;
  e.type = music::envelope_on;
  struct Case {
    const char* what;
    std::uint8_t tick;
    int output, point;
    bool done;
  };
  const Case cases[] = {
      {"beyond the last point: its value, for good", 255, 55, 11, true},
      {"on the last point: reached by the next tick", 120, 55, 11, false},
      {"between the last two", 115, 52, 11, false},
      {"on a point", 60, 25, 5, false},
      // Not drawn backwards from the first point, below 0 or above 64.
      {"before the first point", 0, 0, 1, false},
  };
  for (const Case& c : cases) {
    XmSong song = song_with(1, 1, {{0, 0, {c4, 1, 0, 21, c.tick}}});
    song.instruments[0].volume_envelope = e;
    PlayingModule playing(song);
    ASSERT_TRUE(playing.loaded());
    playing.play();
    EXPECT_EQ(playing.channel(0).volume_env_output, c.output) << c.what;
    EXPECT_EQ(playing.channel(0).volume_env_point, c.point) << c.what;
    EXPECT_EQ(playing.channel(0).volume_env_done, c.done) << c.what;
  }
}

TEST(ReplayBadInput, NotesBeyondTheMapAreNoNotes) {
  PlayingModule playing(song_with(1, 5, {{0, 0, {c4, 1, 0, 0, 0}}}));
  ASSERT_TRUE(playing.loaded());
  // Only a damaged module in memory holds these: the loader stores them as no note.
  const std::uint8_t notes[] = {97, 98, 200, 254};
  ASSERT_EQ(playing.module().patterns[0].stored_rows, 5);
  for (int row = 1; row <= 4; ++row) playing.module().patterns[0].cells[row] = {notes[row - 1], 1, 0, 0, 0};
  playing.play(6);
  playing.voice(0).position = 77;
  playing.play(24);
  EXPECT_EQ(playing.channel(0).note, c4 - 1);
  EXPECT_EQ(playing.channel(0).period, 4608);
  EXPECT_EQ(playing.voice(0).position, 77u);
}

TEST(ReplayBadInput, TremorCountLeftFromALongerCycleStartsOver) {
  XmSong song = song_with(1, 2, {{0, 0, {c4, 1, 0, 29, 0x47}}, {1, 0, {0, 0, 0, 29, 0x10}}});
  song.default_speed = 12;
  PlayingModule playing(song);
  ASSERT_TRUE(playing.loaded());
  playing.play(12);
  ASSERT_EQ(playing.channel(0).tremor_count, 12);  // five on, eight off: still off
  const auto volumes = playing.play_reading(6, [](PlayingModule& p) { return int{p.voice(0).volume}; });
  EXPECT_EQ(volumes, (std::vector<int>{0, 127, 127, 0, 127, 127}));
}

TEST(ReplayBadInput, FinetuneOfNoSampleIsLeftAlone) {
  // Instrument 5 does not exist: the channel plays empty_sample, which E5 must not write.
  PlayingModule playing(song_with(1, 1, {{0, 0, {c4, 5, 0, 14, 0x5F}}}));
  ASSERT_TRUE(playing.loaded());
  playing.play();
  EXPECT_EQ(music::empty_sample.finetune, 0);
}

TEST(ReplayBadInput, WithoutAVoicePoolNothingIsSent) {
  PlayingModule playing(song_with(2, 4, {{0, 0, {c4, 1, 0x40, 0, 0}}, {1, 1, {c4, 1, 0, 27, 0x11}}}));
  ASSERT_TRUE(playing.loaded());
  music::sound_system.voice_pool = music::VoicePool{};
  playing.play(24);
  EXPECT_EQ(playing.channel(0).voice_index, -1);
  EXPECT_EQ(playing.channel(1).voice_index, -1);
  EXPECT_EQ(playing.voice(0).sample, nullptr);
  EXPECT_EQ(playing.voice(0).volume, 0);
  EXPECT_EQ(playing.module().row, 3);
}

}  // namespace
