// Replay engine: the walk through orders and rows, periods and frequencies on both tables, the voice
// operations, instruments, envelopes, key off and fadeout, observed tick by tick.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "music/periods.h"
#include "support/replay_fixture.h"

namespace {

using music::PatternCell;
using music::XmSong;
using test_support::c4;
using test_support::PlayingModule;
using test_support::song_with;

std::pair<int, int> order_and_row(PlayingModule& playing) {
  return {playing.module().order_position, playing.module().row};
}

constexpr std::uint8_t key_off = music::xm_note_key_off;

music::XmEnvelope envelope(std::vector<music::EnvelopePoint> points, std::uint8_t type, std::uint8_t sustain = 0,
                           std::uint8_t loop_start = 0, std::uint8_t loop_end = 0) {
  music::XmEnvelope e;
  for (std::size_t i = 0; i < points.size(); ++i) e.points[i] = points[i];
  e.point_count = static_cast<std::uint8_t>(points.size());
  e.type = type;
  e.sustain = sustain;
  e.loop_start = loop_start;
  e.loop_end = loop_end;
  return e;
}

TEST(ReplayTiming, FramesPerTickFollowTheTempo) {
  // At 44100 Hz: floor(5 x 44100 / (2 x bpm)); 126 and 147 BPM divide exactly, where floating point
  // would lose a frame.
  const std::pair<int, int> cases[] = {{125, 882}, {126, 875}, {147, 750}, {32, 3445}, {255, 432}};
  music::open_voice_pool(music::intro_mix_rate);
  for (const auto& [bpm, frames] : cases) {
    music::Module module;
    module.sound = &music::sound_system;
    music::set_bpm(module, bpm);
    EXPECT_EQ(module.bpm, bpm);
    EXPECT_EQ(module.samples_per_tick, frames) << bpm << " BPM";
  }
}

TEST(ReplayTiming, SpeedSixAt125BpmPlaysEachRowFor6x882Frames) {
  PlayingModule playing(song_with(1, 4, {}));
  ASSERT_TRUE(playing.loaded());
  EXPECT_EQ(playing.module().samples_per_tick, 882);
  const auto rows = playing.play_reading(13, [](PlayingModule& p) { return int{p.module().row}; });
  EXPECT_EQ(rows, (std::vector<int>{0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 2}));
}

TEST(ReplayTiming, AfterTheLastOrderTheSongGoesOnAtTheRestartPosition) {
  XmSong song = song_with(1, 2, {});
  song.patterns.push_back(song.patterns[0]);
  song.orders = {0, 1, 1};
  song.restart_position = 1;
  song.default_speed = 1;
  PlayingModule playing(song);
  ASSERT_TRUE(playing.loaded());
  const auto positions = playing.play_reading(9, order_and_row);
  EXPECT_EQ(positions, (std::vector<std::pair<int, int>>{
                           {0, 0}, {0, 1}, {1, 0}, {1, 1}, {2, 0}, {2, 1}, {1, 0}, {1, 1}, {2, 0}}));
}

TEST(ReplayTiming, WithoutChannelsRowsAndOrdersStillAdvance) {
  XmSong song = song_with(1, 2, {{0, 0, {c4, 1, 0, 0, 0}}});
  song.orders = {0, 0};
  song.default_speed = 1;
  PlayingModule playing(song);
  ASSERT_TRUE(playing.loaded());
  music::stop_replay(playing.module());
  playing.module().channel_count = 0;
  ASSERT_TRUE(music::start_replay(playing.module()));
  const auto positions = playing.play_reading(5, order_and_row);
  EXPECT_EQ(positions, (std::vector<std::pair<int, int>>{{0, 0}, {0, 1}, {1, 0}, {1, 1}, {0, 0}}));
  EXPECT_EQ(playing.voice(0).sample, nullptr);  // the note on channel 0 was never read
}

TEST(ReplayPeriods, NotesOnBothTables) {
  struct Case {
    const char* what;
    std::uint16_t flags;
    std::uint8_t note;
    std::int8_t relative_note;
    std::int8_t finetune;
    int period;
    int hz;
  };
  const Case cases[] = {
      {"C-4 linear", music::flag_linear_periods, c4, 0, 0, 4608, 8363},
      {"C-4 Amiga", 0, c4, 0, 0, 1712, 8362},
      {"C-5 linear", music::flag_linear_periods, c4 + 12, 0, 0, 3840, 16726},
      {"C-3 linear", music::flag_linear_periods, c4 - 12, 0, 0, 5376, 4181},
      {"relative note +12", music::flag_linear_periods, c4, 12, 0, 3840, 16726},
      {"finetune -3 adds 1 (-3/2 truncates to -1)", music::flag_linear_periods, c4, 0, -3, 4609, 8355},
      {"finetune 64 on the Amiga table", 0, c4, 0, 64, 1664, 8604},
      // Note 0 - 5 wraps to 251: a very high period step down, held at the highest frequency.
      {"wrapped relative note", music::flag_linear_periods, 1, -5, 0, 7680 - 64 * 251, 705600},
  };
  for (const Case& c : cases) {
    XmSong song = song_with(1, 1, {{0, 0, {c.note, 1, 0, 0, 0}}});
    song.flags = c.flags;
    song.instruments[0].samples[0].relative_note = c.relative_note;
    song.instruments[0].samples[0].finetune = c.finetune;
    PlayingModule playing(song);
    ASSERT_TRUE(playing.loaded());
    playing.play();
    EXPECT_EQ(playing.channel(0).period, c.period) << c.what;
    EXPECT_EQ(playing.channel(0).note_period, c.period) << c.what;
    EXPECT_EQ(music::voice_frequency(playing.voice(0)), c.hz) << c.what;
  }
}

TEST(ReplayPeriods, AmigaTable) {
  const std::pair<std::pair<int, int>, int> cases[] = {
      {{48, 0}, 1712}, {{48, 64}, 1664}, {{48, -64}, 1762}, {{49, 0}, 1615}, {{60, 0}, 856},
      // Note 0 measures its finetune against the semitone above, also when it is negative.
      {{0, -128}, 27392 + (27392 - 25854)}};
  for (const auto& [args, period] : cases) {
    EXPECT_EQ(music::amiga_period(args.first, args.second), period) << args.first << ", " << args.second;
  }
}

TEST(ReplayVoices, StepForFrequency) {
  struct Case {
    int hz;
    std::uint32_t step;
    std::uint32_t fraction;
  };
  const Case cases[] = {
      {8363, 0, 814485521u}, {44100, 1, 0}, {800000, 16, 0}, {705600, 16, 0}, {50, 0, 9739154u}, {-5, 0, 9739154u},
  };
  music::open_voice_pool(music::intro_mix_rate);
  for (const Case& c : cases) {
    music::Voice voice;
    music::voice_set_frequency(voice, c.hz);
    EXPECT_EQ(voice.step, c.step) << c.hz;
    EXPECT_EQ(voice.step_fraction, c.fraction) << c.hz;
  }
}

TEST(ReplayVoices, StartStopAndAClosedPool) {
  music::Sample sample;
  sample.length = 100;
  sample.loop_start = 20;
  sample.loop_length = 60;
  music::open_voice_pool(music::intro_mix_rate);
  music::Voice& voice = music::sound_system.voice_pool.voices[3];
  voice.start_offset = 79;
  EXPECT_EQ(music::voice_start(3, &sample), 3);
  EXPECT_EQ(voice.position, 79u);
  EXPECT_EQ(voice.start_offset, 0u);
  EXPECT_EQ(voice.direction, music::direction_forward);
  voice.start_offset = 80;  // the loop end: starts from the beginning
  music::voice_start(3, &sample);
  EXPECT_EQ(voice.position, 0u);
  music::voice_stop(3);
  EXPECT_EQ(voice.sample, nullptr);

  EXPECT_EQ(music::voice_start(3, nullptr), -1);
  EXPECT_EQ(music::voice_start(256, &sample), -1);
  music::sound_system.voice_pool = music::VoicePool{};
  EXPECT_EQ(music::voice_start(3, &sample), -1);
  EXPECT_FALSE(music::open_voice_pool(0));
}

TEST(ReplayVoices, VolumeAndPanningSent) {
  struct Case {
    const char* what;
    int volume, envelope, fadeout, global_volume, panning, panning_envelope;
    int voice_volume, voice_panning, left, right;
  };
  const Case cases[] = {
      {"full scale", 64, 64, 65536, 64, 128, 32, 127, 128, 63, 63},
      {"volume 0", 0, 64, 65536, 64, 128, 32, 0, 128, 0, 0},
      {"envelope 0", 64, 0, 65536, 64, 128, 32, 0, 128, 0, 0},
      {"faded out", 64, 64, 0, 64, 128, 32, 0, 128, 0, 0},
      {"global volume 0", 64, 64, 65536, 0, 128, 32, 0, 128, 0, 0},
      {"half", 32, 64, 65536, 64, 128, 32, 63, 128, 31, 31},
      {"centre swung right by the envelope", 64, 64, 65536, 64, 128, 64, 127, 256, 0, 127},
      {"centre swung left", 64, 64, 65536, 64, 128, 0, 127, 0, 127, 0},
      {"one envelope step moves the centre by 4", 64, 64, 65536, 64, 128, 33, 127, 132, 61, 65},
      {"the edge does not move", 64, 64, 65536, 64, 255, 0, 127, 255, 0, 127},
      {"a quarter of the room to the nearer edge", 64, 64, 65536, 64, 96, 64, 127, 192, 31, 95},
  };
  PlayingModule playing(song_with(1, 1, {}));
  ASSERT_TRUE(playing.loaded());
  for (const Case& c : cases) {
    music::Channel& channel = playing.channel(0);
    channel.volume = c.volume;
    channel.volume_env_output = c.envelope;
    channel.fadeout_volume = c.fadeout;
    channel.panning = c.panning;
    channel.panning_env_output = c.panning_envelope;
    playing.module().global_volume = c.global_volume;
    channel.update_flags = music::update_volume | music::update_panning;
    music::update_voice(channel, music::empty_sample, playing.module());
    const music::Voice& voice = playing.voice(0);
    EXPECT_EQ(voice.volume, c.voice_volume) << c.what;
    EXPECT_EQ(voice.panning, c.voice_panning) << c.what;
    EXPECT_EQ(voice.left, c.left) << c.what;
    EXPECT_EQ(voice.right, c.right) << c.what;
  }
}

TEST(ReplayEnvelopes, OutputsTickByTick) {
  struct Case {
    const char* what;
    music::XmEnvelope volume_envelope;
    std::vector<int> outputs;  // after each tick from the note's first
    bool done;
  };
  const Case cases[] = {
      {"two points, then the last for good", envelope({{0, 64}, {10, 32}}, music::envelope_on),
       {64, 60, 57, 54, 51, 48, 44, 41, 38, 35, 32, 32, 32}, true},
      {"held at the sustain point",
       envelope({{0, 64}, {4, 32}, {8, 0}}, music::envelope_on | music::envelope_sustain, 1),
       {64, 56, 48, 40, 32, 32, 32, 32, 32}, false},
      {"a loop whose end is the last point never ends",
       envelope({{0, 64}, {2, 32}, {4, 0}}, music::envelope_on | music::envelope_loop, 0, 1, 2),
       {64, 48, 32, 16, 32, 16, 32, 16, 32}, false},
      // The second of two points at one tick is reached at once instead of holding the walk for ever.
      {"two points at the same tick", envelope({{0, 64}, {0, 32}, {4, 0}}, music::envelope_on),
       {64, 32, 24, 16, 0, 0}, true},
  };
  for (const Case& c : cases) {
    XmSong song = song_with(1, 1, {{0, 0, {c4, 1, 0, 0, 0}}});
    song.default_speed = 31;
    song.instruments[0].volume_envelope = c.volume_envelope;
    PlayingModule playing(song);
    ASSERT_TRUE(playing.loaded());
    std::vector<int> outputs;
    for (std::size_t i = 0; i < c.outputs.size(); ++i) {
      playing.play();
      outputs.push_back(playing.channel(0).volume_env_output);
    }
    EXPECT_EQ(outputs, c.outputs) << c.what;
    EXPECT_EQ(playing.channel(0).volume_env_done, c.done) << c.what;
  }
}

TEST(ReplayEnvelopes, SustainHoldsTheTickUntilKeyOffThenFadesOut) {
  XmSong song = song_with(1, 3, {{0, 0, {c4, 1, 0, 0, 0}}, {2, 0, {key_off, 0, 0, 0, 0}}});
  song.instruments[0].volume_envelope =
      envelope({{0, 64}, {4, 32}, {8, 0}}, music::envelope_on | music::envelope_sustain, 1);
  song.instruments[0].fadeout = 100;  // stored halved: 200 per tick
  PlayingModule playing(song);
  ASSERT_TRUE(playing.loaded());
  playing.play(12);  // rows 0 and 1: the envelope reaches the sustain point at tick 4 and stays there
  EXPECT_EQ(playing.channel(0).volume_env_tick, 4);
  EXPECT_EQ(playing.channel(0).volume_env_output, 32);
  EXPECT_EQ(playing.channel(0).fadeout_volume, 65536);
  playing.play();  // the key off: the sustain point is passed
  EXPECT_EQ(playing.channel(0).key_off, 1);
  EXPECT_EQ(playing.channel(0).volume_env_tick, 5);
  EXPECT_EQ(playing.channel(0).volume_env_output, 32);
  EXPECT_EQ(playing.channel(0).fadeout_volume, 65536 - 200);
  playing.play(2);
  EXPECT_EQ(playing.channel(0).volume_env_output, 16);
  EXPECT_EQ(playing.channel(0).fadeout_volume, 65536 - 600);
}

TEST(ReplayEnvelopes, KeyOffWithoutVolumeEnvelopeSilencesAtOnce) {
  struct Case {
    const char* what;
    PatternCell release;
  };
  const Case cases[] = {{"note 97", {key_off, 0, 0, 0, 0}}, {"effect K", {0, 0, 0, 20, 0}}};
  for (const Case& c : cases) {
    PlayingModule playing(song_with(1, 2, {{0, 0, {c4, 1, 0, 0, 0}}, {1, 0, c.release}}));
    ASSERT_TRUE(playing.loaded());
    playing.play(6);
    EXPECT_EQ(playing.voice(0).volume, 127) << c.what;
    playing.play();
    EXPECT_EQ(playing.channel(0).volume_env_output, 0) << c.what;
    EXPECT_EQ(playing.voice(0).volume, 0) << c.what;
  }
}

TEST(ReplayEnvelopes, PanningEnvelopeSwingsTheVoice) {
  XmSong song = song_with(1, 1, {{0, 0, {c4, 1, 0, 0, 0}}});
  song.default_speed = 31;
  song.instruments[0].panning_envelope = envelope({{0, 32}, {2, 64}, {4, 0}}, music::envelope_on);
  PlayingModule playing(song);
  ASSERT_TRUE(playing.loaded());
  const auto panning = playing.play_reading(6, [](PlayingModule& p) { return int{p.voice(0).panning}; });
  EXPECT_EQ(panning, (std::vector<int>{128, 192, 256, 128, 0, 0}));
}

TEST(ReplayInstruments, InstrumentWithoutNoteResetsWithoutRestart) {
  XmSong song = song_with(1, 3,
                          {{0, 0, {c4, 1, 0x20, 0, 0}},  // volume 16
                           {1, 0, {0, 1, 0, 0, 0}},
                           {2, 0, {c4, 0, 0, 0, 0}}});
  song.default_speed = 1;
  song.instruments[0].samples[0].panning = 40;
  PlayingModule playing(song);
  ASSERT_TRUE(playing.loaded());
  playing.play();
  EXPECT_EQ(playing.channel(0).volume, 16);
  playing.channel(0).panning = 200;
  playing.voice(0).position = 77;  // where the mixer got to
  playing.play();
  EXPECT_EQ(playing.channel(0).volume, 64);
  EXPECT_EQ(playing.channel(0).panning, 40);
  EXPECT_EQ(playing.voice(0).position, 77u);
  playing.play();  // a note without instrument restarts the sample
  EXPECT_EQ(playing.voice(0).position, 0u);
}

TEST(ReplayInstruments, TonePortamentoNoteOnlySetsTheTarget) {
  struct Case {
    const char* what;
    PatternCell slide;
    int note;                  // the channel's note after the row
    std::vector<int> periods;  // after each tick of the row
    int volume;                // at the row's end
  };
  // D-4 is period 4480, 128 below C-4. Speed 8 slides 32 per tick; the remembered 6 slides 24.
  const Case cases[] = {
      {"3 with its own speed keeps the note", {c4 + 2, 0, 0, 3, 8}, c4 - 1, {4608, 4576, 4544, 4512, 4480, 4480}, 64},
      {"5 slides at the remembered speed, and the volume", {c4 + 2, 0, 0, 5, 0x01}, c4 - 1,
       {4608, 4584, 4560, 4536, 4512, 4488}, 59},
      // The volume column's portamento does not make a portamento row: the note sets the period at once.
      {"the volume column's portamento takes the note", {c4 + 2, 0, 0xF1, 0, 0}, c4 + 1,
       {4480, 4480, 4480, 4480, 4480, 4480}, 64},
  };
  for (const Case& c : cases) {
    PlayingModule playing(song_with(1, 3, {{0, 0, {c4, 1, 0, 0, 0}}, {1, 0, {0, 0, 0, 3, 6}}, {2, 0, c.slide}}));
    ASSERT_TRUE(playing.loaded());
    playing.play(12);
    playing.voice(0).position = 77;  // where the mixer got to
    const auto periods = playing.play_reading(6, [](PlayingModule& p) { return int{p.channel(0).period}; });
    EXPECT_EQ(playing.channel(0).note, c.note) << c.what;
    EXPECT_EQ(periods, c.periods) << c.what;
    EXPECT_EQ(playing.channel(0).note_period, 4480) << c.what;
    EXPECT_EQ(playing.channel(0).porta_target, 4480) << c.what;
    EXPECT_EQ(playing.channel(0).volume, c.volume) << c.what;
    EXPECT_EQ(playing.voice(0).position, 77u) << c.what << ": the sample was restarted";
  }
}

}  // namespace
