// The platform in a web page. The program's threads (main, frame, wave) run on workers that share the
// program's memory; the page's own thread draws the frames on its canvas, turns key events into calls of
// zarn_web_key and shows message boxes (zarn-page.js). present() hands the frame over as RGBA and waits
// until the page has drawn it, which paces the frame loop at the display's rate.
#include <emscripten.h>

#include <array>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>

#include "base/frame_geometry.h"
#include "base/rgb565.h"
#include "platform/platform.h"

namespace platform {
namespace {

struct KeyEvent {
  std::uint8_t virtual_key;
  bool down;
};

// Milliseconds each presented frame spent in the program, for the page's figures.
struct FrameTiming {
  double drawing_ms = 0;     // from the end of the previous present to the start of this one
  double converting_ms = 0;  // RGB565 to RGBA
  double waiting_ms = 0;     // until the page had drawn it
  double frames = 0;
};

struct WebPage {
  KeyHandler on_key = nullptr;
  std::mutex lock;
  std::condition_variable changed;
  // Keys from the page, in order, for the message loop.
  std::deque<KeyEvent> keys;
  bool quit_requested = false;
  bool loop_ended = true;
  // The frame handed to the page: RGBA bytes, drawn by the page once `frame_pending` is set.
  std::unique_ptr<std::uint32_t[]> rgba;
  bool frame_pending = false;
  bool message_open = false;
  FrameTiming timing;
  double last_present_end_ms = 0;  // written by the frame thread only
  // The program's clock counts only the time the page is shown. A hidden page draws no frames and plays
  // no sound (zarn-page.js suspends both), so the picture, whose motion follows the clock, stops with the
  // music and both go on together where they were.
  double hidden_ms = 0;         // hidden time since the page opened, up to the last time it was shown
  double hidden_since_ms = -1;  // when the page was hidden, or -1 while it is shown
};

// Never destroyed: the page may call in (a key, a drawn frame) while the program's exit runs.
WebPage& page = *new WebPage;

// RGBA as the canvas takes it (bytes R, G, B, A in memory) of every RGB565 value, widened as every
// picture of the program is.
const std::array<std::uint32_t, 65536>& rgba_of_rgb565() {
  static const auto table = [] {
    auto values = std::make_unique<std::array<std::uint32_t, 65536>>();
    for (std::uint32_t pixel = 0; pixel < 65536; ++pixel) {
      const base::Rgb888 c = base::unpack_rgb565(static_cast<std::uint16_t>(pixel));
      (*values)[pixel] = 0xFF000000u | (std::uint32_t{c.b} << 16) | (std::uint32_t{c.g} << 8) | c.r;
    }
    return values;
  }();
  return *table;
}

void convert_to_rgba(const std::uint16_t* pixels, std::uint32_t* rgba) {
  const auto& table = rgba_of_rgb565();
  for (int i = 0; i < base::frame_pixel_count; ++i) rgba[i] = table[pixels[i]];
}

// Frees a present() that waits for the page, for good: from here on nobody draws frames.
void end_presentation() {
  std::lock_guard<std::mutex> hold(page.lock);
  page.loop_ended = true;
  page.frame_pending = false;
  page.changed.notify_all();
}

}  // namespace

std::uint32_t tick_ms() {
  std::lock_guard<std::mutex> hold(page.lock);
  const double now = page.hidden_since_ms >= 0 ? page.hidden_since_ms : emscripten_get_now();
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(now - page.hidden_ms));
}

bool create_window(const char* title, int, KeyHandler on_key) {
  // The page decides the picture's size: whole multiples of 640x480, or the window's size with the
  // aspect kept when that is smaller; double-click for full screen.
  page.rgba = std::make_unique<std::uint32_t[]>(base::frame_pixel_count);
  rgba_of_rgb565();
  {
    std::lock_guard<std::mutex> hold(page.lock);
    page.on_key = on_key;
    page.keys.clear();
    page.quit_requested = false;
    page.loop_ended = false;
    page.frame_pending = false;
  }
  const int opened = MAIN_THREAD_EM_ASM_INT(
      { return Module.zarnPage ? Module.zarnPage.openWindow(UTF8ToString($0), HEAPU8.buffer) : 0; }, title);
  if (!opened) {
    std::fprintf(stderr, "zarn: the page has no canvas to show the intro on\n");
    end_presentation();
  }
  return opened != 0;
}

