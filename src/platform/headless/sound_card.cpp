// Loads the wave device module from the program's own folder.
#include "platform/headless/sound_card.h"

#include <dlfcn.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace platform::headless {

const WaveDevice* load_sound_card() {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  const std::filesystem::path module = program.parent_path() / ZARN_WAVE_DEVICE_MODULE;
  void* library = error ? nullptr : dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    std::fprintf(stderr, "no sound card module: %s\n", error ? error.message().c_str() : dlerror());
    return nullptr;
  }
  using DeviceOfModule = const WaveDevice* (*)();
  const auto device_of = reinterpret_cast<DeviceOfModule>(dlsym(library, "zarn_wave_device"));
  return device_of ? device_of() : nullptr;
}

}  // namespace platform::headless
