// The platform on SDL2. Video and render calls stay on the main thread: present() hands the frame
// over and waits until the main thread has shown it, paced to the display's refresh rate.
//
// A renderer on a GPU scales the picture and waits for the vertical refresh. Where the only renderer
// would draw in software (Mesa's llvmpipe on a desktop without a GPU), the frame is scaled straight into
// the window's own pixels instead: a software GL spends many times that on its textured quad, its clear
// of the whole screen and the copy of its back buffer to the X server.
#include <SDL.h>
#include <SDL_opengl.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

#include "base/frame_geometry.h"
#include "platform/platform.h"
#include "platform/sdl/nearest_scale.h"

namespace platform {
namespace {

using sdl::PictureRect;
using sdl::picture_rect_in;
using sdl::scale_nearest;

struct SdlDisplay {
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;
  KeyHandler on_key = nullptr;
  int display_mode = display_full_screen;  // the mode shown now
  int started_in = display_full_screen;    // the mode create_window was asked for
  Uint32 present_event = 0;
  Uint32 frame_interval_ms = 16;  // one refresh of the display
  Uint32 last_shown_tick = 0;

  // Without a GPU renderer: the frame goes into the window surface, converted to its pixel format first.
  bool draws_on_surface = false;
  bool surface_stale = true;  // bars and all must be drawn and sent again, as after a resize or an expose
  int surface_width = 0;      // the size of the surface the bars were drawn on
  int surface_height = 0;
  std::vector<std::uint8_t> converted;  // the frame in the surface's pixel format
  std::vector<int> source_columns;      // the frame's column under each column of the picture on screen