void run_message_loop() {
  std::unique_lock<std::mutex> hold(page.lock);
  for (;;) {
    page.changed.wait(hold, [] { return page.quit_requested || !page.keys.empty(); });
    if (page.quit_requested) break;
    const KeyEvent key = page.keys.front();
    page.keys.pop_front();
    const KeyHandler on_key = page.on_key;
    hold.unlock();
    if (on_key) on_key(key.virtual_key, key.down);
    hold.lock();
  }
  hold.unlock();
  end_presentation();
}

void request_quit() {
  std::lock_guard<std::mutex> hold(page.lock);
  page.quit_requested = true;
  page.changed.notify_all();
}

bool present(const std::uint16_t* pixels) {
  const double start = emscripten_get_now();
  convert_to_rgba(pixels, page.rgba.get());
  const double converted = emscripten_get_now();
  std::unique_lock<std::mutex> hold(page.lock);
  if (page.loop_ended) return true;
  page.frame_pending = true;
  page.changed.wait(hold, [] { return !page.frame_pending; });
  const double end = emscripten_get_now();
  if (page.last_present_end_ms > 0) page.timing.drawing_ms += start - page.last_present_end_ms;
  page.timing.converting_ms += converted - start;
  page.timing.waiting_ms += end - converted;
  page.timing.frames += 1;
  page.last_present_end_ms = end;
  return true;
}

void destroy_window() {
  end_presentation();
  MAIN_THREAD_EM_ASM({ if (Module.zarnPage) Module.zarnPage.closeWindow(); });
}

// Shown on the page with an OK button; like the system's message box, it returns once OK is pressed.
void message_box(const char* text, const char* caption) {
  std::fprintf(stderr, "%s: %s\n", caption, text);
  {
    std::lock_guard<std::mutex> hold(page.lock);
    page.message_open = true;
  }
  const int shown = MAIN_THREAD_EM_ASM_INT(
      { return Module.zarnPage ? Module.zarnPage.showMessage(UTF8ToString($0), UTF8ToString($1)) : 0; }, text,
      caption);
  std::unique_lock<std::mutex> hold(page.lock);
  if (!shown) page.message_open = false;
  page.changed.wait(hold, [] { return !page.message_open; });
}

}  // namespace platform

// What the page calls, on its own thread.
extern "C" {

// A key went down or up; `virtual_key` is a Windows virtual-key code.
EMSCRIPTEN_KEEPALIVE void zarn_web_key(int virtual_key, int down) {
  using platform::page;
  std::lock_guard<std::mutex> hold(page.lock);
  if (page.loop_ended) return;
  page.keys.push_back({static_cast<std::uint8_t>(virtual_key), down != 0});
  page.changed.notify_all();
}

// The RGBA frame waiting to be drawn (640x480, 4 bytes a pixel), or 0 when there is none.
EMSCRIPTEN_KEEPALIVE const std::uint32_t* zarn_web_pending_frame() {
  using platform::page;
  std::lock_guard<std::mutex> hold(page.lock);
  return page.frame_pending ? page.rgba.get() : nullptr;
}

// The page has copied the pending frame onto its canvas.
EMSCRIPTEN_KEEPALIVE void zarn_web_frame_shown() {
  using platform::page;
  std::lock_guard<std::mutex> hold(page.lock);
  page.frame_pending = false;
  page.changed.notify_all();
}

// The user pressed OK on the message.
EMSCRIPTEN_KEEPALIVE void zarn_web_message_closed() {
  using platform::page;
  std::lock_guard<std::mutex> hold(page.lock);
  page.message_open = false;
  page.changed.notify_all();
}

// The page was hidden (0) or shown again (1): the program's clock stops while it is hidden.
EMSCRIPTEN_KEEPALIVE void zarn_web_page_shown(int shown) {
  using platform::page;
  std::lock_guard<std::mutex> hold(page.lock);
  const double now = emscripten_get_now();
  if (!shown && page.hidden_since_ms < 0) page.hidden_since_ms = now;
  if (shown && page.hidden_since_ms >= 0) {
    page.hidden_ms += now - page.hidden_since_ms;
    page.hidden_since_ms = -1;
  }
}

// Milliseconds spent per presented frame so far: 0 drawing, 1 converting, 2 waiting for the page; 3 the
// number of frames.
EMSCRIPTEN_KEEPALIVE double zarn_web_frame_timing(int which) {
  using platform::page;
  std::lock_guard<std::mutex> hold(page.lock);
  const platform::FrameTiming& timing = page.timing;
  switch (which) {
    case 0: return timing.drawing_ms;
    case 1: return timing.converting_ms;
    case 2: return timing.waiting_ms;
    default: return timing.frames;
  }
}

}  // extern "C"
