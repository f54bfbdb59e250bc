// Controls of the headless platform: a virtual clock, scripted keys and window closes, and every
// presented frame handed to a hook. Tests and tools set it up before they run the program; the same
// script gives the same frames.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/wave_device.h"

namespace platform::headless {

// Receives each presented frame (640x480 RGB565) with its number from 0; returning false reports a lost
// display, which ends the frame loop.
using PresentHook = std::function<bool(const std::uint16_t* pixels, std::uint64_t frame_number)>;

// Back to the start: clock at 0, no keys, no script, no hook, nothing presented or shown; the wave device
// available, its position left as it is (an open device keeps its count).
void reset();

void set_clock_ms(std::uint32_t now);
// Every present moves the clock on by this much (0 keeps it still).
void set_frame_step_ms(std::uint32_t step);
// At the first present at or after `at_ms` on the virtual clock, the key goes down or up.
void script_key(std::uint32_t at_ms, std::uint8_t virtual_key, bool down);
// At the first present at or after `at_ms`, the user closes the window.
void script_close(std::uint32_t at_ms);
void set_present_hook(PresentHook hook);

std::uint64_t presented_count();
// "caption: text" of every message box shown so far.
std::vector<std::string> shown_messages();
// Whether create_window succeeds (true after reset): false stands for a machine without a display.
void set_window_available(bool available);
bool window_open();

// The wave device has no clock of its own: its position moves only when the caller plays bytes.
void play_wave_bytes(std::uint64_t bytes);
// Whether wave_open succeeds (true after reset): false stands for a machine without sound output.
void set_wave_available(bool available);
// Whether the device is paced by its caller, who fills each block directly (true after reset), or plays
// on as a sound card would, with the sound system's wave thread refilling it (false; play_wave_bytes
// then stands for the card).
void set_wave_paced_by_caller(bool paced);
// Plays through a real device instead (none: back to the virtual one, as after reset): the sound system
// then runs its wave thread as in the intro. Only while no wave device is open.
void plug_wave_device(const WaveDevice* device);
bool wave_is_open();

}  // namespace platform::headless
