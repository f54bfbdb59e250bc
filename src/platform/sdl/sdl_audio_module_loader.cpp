// Loads the SDL2 audio device module from the program's own folder.
#include "platform/sdl/sdl_audio_module_loader.h"

#include <dlfcn.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace platform::sdl {

const WaveDevice* load_sdl_audio_module() {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  const std::filesystem::path module = program.parent_path() / ZARN_SDL_AUDIO_MODULE_FILE;
  void* library = error ? nullptr : dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    std::fprintf(stderr, "no sound card module: %s\n", error ? error.message().c_str() : dlerror());
    return nullptr;
  }
  using DeviceOfModule = const WaveDevice* (*)();
  const auto device_of = reinterpret_cast<DeviceOfModule>(dlsym(library, "zarn_wave_device"));
  return device_of ? device_of() : nullptr;
}

}  // namespace platform::sdl
