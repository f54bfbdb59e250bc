// DirectDraw 7 in exclusive full-screen mode. The pixels go to the back buffer unchanged: the 16-bit
// display mode is taken to be RGB565, as the frame buffer is.
#include "platform/win32/full_screen.h"

#include <ddraw.h>

#include "platform/win32/pitched_copy.h"

namespace platform::win32 {
namespace {

struct FullScreen {
  IDirectDraw7* direct_draw = nullptr;
  IDirectDrawSurface7* primary = nullptr;  // the flipping chain; its back buffer goes with it
  IDirectDrawSurface7* back_buffer = nullptr;
  int width = 0;
  int height = 0;
};

FullScreen full_screen;

bool create_flipping_chain() {
  DDSURFACEDESC2 description{};
  description.dwSize = sizeof description;
  description.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  description.dwBackBufferCount = 1;
  description.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
  if (full_screen.direct_draw->CreateSurface(&description, &full_screen.primary, nullptr) != DD_OK) return false;
  DDSCAPS2 back_caps{};
  back_caps.dwCaps = DDSCAPS_BACKBUFFER;
  // Every frame is drawn into the back buffer, so a chain without one is no display at all.
  return full_screen.primary->GetAttachedSurface(&back_caps, &full_screen.back_buffer) == DD_OK &&
         full_screen.back_buffer != nullptr;
}

}  // namespace

bool open_full_screen(HWND window, int width, int height) {
  full_screen.width = width;
  full_screen.height = height;
  if (DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&full_screen.direct_draw), IID_IDirectDraw7, nullptr) !=
      DD_OK) {
    full_screen.direct_draw = nullptr;
    return false;
  }
  IDirectDraw7* direct_draw = full_screen.direct_draw;
  if (direct_draw->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT) != DD_OK) {
    return false;
  }
  if (direct_draw->SetDisplayMode(static_cast<DWORD>(width), static_cast<DWORD>(height), 16, 0, 0) != DD_OK) {
    return false;
  }
  return create_flipping_chain();
}

bool present_full_screen(const std::uint16_t* pixels) {
  if (!full_screen.back_buffer) return false;
  DDSURFACEDESC2 locked{};
  locked.dwSize = sizeof locked;
  if (full_screen.back_buffer->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr) != DD_OK) return false;
  copy_to_pitched_surface(static_cast<std::uint8_t*>(locked.lpSurface), locked.lPitch, pixels, full_screen.width,
                          full_screen.height);
  full_screen.back_buffer->Unlock(nullptr);
  full_screen.primary->Flip(nullptr, DDFLIP_WAIT);
  return true;
}

void close_full_screen() {
  if (full_screen.primary) {
    full_screen.primary->Release();
    full_screen.primary = nullptr;
    full_screen.back_buffer = nullptr;
  }
  if (full_screen.direct_draw) {
    full_screen.direct_draw->RestoreDisplayMode();
    full_screen.direct_draw->SetCooperativeLevel(nullptr, DDSCL_NORMAL);
    full_screen.direct_draw->Release();
    full_screen.direct_draw = nullptr;
  }
}

}  // namespace platform::win32
