// The sound system: the wave device, the looping wave buffer and its float twin, the wave thread that
// refills each block after the device has played it, and the list of playing modules.
//
// The frame thread (or a test, or a tool) opens, starts, stops and closes; the wave thread runs the
// ticks and mixes. The two meet only under the block lock.
//
// Every function here acts on the program's one `sound_system` unless given another record: two systems
// side by side share nothing but the wave device.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "music/mixer.h"
#include "music/module.h"

namespace music {

inline constexpr std::int32_t default_buffer_length_ms = 200;
// The buffer is cut into blocks of this many milliseconds.
inline constexpr std::int32_t block_length_ms = 20;
// How often the wave thread looks at the play position.
inline constexpr int wave_poll_ms = 2;

struct SoundSystem {
  SoundSystem();
  // Closes what is still open, so that no wave thread outlives the record. Modules still playing in it
  // are to be stopped first: they refer to it.
  ~SoundSystem();
  SoundSystem(const SoundSystem&) = delete;
  SoundSystem& operator=(const SoundSystem&) = delete;

  std::int32_t buffer_length_ms = default_buffer_length_ms;  // a multiple of 20, at least 20
  std::int32_t mix_rate = 0;                                 // output frames per second
  bool open = false;
  // Geometry, set by open_sound: 884, 17680, 20 and 128 frames at 44100 Hz and 200 ms.
  std::int32_t block_frames = 0;  // (rate x 20 / 1000 + 3) rounded down to a multiple of 4
  std::int32_t total_frames = 0;  // buffer length / 20 x block_frames x 2
  std::int32_t block_count = 0;
  VolumeRamp ramp;
  std::unique_ptr<std::int16_t[]> wave_buffer;  // total_frames stereo frames, what the device plays
  std::unique_ptr<float[]> mix_buffer;          // total_frames stereo float frames; block k at k x block_frames
  // Bytes: where the next block's sound goes, counted as the device counts what it plays (the zeros of
  // the buffer's first loop included); the block of the buffer it falls in is the one filled next. Moves a
  // block on with every fill, and further when a device that plays only published sound has run past it.
  // Written by the wave thread under the block lock.
  std::uint64_t sound_end = 0;
  Module playing;                               // head of the circular list of playing modules
  std::atomic<bool> stop_request{false};
  std::atomic<bool> thread_done{true};
  // Since the open, counted after every block; 0 again once closed, so that whoever waits for blocks of
  // the next open never sees those of the last.
  std::atomic<std::uint64_t> blocks_filled{0};
  std::thread thread;
  // Held by the wave thread for the whole of a block, so that no block starts while another thread
  // changes the playing modules, their channels or their samples.
  std::mutex block_lock;
  // 1 while the wave thread mixes a block or runs tick callbacks; written only by the wave thread, inside
  // the block lock.
  std::atomic<std::uint8_t> mixer_busy{0};
  VoicePool voice_pool;  // opened by open_sound at its rate; the playing modules' channels play on it
  // Last: released first, while the lock and the pool it is taken out of still exist.
  OwnedModule music_module;  // what sound_start loaded; none when music.xm is missing or refused
};

// The program's one sound system.
extern SoundSystem sound_system;

// Start-up: installs the in-memory file operations, opens the sound output at 44100 Hz with a 200 ms
// buffer and loads the module file as the music module. False, after the message "Can't initialize
// SoundSystem", only when the output cannot be opened: the program cannot go on. A module that does not
// load leaves the program without music (one line on stderr).
bool sound_start(const char* file_name, SoundSystem& sound = sound_system);

// Start-up with the music already in memory, at any rate: installs the in-memory file operations, opens
// the sound output at `rate` with the buffer length set, and keeps `module` (none: no music) as the music
// module, idle until started. False when the output cannot be opened; the module is then released.
bool sound_start_with(OwnedModule module, std::int32_t rate, SoundSystem& sound = sound_system);

// Stores max(ms, 20) rounded down to a multiple of 20; open_sound uses it.
void set_buffer_length(std::int32_t ms, SoundSystem& sound = sound_system);

// Closes what is open, opens the wave device at `rate` with the buffer geometry, opens the voice pool and
// starts the wave thread (none on a device paced by its caller, who calls fill_next_block instead).
// False (nothing open) without the loader's file operations, without a device, or without memory for the
// buffers.
bool open_sound(std::int32_t rate, SoundSystem& sound = sound_system);

// Stops and joins the wave thread, closes the device and frees the buffers; the modules stay in the
// playing list. Safe when nothing is open.
void close_sound(SoundSystem& sound = sound_system);

// Plays the module from the start of its song (restarting it when it plays already, taking it from
// another system's list when it plays there). False for none, or when its channels cannot be created.
bool start_module(Module* module, SoundSystem& sound = sound_system);

// Takes the module out of the playing list of `sound`, the system it plays in (if any), and silences and
// releases its channels. False for none.
bool stop_module(Module* module, SoundSystem& sound = sound_system);

// The sound's part of the program's normal end: stops the music module and closes the output. Whoever runs
// the program in a process that goes on after it (the tools) ends its sound so, whichever way the run
// ended: a module left playing stays in the playing list across a later open and would play there.
void end_sound(SoundSystem& sound = sound_system);

// Takes the block lock and returns once mixer_busy is clear: until the lock is given back, the wave
// thread starts no block. Whatever releases or rewires what the mixer reads holds it first.
std::unique_lock<std::mutex> hold_idle_mixer(SoundSystem& sound = sound_system);

}  // namespace music
