// The wave device on SDL2: an audio device whose callback copies from the looping buffer and counts the
// bytes it has handed to the sound card.
#include <SDL.h>

#include <atomic>
#include <cstdio>
#include <algorithm>
#include <cstring>

#include "platform/platform.h"  // the format: wave_channels
#include "platform/sdl/sdl_audio_device.h"
#include "platform/wave_gate.h"

namespace platform::sdl {
namespace {

// Frames SDL asks for per callback: about 12 ms at 44100 Hz, well inside one 20 ms block.
constexpr Uint16 callback_frames = 512;

struct SdlWave {
  SDL_AudioDeviceID device = 0;
  const std::uint8_t* buffer = nullptr;
  std::uint32_t bytes = 0;
  std::atomic<std::uint64_t> played{0};     // written by the audio callback, read by the wave thread
  std::atomic<std::uint64_t> published{0};  // written by the wave thread, read by the audio callback
};

SdlWave wave;

// Copies `length` bytes of the loop from byte `from` on (counted across the loops).
void copy_loop(Uint8* stream, std::uint64_t from, std::uint64_t length) {
  while (length > 0) {
    const auto at = static_cast<std::uint32_t>(from % wave.bytes);
    const std::uint64_t n = std::min<std::uint64_t>(wave.bytes - at, length);
    std::memcpy(stream, wave.buffer + at, static_cast<std::size_t>(n));
    stream += n;
    from += n;
    length -= n;
  }
}

// Audio thread: the next `length` bytes of the loop, from where the count says the card has got to.
// Only published bytes are played; where the writer has fallen behind the card hears silence and the
// count moves on all the same, as time does.
void copy_from_loop(void*, Uint8* stream, int length) {
  const std::uint64_t played = wave.played.load(std::memory_order_relaxed);
  const std::uint64_t published = wave.published.load(std::memory_order_acquire);
  const auto wanted = static_cast<std::uint64_t>(length);
  const std::uint64_t ready = wave_bytes_ready(played, published, wanted);
  copy_loop(stream, played, ready);
  std::memset(stream + ready, 0, static_cast<std::size_t>(wanted - ready));
  wave.played.store(played + wanted, std::memory_order_release);
}

void close_device() {
  if (wave.device == 0) return;
  SDL_CloseAudioDevice(wave.device);  // returns once the callback can no longer run
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  wave.device = 0;
  wave.buffer = nullptr;
  wave.bytes = 0;
  wave.played = 0;
  wave.published = 0;
}

bool open_device(int rate, const std::uint8_t* buffer, std::uint32_t bytes) {
  close_device();
  if (rate <= 0 || !buffer || bytes == 0 || bytes % wave_bytes_per_frame != 0) return false;
  // On its own: the sound opens at start-up, before any window exists.
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    std::fprintf(stderr, "zarn: no sound output: %s\n", SDL_GetError());
    return false;
  }
  wave.buffer = buffer;
  wave.bytes = bytes;
  wave.played = 0;
  // The zeros the buffer starts with are its first loop.
  wave.published = bytes;
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

std::uint64_t bytes_played() { return wave.played.load(std::memory_order_acquire); }

void publish(std::uint64_t bytes) { wave.published.store(bytes, std::memory_order_release); }

void raise_priority() { SDL_SetThreadPriority(SDL_THREAD_PRIORITY_TIME_CRITICAL); }

}  // namespace

const WaveDevice& sdl_audio_device() {
  static const WaveDevice device{open_device, bytes_played, publish, close_device, raise_priority, true};
  return device;
}

}  // namespace platform::sdl
