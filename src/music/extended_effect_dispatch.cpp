// Extended effects: fine slides, vibrato control, finetune, pattern loop, retrigger, note cut, note delay
// and pattern delay.
#include "music/extended_effect_dispatch.h"

#include <cstdint>

#include "music/effect_helpers.h"
#include "music/periods.h"
#include "music/volume_column.h"

namespace music {
namespace {

enum Extended : std::uint8_t {
  fine_porta_up = 0x1,
  fine_porta_down = 0x2,
  vibrato_control = 0x4,
  set_finetune = 0x5,
  pattern_loop = 0x6,
  set_panning = 0x8,
  retrigger = 0x9,
  fine_volume_up = 0xA,
  fine_volume_down = 0xB,
  note_cut = 0xC,
  note_delay = 0xD,
  pattern_delay = 0xE,
};
constexpr std::int32_t fine_porta_unit = 4;
constexpr std::int32_t panning_per_step = 16;
constexpr std::uint8_t sent_levels = update_start | update_frequency | update_volume | update_panning;

// E5: the finetune belongs to the sample, so every channel that plays it hears the change from its next
// note on. empty_sample, which stands in where there is none, is shared by every module and stays as it
// is.
void write_finetune(const Sample& sample, std::int32_t finetune) {
  if (&sample == &empty_sample) return;
  sample.finetune = static_cast<std::int8_t>(finetune);
}

// E6: y = 0 marks the loop start; otherwise counts the passes and, until they are used up, goes back to
// the mark after this row. The last channel to loop on a row sets the row.
void loop_pattern(Channel& channel, std::int32_t y, Module& module) {
  if (y == 0) {
    channel.loop_row = module.row;
    return;
  }
  channel.loop_count = channel.loop_count == 0 ? y : channel.loop_count - 1;
  if (channel.loop_count != 0) module.pattern_loop_row = channel.loop_row;
}

// ED on its tick: the note, its instrument reset and its volume column come now instead of on tick 0.
void play_delayed_note(Channel& channel, const PatternCell& cell, const Sample& sample) {
  trigger_instrument(channel, sample);
  channel.period = channel.note_period;
  channel.update_flags |= update_frequency;
  if (cell.volume != 0) volume_column_row(channel, cell.volume);
  channel.update_flags |= update_start;
}

}  // namespace

void extended_effect_row(Channel& channel, const PatternCell& cell, const ChannelSound& sound, Module& module,
                         const RowStart& before_row) {
  const std::int32_t y = cell.effect_parameter & 15;
  switch (cell.effect_parameter >> 4) {
    case fine_porta_up:
      channel.period = hold_sliding_period(std::int64_t{channel.period} - fine_porta_unit * y);
      break;
    case fine_porta_down:
      channel.period = hold_sliding_period(std::int64_t{channel.period} + fine_porta_unit * y);
      break;
    case vibrato_control:
      channel.waveform = static_cast<std::uint8_t>((channel.waveform & 0xF0) + y);
      break;
    case set_finetune:
      write_finetune(sound.sample, y);
      break;
    case pattern_loop:
      loop_pattern(channel, y, module);
      break;
    case set_panning:
      channel.panning = panning_per_step * y;
      channel.update_flags |= update_panning;
      break;
    case fine_volume_up:
      if (y != 0) channel.fine_volume_slide = static_cast<std::uint8_t>(y);
      change_volume(channel, channel.fine_volume_slide);
      break;
    case fine_volume_down:
      if (y != 0) channel.fine_volume_slide = static_cast<std::uint8_t>(y);
      change_volume(channel, -channel.fine_volume_slide);
      break;
    case note_delay:
      channel.volume = before_row.volume;
      channel.period = before_row.period;
      channel.panning = before_row.panning;
      channel.update_flags &= ~sent_levels;
      break;
    case pattern_delay:
      module.pattern_delay = y * module.speed;
      break;
    default:
      break;  // retrigger and note cut act on the later ticks; 0, 3, 7 and F do nothing
  }
}

void extended_effect_tick(Channel& channel, const PatternCell& cell, const ChannelSound& sound, const Module& module) {
  const std::int32_t y = cell.effect_parameter & 15;
  switch (cell.effect_parameter >> 4) {
    case retrigger:
      if (y != 0 && module.tick % y == 0) channel.update_flags |= update_start | update_frequency | update_volume;
      break;
    case note_cut:
      if (module.tick == y) {
        channel.volume = 0;
        channel.update_flags |= update_volume;
      }
      break;
    case note_delay:
      // ED0 never plays: no tick but the first is 0, and the first held the note back.
      if (module.tick == y) {
        play_delayed_note(channel, cell, sound.sample);
      } else {
        channel.update_flags &= ~sent_levels;
      }
      break;
    default:
      break;
  }
}

}  // namespace music
