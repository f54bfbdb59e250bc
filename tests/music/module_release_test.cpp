// Releasing modules and samples: nothing is freed while the mixer may still read it.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>

#include "music/module.h"
#include "music/sound_system.h"
#include "support/xm_fixture.h"

namespace {

TEST(ModuleRelease, WaitsUntilTheMixerIsIdle) {
  music::Module* module = test_support::load_bytes(music::write_xm(test_support::small_song())).module.release();
  ASSERT_NE(module, nullptr);
  const music::Sample* sample = new music::Sample;
  struct Case {
    const char* what;
    std::function<bool()> release;
  };
  const Case cases[] = {
      {"free_module", [module] { return music::free_module(module); }},
      {"free_sample", [sample] {
         music::free_sample(sample);
         return true;
       }},
  };
  for (const Case& c : cases) {
    music::sound_system.mixer_busy = 1;
    std::future<bool> released = std::async(std::launch::async, c.release);
    // However slow the machine, a release that waits cannot be done while the flag stays set.
    EXPECT_EQ(released.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout) << c.what;
    music::sound_system.mixer_busy = 0;
    EXPECT_TRUE(released.get()) << c.what;
  }
}

TEST(ModuleRelease, NoneIsRefusedOrIgnored) {
  EXPECT_FALSE(music::free_module(nullptr));
  music::free_sample(nullptr);
}

}  // namespace
