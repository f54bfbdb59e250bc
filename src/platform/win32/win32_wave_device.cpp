// The wave device on Windows: wave-out on the wave mapper, one header that loops over the whole buffer
// for ever, and the play position read from the device in bytes.
#include <windows.h>
#include <mmsystem.h>

#include <mutex>

#include "platform/platform.h"

namespace platform {
namespace {

// The device's byte count is 32 bits wide and wraps after about 6.7 hours at 44100 Hz; the count kept
// here goes on past the wrap.
struct WaveOut {
  HWAVEOUT device = nullptr;
  WAVEHDR header{};
  std::mutex position_lock;  // two threads may ask for the position
  DWORD last_position = 0;
  std::uint64_t played = 0;
};

WaveOut wave;

// The device's position in bytes; a driver that cannot count bytes answers in frames.
DWORD device_position() {
  MMTIME time{};
  time.wType = TIME_BYTES;
  waveOutGetPosition(wave.device, &time, sizeof time);
  if (time.wType == TIME_SAMPLES) return time.u.sample * wave_bytes_per_frame;
  return time.wType == TIME_BYTES ? time.u.cb : 0;
}

}  // namespace

bool wave_open(int rate, const std::uint8_t* buffer, std::uint32_t bytes) {
  wave_close();
  if (rate <= 0 || !buffer || bytes == 0 || bytes % wave_bytes_per_frame != 0) return false;
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = wave_channels;
  format.nSamplesPerSec = static_cast<DWORD>(rate);
  format.nAvgBytesPerSec = static_cast<DWORD>(rate) * wave_bytes_per_frame;
  format.nBlockAlign = wave_bytes_per_frame;
  format.wBitsPerSample = 16;
  format.cbSize = 0;
  if (waveOutOpen(&wave.device, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) {
    wave.device = nullptr;
    return false;
  }
  // The thread that refills the buffer polls every 2 ms; the default timer of 15.6 ms would stretch
  // each poll to that.
  timeBeginPeriod(1);
  wave.last_position = 0;
  wave.played = 0;
  wave.header = WAVEHDR{};
  wave.header.lpData = reinterpret_cast<LPSTR>(const_cast<std::uint8_t*>(buffer));  // only read by the device
  wave.header.dwBufferLength = bytes;
  wave.header.dwFlags = WHDR_BEGINLOOP | WHDR_ENDLOOP;
  wave.header.dwLoops = 0xFFFFFFFF;
  waveOutPrepareHeader(wave.device, &wave.header, sizeof wave.header);
  waveOutWrite(wave.device, &wave.header, sizeof wave.header);
  return true;
}

std::uint64_t wave_bytes_played() {
  std::lock_guard<std::mutex> hold(wave.position_lock);
  if (!wave.device) return 0;
  const DWORD now = device_position();
  wave.played += static_cast<DWORD>(now - wave.last_position);
  wave.last_position = now;
  return wave.played;
}

void wave_close() {
  std::lock_guard<std::mutex> hold(wave.position_lock);
  if (!wave.device) return;
  waveOutUnprepareHeader(wave.device, &wave.header, sizeof wave.header);
  // Still playing, the header could not be unprepared; the reset and close end its use.
  wave.header.dwFlags &= ~static_cast<DWORD>(WHDR_PREPARED);
  waveOutReset(wave.device);
  waveOutClose(wave.device);
  timeEndPeriod(1);
  wave.device = nullptr;
  wave.played = 0;
  wave.last_position = 0;
}

// The driver reads the looping buffer on its own and cannot be held to what was published: the wave
// thread's order, refilling only the block the device has just left, keeps writer and reader apart.
void wave_publish(std::uint64_t) {}

bool wave_plays_only_published() { return false; }

bool wave_paced_by_caller() { return false; }

void raise_thread_priority() { SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL); }

}  // namespace platform
