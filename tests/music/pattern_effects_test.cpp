// Pattern effects and volume-column commands, one table per family, each case observed tick by tick on
// channel 0 of a small song.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "support/replay_fixture.h"

namespace {

using music::PatternCell;
using music::XmSong;
using test_support::c4;
using test_support::PlacedCell;
using test_support::PlayingModule;
using test_support::song_with;

// Where a test leaves each voice's position before a tick: a voice still there afterwards was not
// started (nor stopped) on that tick.
constexpr std::uint32_t untouched = 999;

using Observe = int (*)(PlayingModule&);

struct Case {
  const char* what;
  std::vector<PatternCell> rows;  // channel 0's cells, row after row
  int speed;
  std::vector<int> seen;  // observed after each tick
};

// Plays the rows of channel 0 and returns what `observe` sees after each of `ticks` ticks.
std::vector<int> observe_ticks(PlayingModule& playing, std::size_t ticks, Observe observe) {
  std::vector<int> seen;
  for (std::size_t i = 0; i < ticks; ++i) {
    for (int v = 0; v < playing.module().channel_count; ++v) playing.voice(v).position = untouched;
    playing.play();
    seen.push_back(observe(playing));
  }
  return seen;
}

void run_cases(const std::vector<Case>& cases, Observe observe) {
  for (const Case& c : cases) {
    std::vector<PlacedCell> cells;
    for (std::size_t row = 0; row < c.rows.size(); ++row) cells.push_back({static_cast<int>(row), 0, c.rows[row]});
    XmSong song = song_with(1, static_cast<int>(c.rows.size()) + 1, cells);
    song.default_speed = static_cast<std::uint16_t>(c.speed);
    PlayingModule playing(song);
    ASSERT_TRUE(playing.loaded()) << c.what;
    EXPECT_EQ(observe_ticks(playing, c.seen.size(), observe), c.seen) << c.what;
  }
}

int channel_volume(PlayingModule& p) { return p.channel(0).volume; }
int voice_volume(PlayingModule& p) { return p.voice(0).volume; }
int channel_period(PlayingModule& p) { return p.channel(0).period; }
int period_offset(PlayingModule& p) { return p.channel(0).period_offset; }
int channel_panning(PlayingModule& p) { return p.channel(0).panning; }
int started(PlayingModule& p) { return p.voice(0).position != untouched; }
// The frame the voice plays from, or -1 when it is silent.
int voice_start_frame(PlayingModule& p) { return p.voice(0).sample ? static_cast<int>(p.voice(0).position) : -1; }

// Row 0 of these tables sets volume 32 with the volume column.
constexpr PatternCell volume_32{c4, 1, 0x30, 0, 0};

TEST(Effects, VolumeColumn) {
  run_cases(
      {
          {"0x55 does nothing", {volume_32, {0, 0, 0x55, 0, 0}}, 3, {32, 32, 32, 32, 32, 32}},
          {"0x50 sets 64", {volume_32, {0, 0, 0x50, 0, 0}}, 3, {32, 32, 32, 64, 64, 64}},
          {"0x10 sets 0", {volume_32, {0, 0, 0x10, 0, 0}}, 3, {32, 32, 32, 0, 0, 0}},
          {"0x0F does nothing", {volume_32, {0, 0, 0x0F, 0, 0}}, 3, {32, 32, 32, 32, 32, 32}},
          {"slide down on every tick", {volume_32, {0, 0, 0x65, 0, 0}}, 3, {32, 32, 32, 27, 22, 17}},
          {"slide up on every tick", {volume_32, {0, 0, 0x75, 0, 0}}, 3, {32, 32, 32, 37, 42, 47}},
          {"slide up held at 64", {{c4, 1, 0x4E, 0, 0}, {0, 0, 0x7F, 0, 0}}, 3, {62, 62, 62, 64, 64, 64}},
          {"fine down on the first tick", {volume_32, {0, 0, 0x85, 0, 0}}, 3, {32, 32, 32, 27, 27, 27}},
          {"fine up on the first tick", {volume_32, {0, 0, 0x95, 0, 0}}, 3, {32, 32, 32, 37, 37, 37}},
          {"fine down held at 0", {{c4, 1, 0x13, 0, 0}, {0, 0, 0x8F, 0, 0}}, 3, {3, 3, 3, 0, 0, 0}},
      },
      channel_volume);
  run_cases(
      {
          {"set panning", {{c4, 1, 0xC4, 0, 0}}, 3, {64, 64, 64}},
          {"slide left on every tick", {{c4, 1, 0xD3, 0, 0}}, 3, {125, 122, 119}},
          {"slide right on every tick", {{c4, 1, 0xE3, 0, 0}}, 3, {131, 134, 137}},
          {"slide right held at 255", {{c4, 1, 0xCF, 0, 0}, {0, 0, 0xEF, 0, 0}}, 3, {240, 240, 240, 255, 255, 255}},
      },
      channel_panning);
  // Vibrato speed 4 from 0xA4, then depth 8: the offsets of the sine at positions 0, 4, 8.
  run_cases({{"vibrato", {{c4, 1, 0xA4, 0, 0}, {0, 0, 0xB8, 0, 0}}, 3, {0, 0, 0, 0, 0, -24}}}, period_offset);
}

TEST(Effects, Volume) {
  run_cases(
      {
          {"A slides down on the later ticks; A00 goes on", {{c4, 1, 0x30, 10, 0x0F}, {0, 0, 0, 10, 0}}, 3,
           {32, 17, 2, 2, 0, 0}},
          {"A with a high nibble slides up", {{c4, 1, 0x30, 10, 0x11}}, 3, {32, 33, 34}},
          {"C sets, held at 64", {{c4, 1, 0, 12, 0x10}, {0, 0, 0, 12, 0x7F}}, 3, {16, 16, 16, 64, 64, 64}},
          {"EC2 cuts on tick 2", {{c4, 1, 0, 14, 0xC2}}, 3, {64, 64, 0}},
          {"EC0 does nothing", {{c4, 1, 0, 14, 0xC0}}, 3, {64, 64, 64}},
          {"EA fine up; EA0 reuses", {{c4, 1, 0x30, 14, 0xA3}, {0, 0, 0, 14, 0xA0}}, 3, {35, 35, 35, 38, 38, 38}},
          {"EB fine down; EB0 reuses", {{c4, 1, 0x30, 14, 0xB3}, {0, 0, 0, 14, 0xB0}}, 3, {29, 29, 29, 26, 26, 26}},
          {"R +1 every tick", {volume_32, {0, 0, 0, 27, 0x91}}, 3, {32, 32, 32, 32, 33, 34}},
          {"R x2/3", {volume_32, {0, 0, 0, 27, 0x61}}, 3, {32, 32, 32, 32, 21, 14}},
          {"R x2 held at 64", {volume_32, {0, 0, 0, 27, 0xF1}}, 3, {32, 32, 32, 32, 64, 64}},
          {"R -16 held at 0", {volume_32, {0, 0, 0, 27, 0x51}}, 3, {32, 32, 32, 32, 16, 0}},
      },
      channel_volume);
  run_cases(
      {
          // Three ticks on, two off, from the note on.
          {"T 0x21", {{c4, 1, 0, 29, 0x21}, {0, 0, 0, 29, 0}}, 6,
           {127, 127, 127, 0, 0, 127, 127, 127, 0, 0, 127, 127}},
          {"G sets the global volume", {{c4, 1, 0, 16, 0x20}}, 3, {63, 63, 63}},
      },
      voice_volume);
}

TEST(Effects, Pitch) {
  // C-4 is period 4608; B-7 (cell note 96) 1600.
  run_cases(
      {
          {"1 slides up on the later ticks", {{c4, 1, 0, 1, 0x10}}, 4, {4608, 4544, 4480, 4416}},
          {"1 is held at period 56", {{96, 1, 0, 1, 0xFF}}, 4, {1600, 580, 56, 56}},
          {"2 slides down; 200 goes on", {{c4, 1, 0, 2, 0x10}, {0, 0, 0, 2, 0}}, 2, {4608, 4672, 4672, 4736}},
          {"E1 fine up once", {{c4, 1, 0, 14, 0x13}}, 3, {4596, 4596, 4596}},
          {"E2 fine down once", {{c4, 1, 0, 14, 0x23}}, 3, {4620, 4620, 4620}},
          {"X1 extra fine up; X10 reuses", {{c4, 1, 0, 33, 0x13}, {0, 0, 0, 33, 0x10}}, 2, {4605, 4605, 4602, 4602}},
          {"X2 extra fine down", {{c4, 1, 0, 33, 0x23}}, 2, {4611, 4611}},
      },
      channel_period);
  run_cases(
      {
          {"arpeggio 0x37: 0, 3 and 7 semitones", {{c4, 1, 0, 0, 0x37}}, 6, {0, 192, 448, 0, 192, 448}},
          {"arpeggio 0 does nothing", {{c4, 1, 0, 0, 0}}, 3, {0, 0, 0}},
          // Sine at positions 0, 4, 8, 12: 0, 98, 181, 237 of 256, times depth 8 / 32, in steps of 4.
          {"vibrato, sine", {{c4, 1, 0, 4, 0x48}}, 5, {0, 0, -24, -44, -56}},
          {"vibrato, ramp", {{0, 0, 0, 14, 0x41}, {c4, 1, 0, 4, 0x48}}, 5, {0, 0, 0, 0, 0, 0, 0, -8, -16, -24}},
          {"vibrato, square", {{0, 0, 0, 14, 0x42}, {c4, 1, 0, 4, 0x48}}, 5,
           {0, 0, 0, 0, 0, -60, -60, -60, -60, -60}},
          // Speed 15 from position 0: 15, 30, then past 31 to -19, where the pitch goes the other way.
          {"vibrato wraps through the cycle", {{c4, 1, 0, 4, 0xF8}}, 5, {0, 0, -60, -12, 60}},
      },
      period_offset);
}

TEST(Effects, Panning) {
  run_cases(
      {
          {"8 sets", {{c4, 1, 0, 8, 0x40}}, 2, {64, 64}},
          {"E8 sets in steps of 16", {{c4, 1, 0, 14, 0x8F}}, 2, {240, 240}},
          {"P slides right; P00 goes on", {{c4, 1, 0, 25, 0x20}, {0, 0, 0, 25, 0}}, 3, {128, 130, 132, 132, 134, 136}},
          {"P slides left", {{c4, 1, 0, 25, 0x05}}, 3, {128, 123, 118}},
          {"P held at 0", {{c4, 1, 0, 8, 0x06}, {0, 0, 0, 25, 0x05}}, 3, {6, 6, 6, 6, 1, 0}},
      },
      channel_panning);
}

TEST(Effects, NoteStarts) {
  run_cases(
      {
          {"a note starts on tick 0", {{c4, 1, 0, 0, 0}}, 3, {1, 0, 0, 0, 0, 0}},
          {"ED1 starts it on tick 1", {{c4, 1, 0, 14, 0xD1}}, 3, {0, 1, 0, 0, 0, 0}},
          {"ED0 swallows the note", {{c4, 1, 0, 14, 0xD0}}, 3, {0, 0, 0, 0, 0, 0}},
          {"ED3 at speed 3 never comes", {{c4, 1, 0, 14, 0xD3}}, 3, {0, 0, 0, 0, 0, 0}},
          {"R with interval 3: ticks 3 and 6, not 0", {{c4, 1, 0, 0, 0}, {0, 0, 0, 27, 0x03}}, 7,
           {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 1}},
          {"E93 retriggers on ticks 3 and 6", {{c4, 1, 0, 0, 0}, {0, 0, 0, 14, 0x93}}, 7,
           {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 1}},
          {"3 holds back the start of its note", {{c4, 1, 0, 0, 0}, {c4 + 2, 0, 0, 3, 1}}, 2, {1, 0, 0, 0}},
      },
      started);
  run_cases(
      {
          {"ED2 puts back the volume until the note comes", {{c4, 1, 0x20, 0, 0}, {c4, 1, 0x30, 14, 0xD2}}, 3,
           {16, 16, 16, 16, 16, 32}},
      },
      channel_volume);
}

TEST(Effects, SampleOffset) {
  // The sample loops over its 768 frames; the offset counts in 256 frames.
  run_cases(
      {
          {"9 starts at the offset; 900 reuses it", {{c4, 1, 0, 9, 2}, {c4, 0, 0, 9, 0}}, 1, {512, 512}},
          {"900 with no earlier offset starts at 0", {{c4, 1, 0, 9, 0}}, 1, {0}},
          {"an offset at the loop end silences the channel", {{c4, 1, 0, 9, 2}, {c4, 0, 0, 9, 3}}, 1, {512, -1}},
          {"the offset waits in the voice for the next start", {{c4, 1, 0, 0, 0}, {0, 0, 0, 9, 1}, {c4, 0, 0, 0, 0}},
           1, {0, static_cast<int>(untouched), 256}},
      },
      voice_start_frame);
}

TEST(Effects, SpeedAndTempo) {
  struct SpeedCase {
    std::uint8_t parameter;
    int speed, bpm, frames_per_tick;
    std::vector<int> rows;  // after each tick
  };
  const SpeedCase cases[] = {
      {0x00, 0, 125, 882, {0, 1, 2, 3}},  // speed 0: every tick starts a row
      {0x1F, 31, 125, 882, {0, 0, 0, 0}},
      {0x20, 6, 32, 3445, {0, 0, 0, 0}},
  };
  for (const SpeedCase& c : cases) {
    PlayingModule playing(song_with(1, 8, {{0, 0, {0, 0, 0, 15, c.parameter}}}));
    ASSERT_TRUE(playing.loaded());
    std::vector<int> rows;
    for (std::size_t i = 0; i < c.rows.size(); ++i) {
      playing.play();
      rows.push_back(playing.module().row);
    }
    EXPECT_EQ(playing.module().speed, c.speed) << int{c.parameter};
    EXPECT_EQ(playing.module().bpm, c.bpm) << int{c.parameter};
    EXPECT_EQ(playing.module().samples_per_tick, c.frames_per_tick) << int{c.parameter};
    EXPECT_EQ(rows, c.rows) << int{c.parameter};
  }
}

TEST(Effects, GlobalVolumeSlideSendsNothingByItself) {
  PlayingModule playing(song_with(1, 2, {{0, 0, {c4, 1, 0, 17, 0x04}}}));
  ASSERT_TRUE(playing.loaded());
  std::vector<int> global, sent;
  for (int i = 0; i < 7; ++i) {
    playing.play();
    global.push_back(playing.module().global_volume);
    sent.push_back(playing.voice(0).volume);
  }
  EXPECT_EQ(global, (std::vector<int>{64, 60, 56, 52, 48, 44, 44}));
  // Every channel sends its volume on a row's first tick: 64 x 64 x 65536 x 44 x 255 / 2^35.
  EXPECT_EQ(sent, (std::vector<int>{127, 127, 127, 127, 127, 127, 87}));
}

TEST(Effects, FinetuneIsSharedThroughTheSample) {
  PlayingModule playing(song_with(2, 2, {{0, 0, {c4, 1, 0, 14, 0x5F}}, {0, 1, {c4, 1, 0, 0, 0}}, {1, 0, {c4, 0, 0, 0, 0}}}));
  ASSERT_TRUE(playing.loaded());
  playing.play();
  // Channel 0's note came before its own E5; channel 1's after it. 4608 - 15 / 2.
  EXPECT_EQ(playing.channel(0).period, 4608);
  EXPECT_EQ(playing.channel(1).period, 4601);
  EXPECT_EQ(playing.instrument(0).samples[0]->finetune, 15);
  playing.play(6);
  EXPECT_EQ(playing.channel(0).period, 4601);
}

TEST(Effects, PatternDelayKeepsCountingTheTicks) {
  // Speed 6 and EE2: 18 ticks of row 0, over which arpeggio and multi retrig count on past tick 5.
  PlayingModule playing(song_with(3, 2,
                                  {{0, 0, {0, 0, 0, 14, 0xE2}},
                                   {0, 1, {c4, 1, 0, 0, 0x37}},
                                   {0, 2, {c4, 1, 0, 27, 0x04}}}));
  ASSERT_TRUE(playing.loaded());
  std::vector<int> rows, offsets, starts;
  for (int i = 0; i < 19; ++i) {
    for (int v = 0; v < 3; ++v) playing.voice(v).position = untouched;
    playing.play();
    rows.push_back(playing.module().row);
    offsets.push_back(playing.channel(1).period_offset);
    starts.push_back(playing.voice(2).position != untouched);
  }
  EXPECT_EQ(rows, (std::vector<int>{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}));
  EXPECT_EQ(std::vector<int>(offsets.begin() + 12, offsets.begin() + 18), (std::vector<int>{0, 192, 448, 0, 192, 448}));
  EXPECT_EQ(starts, (std::vector<int>{1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0}));
}

// Two patterns of 64 and 16 rows; orders 0..5 play the long one, order 6 the short one.
XmSong jump_song(PatternCell first, PatternCell second) {
  XmSong song = song_with(2, 64, {{0, 0, first}, {0, 1, second}});
  music::XmPattern short_pattern;
  short_pattern.rows = 16;
  song.patterns.push_back(short_pattern);
  song.orders = {0, 0, 0, 0, 0, 0, 1};
  song.restart_position = 3;
  song.default_speed = 1;
  return song;
}

TEST(Effects, JumpsAndBreaks) {
  struct JumpCase {
    const char* what;
    PatternCell first, second;  // row 0, channels 0 and 1
    int order, row;             // where the song goes next
  };
  const PatternCell none{};
  const JumpCase cases[] = {
      {"no jump", none, none, 0, 1},
      {"D15: row 15 of the next order", {0, 0, 0, 13, 0x15}, none, 1, 15},
      {"D1A: decimal digits, 10 + 10", {0, 0, 0, 13, 0x1A}, none, 1, 20},
      {"D64 is beyond row 63: row 0", {0, 0, 0, 13, 0x64}, none, 1, 0},
      {"B05 then D10", {0, 0, 0, 11, 5}, {0, 0, 0, 13, 0x10}, 5, 10},
      {"D10 then B05", {0, 0, 0, 13, 0x10}, {0, 0, 0, 11, 5}, 5, 0},
      {"B beyond the song goes to order 0", {0, 0, 0, 11, 7}, none, 0, 0},
      {"a break beyond the next pattern's rows plays its row 0", {0, 0, 0, 11, 6}, {0, 0, 0, 13, 0x20}, 6, 0},
      {"a break within the short pattern", {0, 0, 0, 11, 6}, {0, 0, 0, 13, 0x15}, 6, 15},
  };
  for (const JumpCase& c : cases) {
    PlayingModule playing(jump_song(c.first, c.second));
    ASSERT_TRUE(playing.loaded()) << c.what;
    playing.play(2);
    EXPECT_EQ(playing.module().order_position, c.order) << c.what;
    EXPECT_EQ(playing.module().row, c.row) << c.what;
  }
}

TEST(Effects, BreakAfterTheLastOrderGoesToOrderZeroNotTheRestart) {
  XmSong song = jump_song({0, 0, 0, 11, 6}, {});
  song.patterns[1].cells = {{0, 0, 0, 13, 0x05}};
  PlayingModule playing(song);
  ASSERT_TRUE(playing.loaded());
  playing.play(3);
  EXPECT_EQ(playing.module().order_position, 0);
  EXPECT_EQ(playing.module().row, 5);
}

TEST(Effects, PatternLoop) {
  struct LoopCase {
    const char* what;
    std::vector<PlacedCell> cells;
    std::vector<int> rows;  // after each tick
  };
  const LoopCase cases[] = {
      {"E60 marks, E62 loops twice", {{1, 0, {0, 0, 0, 14, 0x60}}, {3, 0, {0, 0, 0, 14, 0x62}}},
       {0, 1, 2, 3, 1, 2, 3, 1, 2, 3, 4, 5}},
      {"without a mark the loop goes to row 0", {{2, 0, {0, 0, 0, 14, 0x61}}}, {0, 1, 2, 0, 1, 2, 3}},
      {"the last channel's mark counts",
       {{1, 0, {0, 0, 0, 14, 0x60}}, {2, 1, {0, 0, 0, 14, 0x60}}, {3, 0, {0, 0, 0, 14, 0x61}},
        {3, 1, {0, 0, 0, 14, 0x61}}},
       {0, 1, 2, 3, 2, 3, 4}},
      {"a break on the loop's row wins", {{1, 0, {0, 0, 0, 14, 0x60}}, {3, 0, {0, 0, 0, 14, 0x62}},
                                          {3, 1, {0, 0, 0, 13, 0x05}}},
       {0, 1, 2, 3, 5, 6}},
  };
  for (const LoopCase& c : cases) {
    XmSong song = song_with(2, 8, c.cells);
    song.orders = {0, 0};
    song.default_speed = 1;
    PlayingModule playing(song);
    ASSERT_TRUE(playing.loaded()) << c.what;
    std::vector<int> rows;
    for (std::size_t i = 0; i < c.rows.size(); ++i) {
      playing.play();
      rows.push_back(playing.module().row);
    }
    EXPECT_EQ(rows, c.rows) << c.what;
  }
}

}  // namespace
