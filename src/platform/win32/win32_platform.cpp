// The platform on Windows: the window of class "demo", its messages on the main thread, and the picture
// shown from the frame thread through GDI in the window modes or DirectDraw in full screen.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <mutex>

#include "base/frame_geometry.h"
#include "platform/platform.h"
#include "platform/win32/full_screen.h"
#include "platform/win32/win32_program.h"

namespace platform {
namespace {

// A BITMAPINFO whose colour table holds the three masks of RGB565, rows top to bottom: GDI takes the
// frame buffer as it is, without conversion.
struct PixelFormatInfo {
  BITMAPINFOHEADER header;
  DWORD masks[3];
};
static_assert(sizeof(PixelFormatInfo) == 52, "bit-field BITMAPINFO");

const PixelFormatInfo pixel_format_info = {
    {sizeof(BITMAPINFOHEADER), base::frame_width, -base::frame_height, 1, 16, BI_BITFIELDS, 0, 0, 0, 0, 0},
    {0xF800, 0x07E0, 0x001F},
};

struct Win32Display {
  HINSTANCE instance = nullptr;
  int show_command = SW_SHOWDEFAULT;
  HWND main_window = nullptr;
  HDC window_dc = nullptr;  // taken once the window is shown, released when it is destroyed
  int display_mode = display_full_screen;  // the mode shown now
  int started_in = display_full_screen;    // the mode create_window was asked for
  KeyHandler on_key = nullptr;
  // Held by the frame thread while it presents and by the window's destruction, so that no picture goes
  // to a released device context or a destroyed window.
  std::mutex lock;
  bool closed = true;
};

Win32Display display;

struct WindowPlacement {
  DWORD style;
  DWORD extended_style;
  int x;
  int y;
  int width;
  int height;
};

// A window around a client area of exactly 640x480, so that the picture shows whole at its own size.
// (The overlapped window gets its caption from Windows at creation, but not when its style is changed
// later; it is named here for both.)
WindowPlacement window_around_picture(DWORD style) {
  RECT outer{0, 0, base::frame_width, base::frame_height};
  AdjustWindowRectEx(&outer, style, FALSE, 0);
  return {style, 0, CW_USEDEFAULT, CW_USEDEFAULT, outer.right - outer.left, outer.bottom - outer.top};
}

// Style, position and outer size of the window in each display mode, from the system's metrics.
WindowPlacement placement_of(int display_mode) {
  switch (display_mode) {
    case 0:
      return window_around_picture(WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU);
    case 1:
      return window_around_picture(WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX |
                                   WS_MAXIMIZEBOX);
    default:
      return {WS_POPUP, WS_EX_TOPMOST, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  }
}

// Style, position and size of `display_mode` given to the existing window. A window mode, which Windows
// would place by default at creation, stands in the middle of the screen.
void place_window(int display_mode) {
  WindowPlacement placement = placement_of(display_mode);
  if (placement.x == CW_USEDEFAULT) {
    placement.x = std::max(0, (GetSystemMetrics(SM_CXSCREEN) - placement.width) / 2);
    placement.y = std::max(0, (GetSystemMetrics(SM_CYSCREEN) - placement.height) / 2);
  }
  const HWND order = (placement.extended_style & WS_EX_TOPMOST) != 0 ? HWND_TOPMOST : HWND_NOTOPMOST;
  SetWindowLongPtrA(display.main_window, GWL_STYLE, static_cast<LONG_PTR>(placement.style | WS_VISIBLE));
  SetWindowLongPtrA(display.main_window, GWL_EXSTYLE, static_cast<LONG_PTR>(placement.extended_style));
  SetWindowPos(display.main_window, order, placement.x, placement.y, placement.width, placement.height,
               SWP_FRAMECHANGED | SWP_SHOWWINDOW);
}

// Main thread, on Alt+Enter: between the window and DirectDraw's exclusive full screen. The frame thread
// presents under the same lock, so it never meets a display half made or half released. When the full
// screen cannot be had, the window stays.
void switch_display_mode() {
  std::lock_guard<std::mutex> hold(display.lock);
  if (display.closed) return;
  const int previous = display.display_mode;
  const int mode = display_mode_after_toggle(previous, display.started_in);
  if (previous == display_full_screen) win32::close_full_screen();
  place_window(mode);
  display.display_mode = mode;
  if (mode != display_full_screen) return;
  if (win32::open_full_screen(display.main_window, base::frame_width, base::frame_height)) return;
  win32::close_full_screen();
  place_window(previous);
  display.display_mode = previous;
}

// Alt+Enter comes as a system key, with the Alt key's context bit; a key held down repeats, which
// would switch back and forth.
bool is_alt_enter(UINT message, WPARAM w_param, LPARAM l_param) {
  const bool alt_held = (l_param & (1 << 29)) != 0;
  const bool repeated = (l_param & (1 << 30)) != 0;
  return message == WM_SYSKEYDOWN && w_param == VK_RETURN && alt_held && !repeated;
}

void forget_window() {
  std::lock_guard<std::mutex> hold(display.lock);
  display.closed = true;
  if (display.window_dc) ReleaseDC(display.main_window, display.window_dc);
  display.window_dc = nullptr;
}

LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM w_param, LPARAM l_param) {
  if (is_alt_enter(message, w_param, l_param)) {
    switch_display_mode();
    return 0;
  }
  // The character Alt+Enter leaves behind: the default handling would beep, as for a menu key without a menu.
  if (message == WM_SYSCHAR && w_param == '\r') return 0;
  switch (message) {
    case WM_KEYDOWN:
      if (display.on_key) display.on_key(static_cast<std::uint8_t>(w_param & 0xFF), true);
      break;
    case WM_KEYUP:
      if (display.on_key) display.on_key(static_cast<std::uint8_t>(w_param & 0xFF), false);
      break;
    case WM_DESTROY:
      // The frame thread is told to stop by the program once the message loop has ended; until then
      // its pictures are dropped.
      forget_window();
      PostQuitMessage(0);
      break;
    default:
      break;
  }
  return DefWindowProcA(window, message, w_param, l_param);
}

void register_window_class() {
  WNDCLASSA window_class{};
  window_class.style = CS_BYTEALIGNCLIENT;
  window_class.lpfnWndProc = window_proc;
  window_class.hInstance = display.instance;
  // Neither icon nor cursor: the program's icon is its resource group 102, and the cursor stays hidden.
  window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  window_class.lpszClassName = "demo";
  RegisterClassA(&window_class);
}

// GDI into the window: 1:1 at the client origin in mode 0, stretched onto the client area otherwise.
void present_through_gdi(const std::uint16_t* pixels) {
  const auto* info = reinterpret_cast<const BITMAPINFO*>(&pixel_format_info);
  if (display.display_mode == 0) {
    SetDIBitsToDevice(display.window_dc, 0, 0, base::frame_width, base::frame_height, 0, 0, 0, base::frame_height,
                      pixels, info, DIB_RGB_COLORS);
    return;
  }
  RECT client{};
  GetClientRect(display.main_window, &client);
  StretchDIBits(display.window_dc, 0, 0, client.right - client.left, client.bottom - client.top, 0, 0,
                base::frame_width, base::frame_height, pixels, info, DIB_RGB_COLORS, SRCCOPY);
}

}  // namespace

namespace win32 {

void set_program_instance(HINSTANCE instance, int show_command) {
  display.instance = instance;
  display.show_command = show_command;
}

namespace {

bool has_output(DWORD which) {
  const HANDLE handle = GetStdHandle(which);
  return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

}  // namespace

void connect_text_output() {
  const bool out = has_output(STD_OUTPUT_HANDLE);
  const bool err = has_output(STD_ERROR_HANDLE);
  if ((out && err) || !AttachConsole(ATTACH_PARENT_PROCESS)) return;
  if (!out) std::freopen("CONOUT$", "w", stdout);
  if (!err) std::freopen("CONOUT$", "w", stderr);
}

}  // namespace win32

std::uint32_t tick_ms() { return GetTickCount(); }

bool create_window(const char* title, int display_mode, KeyHandler on_key) {
  ShowCursor(FALSE);
  if (!display.instance) display.instance = GetModuleHandleA(nullptr);
  display.display_mode = display.started_in = display_mode;
  display.on_key = on_key;
  register_window_class();
  const WindowPlacement placement = placement_of(display_mode);
  display.main_window = CreateWindowExA(placement.extended_style, "demo", title, placement.style, placement.x,
                                        placement.y, placement.width, placement.height, nullptr, nullptr,
                                        display.instance, nullptr);
  if (!display.main_window) return false;
  ShowWindow(display.main_window, display.show_command);
  {
    std::lock_guard<std::mutex> hold(display.lock);
    display.window_dc = GetDC(display.main_window);
    display.closed = false;
  }
  if (display_mode != display_full_screen) return true;
  if (win32::open_full_screen(display.main_window, base::frame_width, base::frame_height)) return true;
  destroy_window();
  return false;
}

void run_message_loop() {
  MSG message;
  // The main thread only moves messages, and it is in no hurry to: each waits 40 ms first.
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    Sleep(40);
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  std::lock_guard<std::mutex> hold(display.lock);
  display.closed = true;
}

void request_quit() {
  if (display.main_window) PostMessageA(display.main_window, WM_CLOSE, 0, 0);
}

bool present(const std::uint16_t* pixels) {
  std::lock_guard<std::mutex> hold(display.lock);
  if (display.closed) return true;
  if (display.display_mode == display_full_screen) return win32::present_full_screen(pixels);
  if (display.window_dc) present_through_gdi(pixels);
  return true;
}

void destroy_window() {
  // Only after the frame thread has ended: DirectDraw is never used by two threads at once.
  win32::close_full_screen();
  forget_window();
  if (display.main_window && IsWindow(display.main_window)) DestroyWindow(display.main_window);
  display.main_window = nullptr;
}

void message_box(const char* text, const char* caption) {
  std::fprintf(stderr, "%s: %s\n", caption, text);
  MessageBoxA(nullptr, text, caption, MB_OK);
}

}  // namespace platform
