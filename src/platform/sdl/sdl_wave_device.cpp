// The wave device of the SDL backend: the SDL2 audio device (sdl_audio_device.cpp), which plays on by itself.
#include "platform/platform.h"
#include "platform/sdl/sdl_audio_device.h"

namespace platform {

bool wave_open(int rate, const std::uint8_t* buffer, std::uint32_t bytes) {
  return sdl::sdl_audio_device().open(rate, buffer, bytes);
}
std::uint64_t wave_bytes_played() { return sdl::sdl_audio_device().bytes_played(); }
void wave_publish(std::uint64_t bytes) { sdl::sdl_audio_device().publish(bytes); }
bool wave_plays_only_published() { return sdl::sdl_audio_device().plays_only_published; }
bool wave_paced_by_caller() { return false; }
void wave_close() { sdl::sdl_audio_device().close(); }
void raise_thread_priority() { sdl::sdl_audio_device().raise_thread_priority(); }

}  // namespace platform
