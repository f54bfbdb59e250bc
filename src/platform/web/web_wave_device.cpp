// The wave device in a web page: an AudioWorklet (zarn-audio.js) plays straight from the looping buffer
// in the program's memory and counts the bytes it has played, as a sound card's callback would.
#include <emscripten.h>

#include <atomic>
#include <thread>

#include "platform/platform.h"

namespace platform {
namespace {

// Who may read the buffer: the worklet takes it from open to reading for the few microseconds of one
// render quantum and never waits; wave_close waits for it to be open again before it takes it away.
enum WaveAccess : std::int32_t { wave_closed = 0, wave_open_for_reading = 1, wave_being_read = 2 };

struct WebWave {
  const std::uint8_t* buffer = nullptr;
  std::uint32_t bytes = 0;
  // Shared with the worklet, which reads and writes them with Atomics: lock-free 64-bit words.
  std::atomic<std::uint64_t> played{0};     // written by the worklet, read by the wave thread
  std::atomic<std::uint64_t> published{0};  // written by the wave thread, read by the worklet
  // Frames the worklet played as silence because they were not published; read by the page only.
  std::atomic<std::uint64_t> silent{0};
  std::atomic<std::int32_t> access{wave_closed};
};
static_assert(std::atomic<std::uint64_t>::is_always_lock_free, "the worklet's Atomics need plain words");

// Never destroyed: the worklet may look at it up to the moment the page is gone.
WebWave& wave = *new WebWave;

void take_buffer_from_worklet() {
  std::int32_t seen = wave_open_for_reading;
  while (!wave.access.compare_exchange_weak(seen, wave_closed)) {
    if (seen == wave_closed) return;
    seen = wave_open_for_reading;
    std::this_thread::yield();
  }
}

}  // namespace

bool wave_open(int rate, const std::uint8_t* buffer, std::uint32_t bytes) {
  wave_close();
  if (rate <= 0 || !buffer || bytes == 0 || bytes % wave_bytes_per_frame != 0) return false;
  wave.buffer = buffer;
  wave.bytes = bytes;
  wave.played = 0;
  wave.silent = 0;
  // The zeros the buffer starts with are its first loop.
  wave.published = bytes;
  wave.access = wave_open_for_reading;
  // The page starts the worklet when it has loaded; until then, and until the page's first key lets the
  // browser play sound, the count stays where it is, as a paused card's would.
  const int started = MAIN_THREAD_EM_ASM_INT(
      {
        return Module.zarnPage ? Module.zarnPage.openSound({
          memory : HEAPU8.buffer,
          rate : $0,
          buffer : $1,
          bytes : $2,
          played : $3,
          published : $4,
          silent : $5,
          access : $6
        })
                               : 0;
      },
      rate, buffer, bytes, &wave.played, &wave.published, &wave.silent, &wave.access);
  if (started) return true;
  take_buffer_from_worklet();
  return false;
}

std::uint64_t wave_bytes_played() { return wave.played.load(std::memory_order_acquire); }

void wave_publish(std::uint64_t bytes) { wave.published.store(bytes, std::memory_order_release); }

// The worklet plays silence past the published end (zarn-audio.js).
bool wave_plays_only_published() { return true; }

bool wave_paced_by_caller() { return false; }

void wave_close() {
  if (wave.access.load() == wave_closed) return;
  take_buffer_from_worklet();
  MAIN_THREAD_EM_ASM({
    if (Module.zarnPage) Module.zarnPage.closeSound();
  });
  wave.buffer = nullptr;
  wave.bytes = 0;
  wave.played = 0;
  wave.published = 0;
}

// Workers have no priorities; the worklet's own thread is the browser's real-time audio thread.
void raise_thread_priority() {}

}  // namespace platform
