// The sound system on the headless wave device: buffer geometry, opening and its failures, tick timing
// across block borders, identical renders, and starting and stopping while the wave thread runs.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "music/channel.h"
#include "music/file_callbacks.h"
#include "music/offline_render.h"
#include "music/sound_system.h"
#include "music/wave_thread.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "support/sound_fixture.h"
#include "support/xm_fixture.h"

namespace {

// The next `blocks` blocks of the program's sound system, which must be open on a device paced by its caller.
std::vector<std::int16_t> rendered_blocks(std::int64_t blocks) {
  std::vector<std::int16_t> out;
  EXPECT_TRUE(music::render_blocks(blocks, out)) << "the sound system is not open on a device paced by its caller";
  return out;
}

using SoundSystemTest = test_support::FreshSoundSystem;

TEST_F(SoundSystemTest, GeometryFollowsRateAndBufferLength) {
  const struct {
    std::int32_t buffer_ms, rate, stored_ms, block, total, blocks, ramp;
  } cases[] = {
      {200, 44100, 200, 884, 17680, 20, 128},
      {5, 44100, 20, 884, 1768, 2, 128},
      {219, 44100, 200, 884, 17680, 20, 128},
      {40, 22050, 40, 444, 1776, 4, 64},
      {200, 48000, 200, 960, 19200, 20, 139},
  };
  for (const auto& c : cases) {
    music::set_buffer_length(c.buffer_ms);
    ASSERT_TRUE(music::sound_start_with(nullptr, c.rate)) << c.buffer_ms;
    const music::SoundSystem& s = music::sound_system;
    EXPECT_EQ(s.buffer_length_ms, c.stored_ms);
    EXPECT_EQ(s.block_frames, c.block) << c.rate;
    EXPECT_EQ(s.total_frames, c.total) << c.buffer_ms;
    EXPECT_EQ(s.block_count, c.blocks) << c.buffer_ms;
    EXPECT_EQ(s.ramp.frames, c.ramp) << c.rate;
    EXPECT_TRUE(platform::headless::wave_is_open());
    music::close_sound();
    EXPECT_FALSE(platform::headless::wave_is_open());
    EXPECT_TRUE(music::sound_system.thread_done);
  }
}

TEST_F(SoundSystemTest, OpeningFailsWithoutFileOperationsOrDevice) {
  music::set_file_callbacks(nullptr, nullptr, nullptr, nullptr, nullptr);
  EXPECT_FALSE(music::open_sound(44100));
  platform::headless::set_wave_available(false);
  EXPECT_FALSE(music::sound_start_with(nullptr, 44100));
  EXPECT_TRUE(music::file_callbacks.complete()) << "installed as start-up installs them";
  EXPECT_FALSE(music::open_sound(44100));
  EXPECT_FALSE(music::sound_system.open);
  EXPECT_FALSE(music::sound_system.thread.joinable());
}

TEST_F(SoundSystemTest, StartUpWithoutSoundOutputSaysSoAndFails) {
  platform::headless::set_wave_available(false);
  EXPECT_FALSE(music::sound_start("music.xm"));
  EXPECT_EQ(platform::headless::shown_messages(), std::vector<std::string>{"]-ZARN-[: Can't initialize SoundSystem"});
  EXPECT_FALSE(music::sound_system.open);
}

TEST_F(SoundSystemTest, StartUpWithoutTheModuleRunsWithoutMusic) {
  EXPECT_TRUE(music::sound_start("no-such-file.xm"));
  EXPECT_TRUE(music::sound_system.open);
  EXPECT_EQ(music::sound_system.music_module, nullptr);
  EXPECT_FALSE(music::start_module(nullptr));
  EXPECT_FALSE(music::stop_module(nullptr));
  EXPECT_TRUE(platform::headless::shown_messages().empty());
}

TEST(BlockSchedule, RefillsTheBlockTheDeviceHasJustLeft) {
  const struct {
    std::int32_t next, current;
    bool due;
  } cases[] = {{0, 0, false}, {0, 1, true}, {1, 1, false}, {5, 6, true}, {19, 0, true},
               {0, 19, true}, {6, 5, false}, {2, 1, true}, {1, 2, true}};
  for (const auto& c : cases) EXPECT_EQ(music::block_is_due(c.next, c.current, 20), c.due) << c.next << " " << c.current;
}

// A module of one channel whose every tick switches voice 0 between a constant sample and silence: the
// output is a square wave whose edges fall exactly on the ticks.
struct SquareTicks {
  static inline std::int32_t frames_per_tick = 0;
  static inline music::Sample level;

