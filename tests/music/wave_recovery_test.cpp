// The wave thread held up (the block lock held) on a sound card that plays only what has been published,
// as the SDL device and the web page's worklet do: the music is heard again within one buffer length of
// the thread running again, however long the stall and in whichever block of the loop it begins, and
// what the card plays is only ever the song's blocks where they were written, or silence.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "music/offline_render.h"
#include "music/sound_system.h"
#include "platform/headless/headless.h"
#include "platform/wave_device.h"
#include "platform/wave_gate.h"
#include "support/sound_fixture.h"
#include "support/xm_fixture.h"

namespace {

constexpr std::uint64_t bytes_per_frame = 4;
constexpr std::uint64_t callback_bytes = 512 * bytes_per_frame;  // what SDL's callback asks for at a time
constexpr std::uint64_t block_bytes = 884 * bytes_per_frame;
constexpr std::uint64_t block_count = 20;
constexpr std::uint64_t buffer_bytes = block_count * block_bytes;  // 0.4 s at 44100 Hz

// The stand-in card. The test moves its clock one callback at a time, so that how often the wave thread
// looks at the position between two callbacks does not hang on the machine's load. It keeps what it
// played, frame by frame at its place in the count, and where each published block lies.
struct GatedCard {
  const std::int16_t* buffer = nullptr;
  std::uint64_t loop_bytes = 0;
  std::atomic<std::uint64_t> played{0};
  std::atomic<std::uint64_t> published{0};
  std::atomic<std::uint64_t> position_reads{0};
  std::atomic<std::uint64_t> last_position_read{0};
  std::vector<std::int16_t> heard;  // interleaved, indexed by the count of frames played
  std::vector<bool> gated;          // per frame played: silence for want of published sound
  std::mutex block_ends_lock;
  std::vector<std::uint64_t> block_ends;  // every publish, in order: the end of the block just filled
};

GatedCard card;

bool card_open(int, const std::uint8_t* buffer, std::uint32_t bytes) {
  card.buffer = reinterpret_cast<const std::int16_t*>(buffer);
  card.loop_bytes = bytes;
  card.played = 0;
  card.published = bytes;  // the zeros the buffer starts with are its first loop
  card.heard.clear();
  card.gated.clear();
  std::lock_guard<std::mutex> hold(card.block_ends_lock);
  card.block_ends.clear();
  return true;
}
std::uint64_t card_bytes_played() {
  const std::uint64_t played = card.played.load();
  card.last_position_read = played;
  ++card.position_reads;
  return played;
}
void card_publish(std::uint64_t bytes) {
  card.published = bytes;
  std::lock_guard<std::mutex> hold(card.block_ends_lock);
  card.block_ends.push_back(bytes);
}
void card_close() {}
void card_keeps_its_priority() {}

const platform::WaveDevice gated_card{card_open, card_bytes_played, card_publish, card_close,
                                      card_keeps_its_priority, true};

// One callback of the card; returns how many of its bytes were silence for want of published sound.
std::uint64_t play_callback() {
  const std::uint64_t played = card.played.load();
  const std::uint64_t ready = platform::wave_bytes_ready(played, card.published.load(), callback_bytes);
  for (std::uint64_t at = played; at < played + callback_bytes; at += bytes_per_frame) {
    const bool open = at < played + ready;
    const std::uint64_t sample = at % card.loop_bytes / 2;
    card.heard.push_back(open ? card.buffer[sample] : std::int16_t{0});
    card.heard.push_back(open ? card.buffer[sample + 1] : std::int16_t{0});
    card.gated.push_back(!open);
  }
  card.played = played + callback_bytes;
  return callback_bytes - ready;
}

// Waits for `done`, for far longer than it ever takes.
template <typename Condition>
bool wait_for(Condition done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::microseconds(100));
  }
  return true;
}

// Waits until the wave thread has looked at the position `reads` more times. It looks once per poll and
// once more inside a fill, so four looks hold at least one whole poll, fill included: at that pace, about
// a poll every 3 ms of the card's 11.6 ms callback, the writer keeps ahead as it does on a real card.
void let_the_wave_thread_poll(std::uint64_t reads = 4) {
  const std::uint64_t seen = card.position_reads.load();
  ASSERT_TRUE(wait_for([&] { return card.position_reads.load() >= seen + reads; })) << "the wave thread stopped";
}

std::uint64_t published_ahead() {
  const std::uint64_t played = card.played.load();
  const std::uint64_t published = card.published.load();
  return published > played ? published - played : 0;
}

