// The platform without a window: a virtual clock, scripted input, frames kept in memory (its wave device
// is headless_wave_device.cpp).
#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <mutex>

#include "platform/headless/headless.h"
#include "platform/platform.h"

namespace platform {
namespace {

struct ScriptedEvent {
  std::uint32_t at_ms;
  enum class Kind { key, close } kind;
  std::uint8_t virtual_key;
  bool down;
};

struct HeadlessState {
  std::mutex lock;
  std::condition_variable quit_asked;
  std::uint32_t clock_ms = 0;
  std::uint32_t frame_step_ms = 0;
  std::vector<ScriptedEvent> script;  // kept in time order
  headless::PresentHook hook;
  std::uint64_t presented = 0;
  std::vector<std::string> messages;
  KeyHandler on_key = nullptr;
  bool window_available = true;  // false: create_window fails, as without a display
  bool window_open = false;
  bool quit = false;
  bool loop_ended = false;
};

HeadlessState state;

// Runs the scripted events that are due; called with the lock held.
void run_due_events() {
  auto due = std::find_if(state.script.begin(), state.script.end(),
                          [](const ScriptedEvent& e) { return e.at_ms > state.clock_ms; });
  for (auto it = state.script.begin(); it != due; ++it) {
    if (it->kind == ScriptedEvent::Kind::close) {
      // The window is gone at once: no later frame is shown, whenever the main thread wakes up.
      state.quit = true;
      state.loop_ended = true;
      state.quit_asked.notify_all();
    } else if (state.on_key) {
      state.on_key(it->virtual_key, it->down);
    }
  }
  state.script.erase(state.script.begin(), due);
}

void add_event(const ScriptedEvent& event) {
  std::lock_guard<std::mutex> hold(state.lock);
  auto at = std::upper_bound(state.script.begin(), state.script.end(), event,
                             [](const ScriptedEvent& a, const ScriptedEvent& b) { return a.at_ms < b.at_ms; });
  state.script.insert(at, event);
}

}  // namespace

std::uint32_t tick_ms() {
  std::lock_guard<std::mutex> hold(state.lock);
  return state.clock_ms;
}

bool create_window(const char*, int, KeyHandler on_key) {
  std::lock_guard<std::mutex> hold(state.lock);
  if (!state.window_available) return false;
  state.on_key = on_key;
  state.window_open = true;
  state.quit = false;
  state.loop_ended = false;
  return true;
}

void run_message_loop() {
  std::unique_lock<std::mutex> hold(state.lock);
  state.quit_asked.wait(hold, [] { return state.quit; });
  state.loop_ended = true;
}

void request_quit() {
  std::lock_guard<std::mutex> hold(state.lock);
  state.quit = true;
  state.quit_asked.notify_all();
}

bool present(const std::uint16_t* pixels) {
  headless::PresentHook hook;
  std::uint64_t number = 0;
  {
    std::lock_guard<std::mutex> hold(state.lock);
    if (state.loop_ended) return true;
    hook = state.hook;
    number = state.presented++;
  }
  // The hook runs unlocked: it may take a while (writing a picture) or ask for the clock.
  const bool ok = !hook || hook(pixels, number);
  std::lock_guard<std::mutex> hold(state.lock);
  state.clock_ms += state.frame_step_ms;
  run_due_events();
  return ok;
}

void destroy_window() {
  std::lock_guard<std::mutex> hold(state.lock);
  state.window_open = false;
}

void message_box(const char* text, const char* caption) {
  std::fprintf(stderr, "%s: %s\n", caption, text);
  std::lock_guard<std::mutex> hold(state.lock);
  state.messages.push_back(std::string(caption) + ": " + text);
}

namespace headless {

void reset() {
  std::lock_guard<std::mutex> hold(state.lock);
  state.clock_ms = 0;
  state.frame_step_ms = 0;
  state.script.clear();
  state.hook = nullptr;
  state.presented = 0;
  state.messages.clear();
  state.on_key = nullptr;
  state.window_available = true;
  state.window_open = false;
  state.quit = false;
  state.loop_ended = false;
  set_wave_available(true);
  set_wave_paced_by_caller(true);
  plug_wave_device(nullptr);
}

void set_clock_ms(std::uint32_t now) {
  std::lock_guard<std::mutex> hold(state.lock);
  state.clock_ms = now;
}

void set_frame_step_ms(std::uint32_t step) {
  std::lock_guard<std::mutex> hold(state.lock);
  state.frame_step_ms = step;
}

void script_key(std::uint32_t at_ms, std::uint8_t virtual_key, bool down) {
  add_event({at_ms, ScriptedEvent::Kind::key, virtual_key, down});
}

void script_close(std::uint32_t at_ms) { add_event({at_ms, ScriptedEvent::Kind::close, 0, false}); }

void set_present_hook(PresentHook hook) {
  std::lock_guard<std::mutex> hold(state.lock);
  state.hook = std::move(hook);
}

std::uint64_t presented_count() {
  std::lock_guard<std::mutex> hold(state.lock);
  return state.presented;
}

std::vector<std::string> shown_messages() {
  std::lock_guard<std::mutex> hold(state.lock);
  return state.messages;
}

void set_window_available(bool available) {
  std::lock_guard<std::mutex> hold(state.lock);
  state.window_available = available;
}

bool window_open() {
  std::lock_guard<std::mutex> hold(state.lock);
  return state.window_open;
}

}  // namespace headless
}  // namespace platform