  static void tick(music::Module& module) {
    music::Voice& voice = *module.channels[0].voice;
    voice.sample = voice.sample ? nullptr : &level;
    voice.position = 0;
    module.samples_per_tick = frames_per_tick;
  }
};

constexpr std::int16_t square_level = 1000;

music::Sample constant_sample(std::int16_t value, std::uint32_t frames) {
  music::Sample s;
  s.length = frames;
  s.data = std::make_unique<std::int16_t[]>(frames + music::sample_spare_words);
  std::fill(s.data.get(), s.data.get() + frames + music::sample_spare_words, value);
  s.loop_type = music::loop_forward;
  s.loop_length = frames;
  return s;
}

TEST_F(SoundSystemTest, TicksFallExactlyEveryFramesPerTickAcrossBlocks) {
  SquareTicks::level = constant_sample(square_level, 16);
  for (std::int32_t frames_per_tick : {300, 884, 883, 885, 1000, 2000, 7}) {
    ASSERT_TRUE(music::sound_start_with(nullptr, 44100));
    music::Module module;
    module.channel_count = 1;
    module.default_speed = 6;
    module.default_bpm = 125;
    module.tick_callback = SquareTicks::tick;
    SquareTicks::frames_per_tick = frames_per_tick;
    music::Voice& voice = music::sound_system.voice_pool.voices[0];
    ASSERT_TRUE(music::start_module(&module));
    {
      std::unique_lock<std::mutex> hold = music::hold_idle_mixer();
      voice.step = 1;
      voice.left = voice.current_left = voice.ramp_target_left = 255;
    }
    const std::vector<std::int16_t> out = rendered_blocks(25);  // more than the 20 blocks of the buffer
    music::stop_module(&module);
    music::close_sound();
    for (std::size_t f = 0; f < out.size() / 2; ++f) {
      // The first tick runs before any frame is mixed and switches the sample on.
      const std::int16_t expected = (f / frames_per_tick) % 2 == 0 ? square_level : 0;
      ASSERT_EQ(out[2 * f], expected) << frames_per_tick << " frames per tick, frame " << f;
      ASSERT_EQ(out[2 * f + 1], 0) << frames_per_tick << " frames per tick, frame " << f;
    }
  }
}

std::vector<std::int16_t> render_small_song(std::int64_t blocks) {
  test_support::LoadedModule load = test_support::load_bytes(music::write_xm(test_support::small_song()));
  EXPECT_TRUE(load.module);
  EXPECT_TRUE(music::sound_start_with(nullptr, 44100));
  EXPECT_TRUE(music::start_module(load.module.get()));
  std::vector<std::int16_t> out = rendered_blocks(blocks);
  music::close_sound();
  return out;
}

TEST_F(SoundSystemTest, SameModuleRendersToTheSameBytes) {
  const std::vector<std::int16_t> first = render_small_song(60);
  const std::vector<std::int16_t> second = render_small_song(60);
  ASSERT_EQ(first.size(), 60u * 884 * 2);
  EXPECT_EQ(first, second);
  EXPECT_NE(std::count(first.begin(), first.end(), 0), static_cast<std::ptrdiff_t>(first.size()));
}

// Two systems side by side share nothing but the device: blocks filled in turn on both give each the
// bytes it gives alone.
TEST_F(SoundSystemTest, TwoSystemsInterleavedRenderWhatEachRendersAlone) {
  music::XmSong faster = test_support::small_song();
  faster.default_bpm = 150;
  faster.default_speed = 3;
  faster.orders = {1, 0, 1};
  const music::XmSong songs[] = {test_support::small_song(), faster};
  constexpr std::int64_t blocks = 40;
  struct Render {
    music::SoundSystem sound;
    music::OwnedModule module;  // after the system: released, and out of it, before the system ends
    std::vector<std::int16_t> out;
    void start(const music::XmSong& song) {
      module = test_support::load_bytes(music::write_xm(song)).module;
      ASSERT_TRUE(music::sound_start_with(nullptr, 44100, sound));
      ASSERT_TRUE(music::start_module(module.get(), sound));
    }
    void fill_one() { ASSERT_TRUE(music::render_blocks(1, out, {}, sound)); }
  };
  Render alone[2], together[2];
  for (int i = 0; i < 2; ++i) {
    alone[i].start(songs[i]);
    for (std::int64_t b = 0; b < blocks; ++b) alone[i].fill_one();
    music::close_sound(alone[i].sound);
    together[i].start(songs[i]);
  }
  for (std::int64_t b = 0; b < blocks; ++b) {
    for (Render& r : together) r.fill_one();
  }
  ASSERT_NE(alone[0].out, alone[1].out);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(together[i].out.size(), static_cast<std::size_t>(blocks) * 884 * 2);
    EXPECT_EQ(together[i].out, alone[i].out) << "song " << i;
    EXPECT_EQ(together[i].module->sound, &together[i].sound);
  }
  EXPECT_FALSE(music::sound_system.open);  // the program's own system was never touched
}

