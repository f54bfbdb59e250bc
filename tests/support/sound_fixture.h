// A sound system to start as the program starts it (sound_start_with): the headless platform reset, the
// default buffer length; closed again after each test.
#pragma once

#include <gtest/gtest.h>

#include "music/sound_system.h"
#include "platform/headless/headless.h"

namespace test_support {

class FreshSoundSystem : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::headless::reset();
    music::set_buffer_length(music::default_buffer_length_ms);
  }
  void TearDown() override {
    music::close_sound();
    platform::headless::reset();
  }
};

}  // namespace test_support