  // Hand-over of one frame from the frame thread to the main thread.
  std::mutex lock;
  std::condition_variable frame_shown;
  const std::uint16_t* pending = nullptr;
  bool pending_ok = true;
  bool loop_ended = false;
};

// Never destroyed: when the X connection breaks, Xlib ends the process with exit() from the main thread
// while the frame thread may still wait in present(). A condition variable destroyed under a waiter
// blocks exit() for good, so the hand-over lives until the process is gone.
SdlDisplay& display = *new SdlDisplay;

// Windows virtual-key code of an SDL key, or 0 for keys the program has no code for.
std::uint8_t virtual_key_of(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return static_cast<std::uint8_t>('A' + (key - SDLK_a));
  if (key >= SDLK_0 && key <= SDLK_9) return static_cast<std::uint8_t>('0' + (key - SDLK_0));
  if (key >= SDLK_F1 && key <= SDLK_F12) return static_cast<std::uint8_t>(0x70 + (key - SDLK_F1));
  switch (key) {
    case SDLK_SPACE: return key_space;
    case SDLK_ESCAPE: return key_escape;
    case SDLK_RETURN: return 0x0D;
    case SDLK_BACKSPACE: return 0x08;
    case SDLK_TAB: return 0x09;
    case SDLK_LEFT: return 0x25;
    case SDLK_UP: return 0x26;
    case SDLK_RIGHT: return 0x27;
    case SDLK_DOWN: return 0x28;
    default: return 0;
  }
}

// SDL falls back to drivers that draw into memory when no display can be reached ("offscreen", "dummy");
// a program for people's screens would then run for ever with nothing to see.
bool driver_shows_nothing(const char* driver) {
  return !driver || std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0;
}

Uint32 window_flags_of(int display_mode) {
  switch (display_mode) {
    case 0: return SDL_WINDOW_SHOWN;
    case 1: return SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE;
    case 2: return SDL_WINDOW_SHOWN | SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP;
    default: return SDL_WINDOW_SHOWN | SDL_WINDOW_FULLSCREEN_DESKTOP;
  }
}

void close_renderer() {
  if (display.texture) SDL_DestroyTexture(display.texture);
  if (display.renderer) SDL_DestroyRenderer(display.renderer);
  display.texture = nullptr;
  display.renderer = nullptr;
}

void close_display() {
  close_renderer();
  if (display.window) SDL_DestroyWindow(display.window);
  display.window = nullptr;
  display.draws_on_surface = false;
}

struct WindowRect {
  int x, y, width, height;
};

// Where a window of this mode stands: the screen-covering modes are screen-sized from the start, so the
// picture covers the screen even where no window manager applies the full-screen request.
WindowRect window_rect_of(int display_mode) {
  SDL_DisplayMode desktop{};
  if (display_mode >= 2 && SDL_GetDesktopDisplayMode(0, &desktop) == 0) return {0, 0, desktop.w, desktop.h};
  return {SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, base::frame_width, base::frame_height};
}

// Full screen keeps the 640x480 aspect with bars; the window modes stretch to the client area.
void set_picture_scaling(int display_mode) {
  display.surface_stale = true;
  if (!display.renderer) return;
  if (display_mode == display_full_screen) {
    SDL_RenderSetLogicalSize(display.renderer, base::frame_width, base::frame_height);
  } else {
    SDL_RenderSetLogicalSize(display.renderer, 0, 0);
  }
}

void pace_to_desktop_refresh() {
  SDL_DisplayMode desktop{};
  if (SDL_GetDesktopDisplayMode(0, &desktop) == 0 && desktop.refresh_rate > 0) {
    display.frame_interval_ms = static_cast<Uint32>(std::max(1, 1000 / desktop.refresh_rate));
  }
}

bool open_renderer(Uint32 flags) {
  display.renderer = SDL_CreateRenderer(display.window, -1, flags);
  if (!display.renderer) return false;
  display.texture = SDL_CreateTexture(display.renderer, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING,
                                      base::frame_width, base::frame_height);
  if (!display.texture) return false;
  // Crisp pixels at any size, whatever scaling quality the environment asks SDL for.
  SDL_SetTextureScaleMode(display.texture, SDL_ScaleModeNearest);
  return true;
}

// Whether an OpenGL implementation draws on the processor: Mesa's llvmpipe, softpipe and swrast.
bool names_software_gl(const char* gl_renderer) {
  for (const char* software : {"llvmpipe", "softpipe", "swrast"}) {
    if (std::strstr(gl_renderer, software)) return true;
  }
  return false;
}

// Whether the renderer draws on the processor: SDL's own software renderer, or a GL one on a software GL.
// Its GL context is the current one on this thread right after the renderer was made.
bool renderer_draws_in_software() {
  SDL_RendererInfo info{};
  if (SDL_GetRendererInfo(display.renderer, &info) != 0) return false;
  if ((info.flags & SDL_RENDERER_SOFTWARE) != 0) return true;
  if (!SDL_GL_GetCurrentContext()) return false;
  using GetString = const GLubyte*(APIENTRY*)(GLenum);
  const auto get_string = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
  const GLubyte* name = get_string ? get_string(GL_RENDERER) : nullptr;
  return name && names_software_gl(reinterpret_cast<const char*>(name));
}

// Whether the window's own pixels can take the frames: two or four bytes a pixel, as X servers have.
bool window_surface_takes_frames() {
  const SDL_Surface* surface = SDL_GetWindowSurface(display.window);
  if (!surface) return false;
  const int bytes_per_pixel = surface->format->BytesPerPixel;
  return bytes_per_pixel == 2 || bytes_per_pixel == 4;
}

// A GPU renderer with vertical sync where there is one; else the window surface; else SDL's software
// renderer, which takes any pixel format.
bool open_picture_path() {
  if (open_renderer(SDL_RENDERER_PRESENTVSYNC) && !renderer_draws_in_software()) return true;
  close_renderer();
  display.draws_on_surface = window_surface_takes_frames();
  return display.draws_on_surface || open_renderer(SDL_RENDERER_SOFTWARE);
}

bool open_display(const char* title, int display_mode) {
  pace_to_desktop_refresh();
  const WindowRect rect = window_rect_of(display_mode);
  display.window = SDL_CreateWindow(title, rect.x, rect.y, rect.width, rect.height, window_flags_of(display_mode));
  if (!display.window || !open_picture_path()) return false;
  set_picture_scaling(display_mode);
  display.display_mode = display.started_in = display_mode;
  return true;
}

// Main thread, on Alt+Enter: the same window, renderer and texture, now covering the screen or a window
// again. The window is placed by hand as well, for desktops without a window manager.
void switch_display_mode() {
  const int mode = display_mode_after_toggle(display.display_mode, display.started_in);
  const WindowRect rect = window_rect_of(mode);
  if (mode == display_full_screen) {
    SDL_SetWindowPosition(display.window, rect.x, rect.y);
    SDL_SetWindowSize(display.window, rect.width, rect.height);
    SDL_SetWindowFullscreen(display.window, SDL_WINDOW_FULLSCREEN_DESKTOP);
  } else {
    SDL_SetWindowFullscreen(display.window, 0);
    SDL_SetWindowBordered(display.window, SDL_TRUE);
    SDL_SetWindowAlwaysOnTop(display.window, SDL_FALSE);
    SDL_SetWindowResizable(display.window, mode == 1 ? SDL_TRUE : SDL_FALSE);
    SDL_SetWindowSize(display.window, rect.width, rect.height);
    SDL_SetWindowPosition(display.window, rect.x, rect.y);
  }
  set_picture_scaling(mode);
  display.display_mode = mode;
}

bool is_alt_enter(const SDL_KeyboardEvent& key) {
  return key.type == SDL_KEYDOWN && key.keysym.sym == SDLK_RETURN && (key.keysym.mod & KMOD_ALT) != 0;
}

bool render_frame(const std::uint16_t* pixels) {
  bool ok = SDL_UpdateTexture(display.texture, nullptr, pixels, base::frame_width * 2) == 0;
  SDL_SetRenderDrawColor(display.renderer, 0, 0, 0, 255);
  ok = ok && SDL_RenderClear(display.renderer) == 0;
  ok = ok && SDL_RenderCopy(display.renderer, display.texture, nullptr, nullptr) == 0;
  SDL_RenderPresent(display.renderer);
  return ok;
}

void scale_onto(SDL_Surface* surface, PictureRect rect) {
  auto* target = static_cast<std::uint8_t*>(surface->pixels);
  if (surface->format->BytesPerPixel == 4) {
    scale_nearest(reinterpret_cast<const std::uint32_t*>(display.converted.data()), base::frame_width,
                  base::frame_height, target, surface->pitch, rect, display.source_columns);
  } else {
    scale_nearest(reinterpret_cast<const std::uint16_t*>(display.converted.data()), base::frame_width,
                  base::frame_height, target, surface->pitch, rect, display.source_columns);
  }
}

// The frame into the window surface, and only the picture's rectangle sent to the display; the whole
// surface, black bars and all, when it is new, resized or exposed. The surface is asked for every frame:
// SDL makes a new one when the window's size changes.
bool draw_on_surface(const std::uint16_t* pixels) {
  SDL_Surface* surface = SDL_GetWindowSurface(display.window);
  if (!surface) return false;
  if (surface->w != display.surface_width || surface->h != display.surface_height) display.surface_stale = true;
  const PictureRect rect = picture_rect_in(surface->w, surface->h, base::frame_width, base::frame_height,
                                           display.display_mode == display_full_screen);
  const int converted_pitch = base::frame_width * surface->format->BytesPerPixel;
  display.converted.resize(static_cast<std::size_t>(converted_pitch) * base::frame_height);
  if (SDL_ConvertPixels(base::frame_width, base::frame_height, SDL_PIXELFORMAT_RGB565, pixels, base::frame_width * 2,
                        surface->format->format, display.converted.data(), converted_pitch) != 0) {
    return false;
  }
  if (display.surface_stale) SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
  scale_onto(surface, rect);
  if (!display.surface_stale) {
    const SDL_Rect changed{rect.x, rect.y, rect.width, rect.height};
    return SDL_UpdateWindowSurfaceRects(display.window, &changed, 1) == 0;
  }
  if (SDL_UpdateWindowSurface(display.window) != 0) return false;
  display.surface_stale = false;
  display.surface_width = surface->w;
  display.surface_height = surface->h;
  return true;
}

// Main thread: puts the pending frame on screen, then holds until one display refresh has passed since
// the previous frame, so that displays without vertical sync still get a steady 60 Hz or so.
bool show_frame(const std::uint16_t* pixels) {
  const bool ok = display.draws_on_surface ? draw_on_surface(pixels) : render_frame(pixels);
  const Uint32 since_last = SDL_GetTicks() - display.last_shown_tick;
  if (since_last < display.frame_interval_ms) SDL_Delay(display.frame_interval_ms - since_last);
  display.last_shown_tick = SDL_GetTicks();
  return ok;
}

// Main thread, before the frame thread starts: one black frame through the whole path frames take. A
// renderer that readies itself on first use (a GL driver compiles its shaders then, for seconds on a busy
// machine) would otherwise hold back the NFO screen's first frame while the screen's clock, which the
// verdict is timed by, already runs.
void show_black_frame() {
  const std::vector<std::uint16_t> black(base::frame_pixel_count, 0);
  show_frame(black.data());
}

void handle_pending_frame() {
  const std::uint16_t* pixels = nullptr;
  {
    std::lock_guard<std::mutex> hold(display.lock);
    pixels = display.pending;
  }
  if (!pixels) return;
  const bool ok = show_frame(pixels);
  std::lock_guard<std::mutex> hold(display.lock);
  display.pending = nullptr;
  display.pending_ok = ok;
  display.frame_shown.notify_all();
}

void handle_key(const SDL_KeyboardEvent& key) {
  const std::uint8_t code = virtual_key_of(key.keysym.sym);
  if (code != 0 && display.on_key) display.on_key(code, key.type == SDL_KEYDOWN);
}

}  // namespace

std::uint32_t tick_ms() { return SDL_GetTicks(); }

bool create_window(const char* title, int display_mode, KeyHandler on_key) {
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) != 0) {
    std::fprintf(stderr, "zarn: no display: %s\n", SDL_GetError());
    return false;
  }
  if (driver_shows_nothing(SDL_GetCurrentVideoDriver())) {
    std::fprintf(stderr, "zarn: no display to show the intro on (DISPLAY is %s); start it on a desktop\n",
                 SDL_getenv("DISPLAY") ? SDL_getenv("DISPLAY") : "not set");
    SDL_Quit();
    return false;
  }
  // A window surface goes straight to the X server, never through a GL texture of SDL's own.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  display.on_key = on_key;
  display.present_event = SDL_RegisterEvents(1);
  display.loop_ended = false;
  if (display.present_event == static_cast<Uint32>(-1) || !open_display(title, display_mode)) {
    std::fprintf(stderr, "zarn: cannot open the window: %s\n", SDL_GetError());
    close_display();
    return false;
  }
  show_black_frame();
  SDL_ShowCursor(SDL_DISABLE);
  return true;
}