// Moves the card on until it plays block `phase` of the loop, never closer than two blocks to the end of
// what is published, then lets the writer fill the buffer ahead again: the steady state a stall breaks.
void play_on_to_block(std::uint64_t phase) {
  while (card.played.load() / block_bytes % block_count != phase) {
    ASSERT_TRUE(wait_for([] { return published_ahead() >= 2 * block_bytes + callback_bytes; }))
        << "the writer does not get ahead of the card";
    ASSERT_EQ(play_callback(), 0u) << "silence while nothing stalled";
  }
  // As far ahead as it may go: every block whose sound a loop earlier the card has played is filled.
  ASSERT_TRUE(wait_for([] { return published_ahead() > (block_count - 1) * block_bytes; }))
      << "the writer did not get a buffer ahead";
}

// The card plays on for `stall_ms` while the test holds the block lock. The next block is due once the
// card has played the sound a loop earlier in its place, which lies within the stall: once the wave thread
// has seen the card there, it waits on the lock to fill the block.
void stall_the_wave_thread(int stall_ms) {
  const std::uint64_t next_block_due_at = card.published.load() + block_bytes - buffer_bytes;
  std::unique_lock<std::mutex> hold = music::hold_idle_mixer();
  const std::uint64_t stall_bytes = static_cast<std::uint64_t>(stall_ms) * 44100 / 1000 * bytes_per_frame;
  for (std::uint64_t played = 0; played < stall_bytes; played += callback_bytes) play_callback();
  ASSERT_GE(card.played.load(), next_block_due_at);
  ASSERT_TRUE(wait_for([&] { return card.last_position_read.load() >= next_block_due_at; }));
}

// Bytes the card plays after the stall before the published sound runs ahead of it again.
std::uint64_t bytes_until_published_runs_ahead() {
  const std::uint64_t stall_end = card.played.load();
  for (;;) {
    let_the_wave_thread_poll();
    if (card.published.load() > card.played.load()) return card.played.load() - stall_end;
    if (card.played.load() - stall_end > 2 * buffer_bytes) return card.played.load() - stall_end;
    play_callback();
  }
}

// What the card played, frame by frame, is the block written for that place (the n-th publish ends the
// n-th block of the offline render) or, where no block was written, silence: never the sound of a loop
// ago, never a block where it was not put.
void expect_only_the_songs_blocks_where_written(const std::vector<std::uint64_t>& block_ends,
                                                const std::vector<std::int16_t>& render) {
  std::vector<std::int16_t> expected(card.heard.size(), 0);
  for (std::size_t n = 0; n < block_ends.size(); ++n) {
    const std::uint64_t first_frame = (block_ends[n] - block_bytes) / bytes_per_frame;
    for (std::uint64_t f = 0; f < block_bytes / bytes_per_frame && first_frame + f < card.gated.size(); ++f) {
      for (std::uint64_t side = 0; side < 2; ++side) {
        expected[2 * (first_frame + f) + side] = render[n * block_bytes / 2 + 2 * f + side];
      }
    }
  }
  for (std::size_t frame = 0; frame < card.gated.size(); ++frame) {
    if (card.gated[frame]) continue;
    ASSERT_EQ(card.heard[2 * frame], expected[2 * frame]) << "left, frame " << frame;
    ASSERT_EQ(card.heard[2 * frame + 1], expected[2 * frame + 1]) << "right, frame " << frame;
  }
}

using WaveRecovery = test_support::FreshSoundSystem;

TEST_F(WaveRecovery, MusicIsHeardAgainWithinOneBufferAfterAnyStallAnywhereInTheLoop) {
  test_support::LoadedModule load = test_support::load_bytes(music::write_xm(test_support::small_song()));
  ASSERT_TRUE(load.module);
  platform::headless::plug_wave_device(&gated_card);
  ASSERT_TRUE(music::sound_start_with(nullptr, 44100));
  ASSERT_TRUE(music::start_module(load.module.get()));
  // From shorter than two blocks to more than two buffers; each from every block of the loop.
  for (const int stall_ms : {30, 150, 400, 1000}) {
    for (std::uint64_t phase = 0; phase < block_count; ++phase) {
      SCOPED_TRACE(::testing::Message() << stall_ms << " ms from block " << phase);
      ASSERT_NO_FATAL_FAILURE(play_on_to_block(phase));
      ASSERT_NO_FATAL_FAILURE(stall_the_wave_thread(stall_ms));
      EXPECT_LE(bytes_until_published_runs_ahead(), buffer_bytes);
    }
  }
  music::close_sound();
  const std::vector<std::uint64_t> block_ends = card.block_ends;

  // The same song from its start, block after block, without a thread.
  platform::headless::reset();
  ASSERT_TRUE(music::sound_start_with(nullptr, 44100));
  ASSERT_TRUE(music::start_module(load.module.get()));
  std::vector<std::int16_t> render;
  ASSERT_TRUE(music::render_blocks(static_cast<std::int64_t>(block_ends.size()), render));
  music::stop_module(load.module.get());
  expect_only_the_songs_blocks_where_written(block_ends, render);
}

}  // namespace
