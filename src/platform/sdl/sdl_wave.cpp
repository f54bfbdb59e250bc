// The wave device on SDL2: an audio device whose callback copies from the looping buffer and counts the
// bytes it has handed to the sound card.
#include <SDL.h>

#include <atomic>
#include <cstdio>
#include <algorithm>
#include <cstring>

#include "platform/platform.h"

namespace platform {
namespace {

// Frames SDL asks for per callback: about 12 ms at 44100 Hz, well inside one 20 ms block.
constexpr Uint16 callback_frames = 512;

struct SdlWave {
  SDL_AudioDeviceID device = 0;
  const std::uint8_t* buffer = nullptr;
  std::uint32_t bytes = 0;
  std::atomic<std::uint64_t> played{0};  // written by the audio callback, read by the wave thread
};

SdlWave wave;

// Audio thread: the next `length` bytes of the loop, from where the count says the card has got to.
void copy_from_loop(void*, Uint8* stream, int length) {
  std::uint64_t played = wave.played.load(std::memory_order_relaxed);
  int done = 0;
  while (done < length) {
    const std::uint32_t at = static_cast<std::uint32_t>(played % wave.bytes);
    const int n = static_cast<int>(std::min<std::uint64_t>(wave.bytes - at, static_cast<std::uint64_t>(length - done)));
    std::memcpy(stream + done, wave.buffer + at, static_cast<std::size_t>(n));
    done += n;
    played += static_cast<std::uint64_t>(n);
  }
  wave.played.store(played, std::memory_order_release);
}

}  // namespace

bool wave_open(int rate, const std::uint8_t* buffer, std::uint32_t bytes) {
  wave_close();
  if (rate <= 0 || !buffer || bytes == 0 || bytes % wave_bytes_per_frame != 0) return false;
  // On its own: the sound opens at start-up, before any window exists.
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    std::fprintf(stderr, "zarn: no sound output: %s\n", SDL_GetError());
    return false;
  }
  wave.buffer = buffer;
  wave.bytes = bytes;
  wave.played = 0;
  SDL_AudioSpec want{};
  want.freq = rate;
  want.format = AUDIO_S16LSB;
  want.channels = wave_channels;
  want.samples = callback_frames;
  want.callback = copy_from_loop;
  // No changes allowed: SDL converts whatever the card wants from exactly this format.
  wave.device = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
  if (wave.device == 0) {
    std::fprintf(stderr, "zarn: cannot open the sound output: %s\n", SDL_GetError());
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  SDL_PauseAudioDevice(wave.device, 0);
  return true;
}

std::uint64_t wave_bytes_played() { return wave.played.load(std::memory_order_acquire); }

void wave_close() {
  if (wave.device == 0) return;
  SDL_CloseAudioDevice(wave.device);  // returns once the callback can no longer run
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  wave.device = 0;
  wave.buffer = nullptr;
  wave.bytes = 0;
  wave.played = 0;
}

void raise_thread_priority() { SDL_SetThreadPriority(SDL_THREAD_PRIORITY_TIME_CRITICAL); }

}  // namespace platform