void run_message_loop() {
  SDL_Event event;
  bool quit = false;
  while (!quit && SDL_WaitEvent(&event)) {
    if (event.type == SDL_QUIT) {
      quit = true;
    } else if (is_alt_enter(event.key)) {
      if (!event.key.repeat) switch_display_mode();
    } else if (event.type == SDL_KEYDOWN || event.type == SDL_KEYUP) {
      handle_key(event.key);
    } else if (event.type == display.present_event) {
      handle_pending_frame();
    } else if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_EXPOSED) {
      // The display has lost what the window showed, bars and all: the next frame sends the whole window.
      display.surface_stale = true;
    }
  }
  // From here on nobody shows frames: release a frame thread that waits for one.
  std::lock_guard<std::mutex> hold(display.lock);
  display.loop_ended = true;
  display.pending = nullptr;
  display.frame_shown.notify_all();
}

void request_quit() {
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  SDL_PushEvent(&quit);
}

bool present(const std::uint16_t* pixels) {
  std::unique_lock<std::mutex> hold(display.lock);
  if (display.loop_ended) return true;
  display.pending = pixels;
  SDL_Event event{};
  event.type = display.present_event;
  if (SDL_PushEvent(&event) != 1) {
    display.pending = nullptr;
    return false;
  }
  display.frame_shown.wait(hold, [] { return display.pending == nullptr; });
  return display.loop_ended || display.pending_ok;
}

void destroy_window() {
  close_display();
  SDL_Quit();
}

void message_box(const char* text, const char* caption) {
  std::fprintf(stderr, "%s: %s\n", caption, text);
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, caption, text, nullptr);
}

}  // namespace platform