// Closing the sound does not stop a module: it stays in the playing list, ticks at the rate of the next
// open and is heard there.
TEST_F(SoundSystemTest, AModulePlayingWhenTheSoundClosesPlaysOnAtTheRateOfTheNextOpen) {
  test_support::LoadedModule load = test_support::load_bytes(music::write_xm(test_support::small_song()));
  music::Module* module = load.module.get();
  ASSERT_TRUE(music::sound_start_with(nullptr, 44100));
  ASSERT_TRUE(music::start_module(module));
  const std::int32_t bpm = module->bpm;
  EXPECT_EQ(module->samples_per_tick, 5 * 44100 / (2 * bpm));
  rendered_blocks(10);
  music::close_sound();
  ASSERT_TRUE(music::open_sound(22050));
  EXPECT_EQ(music::sound_system.playing.next, module);
  EXPECT_TRUE(module->playing);
  EXPECT_EQ(module->samples_per_tick, 5 * 22050 / (2 * bpm));
  const std::vector<std::int16_t> after = rendered_blocks(60);
  EXPECT_NE(std::count(after.begin(), after.end(), 0), static_cast<std::ptrdiff_t>(after.size()));
  music::stop_module(module);
}

TEST_F(SoundSystemTest, NoPlayingModuleFillsSilence) {
  ASSERT_TRUE(music::sound_start_with(nullptr, 44100));
  const std::vector<std::int16_t> out = rendered_blocks(30);
  ASSERT_EQ(out.size(), 30u * 884 * 2);
  EXPECT_EQ(std::count(out.begin(), out.end(), 0), static_cast<std::ptrdiff_t>(out.size()));
}

// The device plays on by itself, as a sound card would, while the test starts, stops and releases.
class SoundThreadTest : public SoundSystemTest {
 protected:
  void SetUp() override {
    SoundSystemTest::SetUp();
    platform::headless::set_wave_paced_by_caller(false);
    device = std::thread([this] {
      while (!device_stop) {
        platform::headless::play_wave_bytes(884 * 4);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
    });
  }
  void TearDown() override {
    device_stop = true;
    device.join();
    SoundSystemTest::TearDown();
  }
  std::atomic<bool> device_stop{false};
  std::thread device;
};

TEST_F(SoundThreadTest, StartStopAndReleaseWhileTheThreadMixes) {
  ASSERT_TRUE(music::sound_start_with(nullptr, 44100));
  for (int round = 0; round < 20; ++round) {
    test_support::LoadedModule load = test_support::load_bytes(music::write_xm(test_support::small_song()));
    music::Module* module = load.module.get();
    ASSERT_TRUE(music::start_module(module));
    ASSERT_TRUE(music::start_module(module));  // a restart while playing
    const std::uint64_t filled = music::sound_system.blocks_filled;
    while (music::sound_system.blocks_filled < filled + 2) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (round % 2 == 0) {
      ASSERT_TRUE(music::stop_module(module));
    }
    load.module.reset();  // released while playing in every other round: it must leave the list first
    EXPECT_EQ(music::sound_system.playing.next, &music::sound_system.playing);
  }
  music::close_sound();
  EXPECT_TRUE(music::sound_system.thread_done);
}

// The wave thread behind a device that moves one block at a time gives the very samples the offline
// render fills directly.
TEST_F(SoundSystemTest, TheWaveThreadFillsTheSamplesTheOfflineRenderFills) {
  constexpr std::int64_t blocks = 45;
  const std::vector<std::int16_t> direct = render_small_song(blocks);
  platform::headless::set_wave_paced_by_caller(false);
  test_support::LoadedModule load = test_support::load_bytes(music::write_xm(test_support::small_song()));
  ASSERT_TRUE(music::sound_start_with(nullptr, 44100));
  ASSERT_TRUE(music::sound_system.thread.joinable());
  ASSERT_TRUE(music::start_module(load.module.get()));
  std::vector<std::int16_t> threaded;
  const music::SoundSystem& sound = music::sound_system;
  for (std::int64_t done = 0; done < blocks; ++done) {
    const auto block = static_cast<std::size_t>(done % sound.block_count);
    platform::headless::play_wave_bytes(884 * 4);
    while (sound.blocks_filled.load() == static_cast<std::uint64_t>(done)) {
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    std::unique_lock<std::mutex> hold = music::hold_idle_mixer();
    const std::int16_t* samples = sound.wave_buffer.get() + block * 884 * 2;
    threaded.insert(threaded.end(), samples, samples + 884 * 2);
  }
  music::close_sound();
  EXPECT_EQ(threaded, direct);
}

TEST_F(SoundThreadTest, ClosingWhileAModulePlaysAndOpeningAgain) {
  test_support::LoadedModule load = test_support::load_bytes(music::write_xm(test_support::small_song()));
  for (int round = 0; round < 10; ++round) {
    ASSERT_TRUE(music::sound_start_with(nullptr, 44100));
    ASSERT_TRUE(music::start_module(load.module.get()));
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    music::close_sound();  // straight after the open too: the thread is always joined
    ASSERT_TRUE(music::open_sound(44100));
    music::close_sound();
  }
  EXPECT_TRUE(music::stop_module(load.module.get()));
}

}  // namespace
