// The float mixer on samples made in the test: interpolation, volume ramps, loop ends and the 16-bit
// conversion, each checked frame by frame against values worked out by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "music/mixer.h"

namespace {

constexpr std::int16_t sentinel = 30000;  // stands outside every loop: a read of it shows in the output
const music::VolumeRamp ramp_of_128 = music::volume_ramp_for(44100);

// A sample with `frames` and the loop the loader would give it, guard word included; the spare words
// after the data hold the sentinel.
music::Sample make_sample(const std::vector<std::int16_t>& frames, std::uint8_t loop_type, std::uint32_t loop_start,
                          std::uint32_t loop_length) {
  music::Sample s;
  s.length = static_cast<std::uint32_t>(frames.size());
  s.data = std::make_unique<std::int16_t[]>(frames.size() + music::sample_spare_words);
  std::fill(s.data.get(), s.data.get() + frames.size() + music::sample_spare_words, sentinel);
  std::copy(frames.begin(), frames.end(), s.data.get());
  s.loop_type = loop_type;
  s.loop_start = loop_start;
  s.loop_length = loop_length;
  const std::uint32_t end = loop_start + loop_length;
  s.data[end] = loop_type == music::loop_ping_pong ? s.data[end - 1]
                : loop_type == music::loop_forward   ? s.data[loop_start]
                                                     : std::int16_t{0};
  return s;
}

// A voice on the sample at `position`, `step` frames per output frame, full level on the left only, with
// no ramp pending.
music::Voice& playing_voice(music::VoicePool& pool, const music::Sample& sample, double step,
                            std::uint32_t position = 0) {
  music::Voice& v = pool.voices[0];
  v.sample = &sample;
  v.position = position;
  v.step = static_cast<std::uint32_t>(step);
  v.step_fraction = static_cast<std::uint32_t>((step - std::floor(step)) * 4294967296.0);
  v.direction = music::direction_forward;
  v.left = v.current_left = v.ramp_target_left = 255;
  return v;
}

// The left channel of `frames` mixed frames, mixed in calls of the given lengths.
std::vector<float> mix_left(music::VoicePool& pool, int frames, const std::vector<int>& calls = {}) {
  std::vector<float> out(2 * static_cast<std::size_t>(frames), 0.0f);
  int done = 0;
  for (int n : calls) {
    music::mix_voices(out.data() + 2 * done, pool, n, ramp_of_128);
    done += n;
  }
  music::mix_voices(out.data() + 2 * done, pool, frames - done, ramp_of_128);
  std::vector<float> left;
  for (int i = 0; i < frames; ++i) left.push_back(out[2 * static_cast<std::size_t>(i)]);
  return left;
}

TEST(Mixer, InterpolatesLinearlyBetweenNeighbours) {
  const music::Sample sample = make_sample({0, 1000, -1000, 400, 400, 400, 400, 400}, music::loop_forward, 0, 8);
  struct Case {
    double step;
    std::vector<float> expected;
  };
  const Case cases[] = {
      {1.0, {0, 1000, -1000, 400}},
      {0.5, {0, 500, 1000, 0, -1000, -300}},
      {0.25, {0, 250, 500, 750, 1000, 500}},
      {1.5, {0, 0, 400, 400}},
  };
  for (const Case& c : cases) {
    music::VoicePool pool;
    playing_voice(pool, sample, c.step);
    const std::vector<float> left = mix_left(pool, static_cast<int>(c.expected.size()));
    for (std::size_t i = 0; i < c.expected.size(); ++i) {
      EXPECT_NEAR(left[i], c.expected[i], 0.01) << "step " << c.step << " frame " << i;
    }
  }
}

// Long runs, steady or under a volume ramp, whichever way the frames are grouped inside the mixer, give
// exactly the sum of the interpolation frame by frame: word at the position plus the difference to the
// next word times the fraction (its top 31 bits), times the gain; from frame to frame the fraction's
// lowest bit is cleared and the step added, and a ramp's gain grows by its step, summed frame by frame.
TEST(Mixer, LongRunsSumExactlyTheInterpolationOfEveryFrame) {
  std::vector<std::int16_t> frames(4000);
  for (std::size_t i = 0; i < frames.size(); ++i) frames[i] = static_cast<std::int16_t>((i * 7919) % 65536 - 32768);
  const music::Sample sample = make_sample(frames, music::loop_forward, 0, 4000);
  const float gain = 200.0f * (1.0f / 255.0f);  // the level times the mixer's 1/255
  const float ramp_step = 200.0f * (1.0f / 255.0f) * ramp_of_128.reciprocal;
  for (const bool ramped : {false, true}) {
    for (const std::uint64_t step : {std::uint64_t{0x0000'0001'0000'0001}, std::uint64_t{0x0000'0000'B333'3333},
                                     std::uint64_t{0x0000'0003'F000'0007}, std::uint64_t{0x0000'000F'FFFF'FFFF}}) {
      music::VoicePool pool;
      music::Voice& voice = playing_voice(pool, sample, 0, 5);
      voice.position_fraction = 0xFFFF'FF00u;
      voice.step = static_cast<std::uint32_t>(step >> 32);
      voice.step_fraction = static_cast<std::uint32_t>(step);
      voice.left = voice.current_left = voice.ramp_target_left = 200;
      if (ramped) voice.current_left = voice.ramp_target_left = 0;  // from silence over the first 128 frames
      std::uint64_t position = (std::uint64_t{5} << 32) | voice.position_fraction;
      float ramp_gain = 0;
      const int count = static_cast<int>((std::uint64_t{3990} << 32) / step) - 2;
      const std::vector<float> left = mix_left(pool, count, {3, 1, 6});
      for (int i = 0; i < count; ++i, position = (position & ~std::uint64_t{1}) + step) {
        const auto index = static_cast<std::size_t>(position >> 32);
        const float fraction = static_cast<float>(static_cast<std::uint32_t>(position) >> 1) * (1.0f / 2147483648.0f);
        const float d0 = frames[index];
        const float s = d0 + (static_cast<float>(frames[index + 1]) - d0) * fraction;
        const bool in_ramp = ramped && i < ramp_of_128.frames;
        ASSERT_EQ(left[i], 0.0f + s * (in_ramp ? ramp_gain : gain))
            << "step " << step << " frame " << i << (ramped ? ", ramped" : "");
        if (in_ramp) ramp_gain += ramp_step;
      }
    }
  }
}

// The position's way, frame by frame, forward and backward, with and without a volume ramp and however
// the frames are split into calls: the fraction's lowest bit is cleared, then the step is added (taken
// off backward).
TEST(Mixer, EveryFrameClearsTheFractionsLowestBitAndThenAddsTheStep) {
  const music::Sample sample = make_sample(std::vector<std::int16_t>(4000, 500), music::loop_ping_pong, 0, 4000);
  const struct {
    std::int32_t direction;
    bool ramped;
    std::uint64_t step;
  } cases[] = {{music::direction_forward, false, 0x0000'0001'2345'6789}, {music::direction_forward, true, 0x0000'0000'0000'0003},
               {music::direction_backward, false, 0x0000'0002'0000'0001}, {music::direction_backward, true, 0x0000'0000'8000'0001},
               {music::direction_forward, false, 0x0000'0001'0000'0000}};
  for (const auto& c : cases) {
    music::VoicePool pool;
    music::Voice& voice = playing_voice(pool, sample, 0, 2000);
    voice.position_fraction = 0x1234'5677;  // odd: the first frame clears its lowest bit as well
    voice.step = static_cast<std::uint32_t>(c.step >> 32);
    voice.step_fraction = static_cast<std::uint32_t>(c.step);
    voice.direction = c.direction;
    if (c.ramped) voice.current_left = voice.ramp_target_left = 0;  // a ramp runs over the first 128 frames
    std::uint64_t expected = (std::uint64_t{2000} << 32) | voice.position_fraction;
    for (int frame = 0; frame < 300; ++frame) {
      expected = (expected & ~std::uint64_t{1}) + (c.direction == music::direction_forward ? c.step : 0 - c.step);
    }
    mix_left(pool, 300, {1, 2, 5, 100});
    EXPECT_EQ((std::uint64_t{voice.position} << 32) | voice.position_fraction, expected)
        << "step " << c.step << ", direction " << c.direction << (c.ramped ? ", ramped" : "");
  }
}

TEST(Mixer, TheLastFrameOfASampleWithoutLoopFadesToSilence) {
  const music::Sample sample = make_sample({0, 1000}, music::loop_none, 0, 2);
  music::VoicePool pool;
  music::Voice& voice = playing_voice(pool, sample, 0.5);
  const std::vector<float> left = mix_left(pool, 6);
  EXPECT_EQ(left, (std::vector<float>{0, 500, 1000, 500, 0, 0}));
  EXPECT_EQ(voice.sample, nullptr);
}

TEST(Mixer, LevelChangesRampLinearlyOver128FramesHoweverTheFramesAreSplit) {
  // A constant sample with a short forward loop: loop ends split the ramp too.
  const music::Sample sample = make_sample(std::vector<std::int16_t>(10, 1000), music::loop_forward, 0, 10);
  const std::vector<std::vector<int>> splits = {{}, {50}, {1, 127}, {64, 30, 3}, {127}, {128}, {1, 1, 1, 1, 1, 1}};
  const float final_gain = 127.0f / 255.0f;
  for (const std::vector<int>& split : splits) {
    music::VoicePool pool;
    music::Voice& voice = playing_voice(pool, sample, 1.0);
    voice.left = 127;
    voice.current_left = voice.ramp_target_left = 0;
    const std::vector<float> left = mix_left(pool, 200, split);
    SCOPED_TRACE(::testing::PrintToString(split));
    for (int i = 0; i < 128; ++i) {
      // The ramp goes on from the gain it reached, not from the level rounded where a segment ended.
      EXPECT_NEAR(left[i], 1000.0f * final_gain * static_cast<float>(i) / 128.0f, 0.05f)
          << "frame " << i;
    }
    for (int i = 128; i < 200; ++i) EXPECT_NEAR(left[i], 1000.0f * final_gain, 0.01f) << "frame " << i;
    EXPECT_EQ(voice.current_left, 127);
    EXPECT_EQ(voice.ramp_frames_left, 0);
  }
}

TEST(Mixer, ForwardLoopsWrapWithoutGapAndOneShotsEndExactly) {
  const std::vector<std::int16_t> frames = {100, 200, 300, 400, 500};
  struct Case {
    const char* what;
    std::uint8_t loop_type;
    std::uint32_t loop_start, loop_length;
    std::vector<float> expected;
    bool still_playing;
  };
  const Case cases[] = {
      {"forward loop over 1..4", music::loop_forward, 1, 3, {100, 200, 300, 400, 200, 300, 400, 200, 300}, true},
      {"forward loop over everything", music::loop_forward, 0, 5, {100, 200, 300, 400, 500, 100, 200, 300, 400}, true},
      {"no loop", music::loop_none, 0, 5, {100, 200, 300, 400, 500, 0, 0, 0, 0}, false},
  };
  for (const Case& c : cases) {
    const music::Sample sample = make_sample(frames, c.loop_type, c.loop_start, c.loop_length);
    music::VoicePool pool;
    music::Voice& voice = playing_voice(pool, sample, 1.0);
    // In two calls, so that the loop end falls inside one of them.
    const std::vector<float> left = mix_left(pool, static_cast<int>(c.expected.size()), {3});
    for (std::size_t i = 0; i < c.expected.size(); ++i) EXPECT_EQ(left[i], c.expected[i]) << c.what << " frame " << i;
    EXPECT_EQ(voice.sample != nullptr, c.still_playing) << c.what;
    if (!c.still_playing) {
      EXPECT_EQ(voice.position, 0u) << c.what;
    }
  }
}

TEST(Mixer, PingPongLoopsTurnAtBothEndsAndReadNothingOutsideTheLoop) {
  // Frames outside the loop 2..5 hold the sentinel; inside, values rise so the direction shows.
  const std::vector<std::int16_t> frames = {sentinel, sentinel, 100, 200, 300, 400, sentinel, sentinel};
  const double steps[] = {1.0, 0.7, 0.25, 2.5, 3.3, 7.9};
  for (double step : steps) {
    const music::Sample sample = make_sample(frames, music::loop_ping_pong, 2, 4);
    music::VoicePool pool;
    music::Voice& voice = playing_voice(pool, sample, step, 2);
    const std::vector<float> left = mix_left(pool, 400, {1, 7, 100});
    int rises = 0, falls = 0;
    for (std::size_t i = 0; i < left.size(); ++i) {
      ASSERT_TRUE(left[i] >= 100.0f && left[i] <= 400.0f) << "step " << step << " frame " << i << ": " << left[i];
      if (i > 0 && left[i] > left[i - 1]) ++rises;
      if (i > 0 && left[i] < left[i - 1]) ++falls;
    }
    EXPECT_GT(rises, 0) << "step " << step;
    EXPECT_GT(falls, 0) << "step " << step;
    EXPECT_TRUE(voice.position >= 2 && voice.position < 6) << "step " << step;
  }
}

// Every loop end costs a voice at least one frame, whatever its length, position, step and direction: a
// voice that lands exactly on a loop end turns there. The call returning at all is half the test; the
// other half is that nothing outside the loop plus its guard word is read.
TEST(Mixer, VoicesMakeProgressAtEveryLoopEndAndStayInsideTheLoop) {
  constexpr std::uint64_t unit = 1;  // 2^-32 frames
  constexpr std::uint64_t one = std::uint64_t{1} << 32;
  const std::uint64_t steps[] = {unit, one / 3, one / 2, one - unit, one, one + unit, 3 * one / 2, 2 * one,
                                 3 * one, 5 * one, 15 * one + one / 2};
  struct Loop {
    std::uint8_t type;
    std::uint32_t start, length;
  };
  const Loop loops[] = {{music::loop_ping_pong, 0, 1}, {music::loop_ping_pong, 0, 2}, {music::loop_ping_pong, 0, 3},
                        {music::loop_ping_pong, 2, 1}, {music::loop_ping_pong, 2, 2}, {music::loop_ping_pong, 1, 5},
                        {music::loop_forward, 0, 1},   {music::loop_forward, 0, 2},   {music::loop_forward, 2, 3}};
  for (const Loop& loop : loops) {
    std::vector<std::int16_t> frames(loop.start + loop.length + 2, sentinel);
    for (std::uint32_t i = 0; i < loop.length; ++i) frames[loop.start + i] = static_cast<std::int16_t>(100 * (i + 1));
    const music::Sample sample = make_sample(frames, loop.type, loop.start, loop.length);
    const std::uint64_t start = std::uint64_t{loop.start} << 32;
    const std::uint64_t end = std::uint64_t{loop.start + loop.length} << 32;
    for (const std::uint64_t position : {start, start + unit, start + one / 2, end - unit}) {
      for (const std::int32_t direction : {music::direction_forward, music::direction_backward}) {
        for (const std::uint64_t step : steps) {
          SCOPED_TRACE(::testing::Message() << "loop " << int{loop.type} << " " << loop.start << "+" << loop.length
                                            << ", position " << position << ", step " << step << ", direction "
                                            << direction);
          music::VoicePool pool;
          music::Voice& voice = playing_voice(pool, sample, 0, static_cast<std::uint32_t>(position >> 32));
          voice.position_fraction = static_cast<std::uint32_t>(position);
          voice.step = static_cast<std::uint32_t>(step >> 32);
          voice.step_fraction = static_cast<std::uint32_t>(step);
          voice.direction = direction;
          for (float v : mix_left(pool, 300, {1, 2, 5})) {
            ASSERT_TRUE(v >= 100.0f && v <= 100.0f * static_cast<float>(loop.length)) << v;
          }
          const std::uint64_t reached = (std::uint64_t{voice.position} << 32) | voice.position_fraction;
          EXPECT_TRUE(reached >= start && reached < end) << reached;
          ASSERT_NE(voice.sample, nullptr);
        }
      }
    }
  }
}

// The hang once found in a song: a ping-pong loop from frame 0, three frames long, run backward onto its
// first frame. Played at E-4 with finetune 10 the voice lands there exactly.
TEST(Mixer, APingPongLoopFromFrameZeroTurnsOnItsFirstFrame) {
  const music::Sample sample = make_sample({100, 200, 300}, music::loop_ping_pong, 0, 3);
  music::VoicePool pool;
  music::Voice& voice = playing_voice(pool, sample, 1.0, 1);
  voice.direction = music::direction_backward;
  const std::vector<float> left = mix_left(pool, 8);
  // Frame 0 is played once at the turn; at the other end the position comes back one unit short of 3, so
  // the guard word repeats frame 2 and the next two frames stay at 300 within the interpolation.
  EXPECT_EQ(left, (std::vector<float>{200, 100, 200, 300, 300, 300, 200, 100}));
  EXPECT_EQ(voice.direction, music::direction_forward);
}

TEST(Mixer, VoicesWithoutDataOrFrequencyStayInsideTheirSample) {
  const music::Sample sample = make_sample({700, 800, 900}, music::loop_none, 0, 3);
  struct Case {
    const char* what;
    const music::Sample* sample;
    double step;
    float expected;  // every frame
    bool still_playing;
  };
  const Case cases[] = {
      {"empty sample, with a frequency", &music::empty_sample, 1.0, 0, false},
      {"empty sample, never given a frequency", &music::empty_sample, 0.0, 0, false},
      {"a sample, never given a frequency", &sample, 0.0, 700, true},
  };
  for (const Case& c : cases) {
    music::VoicePool pool;
    music::Voice& voice = playing_voice(pool, *c.sample, c.step);
    for (float v : mix_left(pool, 64)) EXPECT_EQ(v, c.expected) << c.what;
    EXPECT_EQ(voice.sample != nullptr, c.still_playing) << c.what;
  }
}

// Every value at every place in the block: the conversion runs several samples at a time and the last
// few one by one.
TEST(ConvertBlock, RoundsHalvesToEvenAndClips) {
  const std::vector<float> values = {0.5f,     1.5f,     2.5f,      -0.5f,     -1.5f,   100.49f, 32767.4f,
                                     32767.5f, 40000.0f, -32768.4f, -32768.6f, -1.0e9f, 1.0e10f, 0.0f,
                                     -2.5f,    -0.0f};
  const std::vector<std::int16_t> expected = {0,     2,     2,      0,      -2,     100,   32767, 32767,
                                              32767, -32768, -32768, -32768, 32767, 0,     -2,    0};
  for (std::size_t shift = 0; shift < values.size(); shift += 2) {
    std::vector<float> in = values;
    std::vector<std::int16_t> wanted = expected;
    std::rotate(in.begin(), in.begin() + static_cast<std::ptrdiff_t>(shift), in.end());
    std::rotate(wanted.begin(), wanted.begin() + static_cast<std::ptrdiff_t>(shift), wanted.end());
    for (const std::size_t frames : {in.size() / 2, in.size() / 2 - 1}) {
      std::vector<std::int16_t> out(2 * frames, 1);
      music::convert_block(out.data(), in.data(), static_cast<std::int32_t>(frames));
      EXPECT_EQ(out, std::vector<std::int16_t>(wanted.begin(), wanted.begin() + static_cast<std::ptrdiff_t>(2 * frames)))
          << "shifted by " << shift << ", " << frames << " frames";
    }
  }
}

TEST(ConvertBlock, NothingForNoFramesOrNoBuffer) {
  const float in[2] = {5, 5};
  std::int16_t out[2] = {1, 1};
  music::convert_block(out, in, 0);
  music::convert_block(out, in, -3);
  music::convert_block(nullptr, in, 1);
  music::convert_block(out, nullptr, 1);
  EXPECT_EQ(out[0], 1);
  EXPECT_EQ(out[1], 1);
}

TEST(VolumeRamp, LastsAsLongInTimeAtEveryRate) {
  const struct {
    std::int32_t rate, frames;
  } cases[] = {{44100, 128}, {22050, 64}, {48000, 139}, {100, 1}};
  for (const auto& c : cases) {
    const music::VolumeRamp ramp = music::volume_ramp_for(c.rate);
    EXPECT_EQ(ramp.frames, c.frames) << c.rate;
    EXPECT_FLOAT_EQ(ramp.reciprocal, 1.0f / static_cast<float>(c.frames)) << c.rate;
  }
}

}  // namespace
