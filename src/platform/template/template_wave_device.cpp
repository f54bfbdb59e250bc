// The template of a backend's wave device: one looping buffer of 16-bit stereo frames that the device
// plays for ever and whose play position it reports; the portable mixer writes the buffer, the device
// never mixes. Stubbed as a machine without sound output, where the program says so and ends.
//
// The device is a WaveDevice table (wave_device.h) and platform.h's wave functions hand each call on to
// it. A backend whose device no headless program loads may keep only the functions; one that should be
// loadable as well puts the table in a file of its own, which links without platform.h's functions, as
// sdl/sdl_audio_device.cpp and sdl/sdl_wave_device.cpp do.
#include "platform/template/template_wave_device.h"

#include "platform/platform.h"

namespace platform::template_port {
namespace {

// Must: start playing `buffer` (`bytes`, a whole number of wave_bytes_per_frame frames) in a loop at
// `rate` frames per second, interleaved little-endian signed 16-bit stereo, with the play count at 0 and
// everything up to `bytes` published (the zeros the buffer starts with are its first loop). Close what
// was open first. False, with nothing open, when the device cannot play that format or there is none.
bool open_device([[maybe_unused]] int rate, [[maybe_unused]] const std::uint8_t* buffer,
                 [[maybe_unused]] std::uint32_t bytes) {
  return false;
}

// Must: bytes played since the open, counted on across the loops, stored with release order after the
// device has read them (the writer then overwrites what lies behind); 0 while closed. The wave thread
// asks every few milliseconds, so it must not block.
std::uint64_t bytes_played() { return 0; }

// Must, where the device reads from the buffer itself: play nothing at or beyond `bytes` (counted as
// bytes_played counts), silence instead, while the count moves on with time (wave_gate.h has the sum).
// A device that cannot be held to it (wave-out) ignores it and says so in plays_only_published.
void publish([[maybe_unused]] std::uint64_t bytes) {}

// Must: stop playing and let go of the buffer before it returns, the count back at 0; safe when nothing
// is open.
void close_device() {}

// Must: give the calling thread (the wave thread) the highest priority the platform allows, or nothing.
void raise_priority() {}

// Whether the device honours publish; decides how the wave thread places a block after falling behind.
constexpr bool plays_only_published = true;

}  // namespace

const WaveDevice& template_wave_device() {
  static const WaveDevice device{open_device, bytes_played, publish, close_device, raise_priority,
                                 plays_only_published};
  return device;
}

}  // namespace platform::template_port

using platform::template_port::template_wave_device;

bool platform::wave_open(int rate, const std::uint8_t* buffer, std::uint32_t bytes) {
  return template_wave_device().open(rate, buffer, bytes);
}
std::uint64_t platform::wave_bytes_played() { return template_wave_device().bytes_played(); }
void platform::wave_publish(std::uint64_t bytes) { template_wave_device().publish(bytes); }
bool platform::wave_plays_only_published() { return template_wave_device().plays_only_published; }
// Must: true only for a device without a clock of its own whose caller fills every block (headless); a
// sound card plays on by itself and the wave thread refills it.
bool platform::wave_paced_by_caller() { return false; }
void platform::wave_close() { template_wave_device().close(); }
void platform::raise_thread_priority() { template_wave_device().raise_thread_priority(); }
