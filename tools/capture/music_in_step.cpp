// The music of a headless run in step with its clock.
#include "tools/capture/music_in_step.h"

#include "music/sound_system.h"
#include "platform/platform.h"
#include "music/offline_render.h"

namespace tools {
namespace {

std::size_t frames_for_ms(std::uint64_t ms) {
  return static_cast<std::size_t>(ms * static_cast<std::uint64_t>(music::sound_system.mix_rate) / 1000);
}

}  // namespace

bool MusicInStep::render_until(std::uint64_t ms) {
  const music::SoundSystem& sound = music::sound_system;
  if (failed_) return false;
  if (!sound.open) return true;
  if (!rendered_) {
    if (!music_.open(path_, platform::wave_channels, sound.mix_rate)) {
      failed_ = true;
      return false;
    }
    rendered_ = true;
  }
  const std::size_t due = frames_for_ms(ms) * platform::wave_channels;
  while (samples_written_ + unwritten_.size() < due) {
    if (!music::render_blocks(1, unwritten_)) return true;
  }
  const std::size_t take = due - samples_written_;
  if (!music_.append(unwritten_.data(), take)) {
    failed_ = true;
    return false;
  }
  unwritten_.erase(unwritten_.begin(), unwritten_.begin() + static_cast<std::ptrdiff_t>(take));
  samples_written_ += take;
  return true;
}

bool MusicInStep::finish() { return !failed_ && (!rendered_ || music_.finish()); }

}  // namespace tools
