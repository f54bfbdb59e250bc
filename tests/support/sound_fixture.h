// A sound system as the program starts it: the headless platform reset, modules read from memory, the
// default buffer length; closed again after each test.
#pragma once

#include <gtest/gtest.h>

#include "music/memory_file.h"
#include "music/sound_system.h"
#include "platform/headless/headless.h"

namespace test_support {

class FreshSoundSystem : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::headless::reset();
    music::install_memory_file();
    music::set_buffer_length(music::default_buffer_length_ms);
  }
  void TearDown() override {
    music::close_sound();
    platform::headless::reset();
  }
};

}  // namespace test_support
