// The effect column on the row's first tick and on the ticks after it: the switch over the effect
// numbers, and the effects small enough to need no helper of their own.
#include "music/effect_dispatch.h"

#include <algorithm>

#include "music/effect_helpers.h"
#include "music/envelopes.h"
#include "music/extended_effect_dispatch.h"
#include "music/periods.h"
#include "music/replay.h"
#include "music/volume_column.h"

namespace music {
namespace {

constexpr std::int32_t porta_speed_unit = 4;
// Portamento up stops here; nothing stops portamento down or the fine slides (the frequency is held).
constexpr std::int32_t highest_porta_up_period = 56;
constexpr std::uint32_t sample_offset_unit = 256;
// The last row a pattern break can name; beyond it the break goes to row 0.
constexpr std::int32_t last_break_row = 63;
// Speed parameters below this set ticks per row; from it on they set the tempo.
constexpr std::uint8_t first_tempo = 32;
constexpr std::int32_t arpeggio_ticks = 3;

// 9: the voice starts at the remembered offset on its next start, which may come on a later row. An
// offset at or past the loop end, which for a sample without loop is its end, silences the channel.
void sample_offset(Channel& channel, std::uint8_t parameter, const Sample& sample) {
  if (parameter != 0) channel.sample_offset = parameter;
  const std::uint32_t start = sample_offset_unit * static_cast<std::uint32_t>(channel.sample_offset);
  if (start >= sample.loop_start + sample.loop_length) {
    channel.update_flags &= ~update_start;
    channel.update_flags |= update_stop;
  } else {
    channel.voice->start_offset = start;
  }
}

// B: row 0 of the order given, or of the first when it lies beyond the song.
void position_jump(Module& module, std::uint8_t order) {
  module.next_row = 0;
  module.next_order = order < module.song_length ? order : 0;
  module.position_jumped = 1;
}

// D: the row is given in decimal digits (x tens, y units). A jump earlier on the row keeps its order.
void pattern_break(Module& module, std::uint8_t parameter) {
  const std::int32_t row = 10 * (parameter >> 4) + (parameter & 15);
  module.next_row = row > last_break_row ? 0 : row;
  if (!module.position_jumped) module.next_order = module.order_position + 1;
  if (module.next_order >= module.song_length) module.next_order = 0;
}

// R on the row's later ticks: the volume change of the retrig's volume code.
std::int32_t retrig_volume(std::int32_t volume, std::uint8_t code) {
  switch (code) {
    case 1: return volume - 1;
    case 2: return volume - 2;
    case 3: return volume - 4;
    case 4: return volume - 8;
    case 5: return volume - 16;
    case 6: return volume * 2 / 3;
    case 7: return volume / 2;
    case 9: return volume + 1;
    case 10: return volume + 2;
    case 11: return volume + 4;
    case 12: return volume + 8;
    case 13: return volume + 16;
    case 14: return volume * 3 / 2;
    case 15: return volume * 2;
    default: return volume;  // 0 and 8 only restart
  }
}

void multi_retrig(Channel& channel, const Module& module) {
  if (channel.retrig_interval == 0 || module.tick % channel.retrig_interval != 0) return;
  channel.volume = std::clamp(retrig_volume(channel.volume, channel.retrig_volume), 0, max_volume);
  channel.update_flags |= update_volume | update_start;
}

void arpeggio(Channel& channel, std::uint8_t parameter, const Sample& sample, const Module& module) {
  if (parameter == 0) return;
  const std::int32_t phase = module.tick % arpeggio_ticks;
  if (phase != 0) {
    const std::int32_t semitones = phase == 1 ? parameter >> 4 : parameter & 15;
    channel.period_offset = semitone_offset(module, channel.real_note, sample.finetune, semitones);
  }
  channel.update_flags |= update_frequency;
}

void global_volume_slide(Module& module) {
  const std::int32_t up = module.global_volume_slide >> 4;
  const std::int32_t change = up != 0 ? up : -(module.global_volume_slide & 15);
  module.global_volume = std::clamp(module.global_volume + change, 0, max_global_volume);
}

void panning_slide(Channel& channel) {
  const std::int32_t right = channel.panning_slide >> 4;
  change_panning(channel, right != 0 ? right : -(channel.panning_slide & 15));
}

// X: extra fine portamento, one period per step; x = 1 up, x = 2 down.
void extra_fine_porta(Channel& channel, std::uint8_t parameter) {
  const std::uint8_t y = parameter & 15;
  if (parameter >> 4 == 1) {
    if (y != 0) channel.xfine_up_speed = y;
    channel.period = hold_sliding_period(std::int64_t{channel.period} - channel.xfine_up_speed);
  } else if (parameter >> 4 == 2) {
    if (y != 0) channel.xfine_down_speed = y;
    channel.period = hold_sliding_period(std::int64_t{channel.period} + channel.xfine_down_speed);
  }
}

void set_speed_or_tempo(Module& module, std::uint8_t parameter) {
  if (parameter < first_tempo) {
    module.speed = parameter;
  } else {
    set_bpm(module, parameter);
  }
}

}  // namespace

void effect_row(Channel& channel, const PatternCell& cell, const ChannelSound& sound, Module& module,
                const RowStart& before_row) {
  const std::uint8_t p = cell.effect_parameter;
  switch (cell.effect_type) {
    case effect_porta_up:
      if (p != 0) channel.porta_up_speed = p;
      break;
    case effect_porta_down:
      if (p != 0) channel.porta_down_speed = p;
      break;
    case effect_tone_porta:
      if (p != 0) channel.porta_speed = p;
      channel.porta_target = channel.note_period;
      // auto_vibrato raises the frequency flag again: what this holds back is the sample's restart.
      channel.update_flags &= ~(update_start | update_frequency);
      break;
    case effect_vibrato:
      if (p >> 4 != 0) channel.vibrato_speed = p >> 4;
      if ((p & 15) != 0) channel.vibrato_depth = p & 15;
      vibrato(channel);
      break;
    case effect_tone_porta_volume_slide:
      channel.porta_target = channel.note_period;
      if (p != 0) channel.volume_slide = p;
      channel.update_flags &= ~(update_start | update_frequency);
      break;
    case effect_vibrato_volume_slide:
      if (p != 0) channel.volume_slide = p;
      vibrato(channel);
      break;
    case effect_set_panning:
      channel.panning = p;
      channel.update_flags |= update_panning;
      break;
    case effect_sample_offset:
      sample_offset(channel, p, sound.sample);
      break;
    case effect_volume_slide:
      if (p != 0) channel.volume_slide = p;
      break;
    case effect_position_jump:
      position_jump(module, p);
      break;
    case effect_set_volume:
      channel.volume = std::min<std::int32_t>(p, max_volume);
      channel.update_flags |= update_volume;
      break;
    case effect_pattern_break:
      pattern_break(module, p);
      break;
    case effect_extended:
      extended_effect_row(channel, cell, sound, module, before_row);
      break;
    case effect_speed_tempo:
      set_speed_or_tempo(module, p);
      break;
    case effect_global_volume:
      module.global_volume = std::min<std::int32_t>(p, max_global_volume);
      channel.update_flags |= update_volume;
      break;
    case effect_global_volume_slide:
      if (p != 0) module.global_volume_slide = p;
      break;
    case effect_envelope_position:
      if (sound.instrument.volume_type & envelope_on) set_volume_envelope_position(channel, sound.instrument, p);
      break;
    case effect_panning_slide:
      if (p != 0) {
        channel.panning_slide = p;
        channel.update_flags |= update_panning;
      }
      break;
    case effect_multi_retrig:
      if (p != 0) {
        channel.retrig_volume = p >> 4;
        channel.retrig_interval = p & 15;
      }
      break;
    case effect_tremor:
      if (p != 0) {
        channel.tremor_on = static_cast<std::uint8_t>((p >> 4) + 1);
        channel.tremor_off = static_cast<std::uint8_t>((p & 15) + 1);
      }
      tremor(channel);
      break;
    case effect_extra_fine_porta:
      extra_fine_porta(channel, p);
      break;
    default:
      break;  // arpeggio acts on the later ticks; key off was read before the envelopes
  }
}

void effect_tick(Channel& channel, const PatternCell& cell, const ChannelSound& sound, Module& module) {
  switch (cell.effect_type) {
    case effect_arpeggio:
      arpeggio(channel, cell.effect_parameter, sound.sample, module);
      break;
    case effect_porta_up:
      channel.period = std::max(channel.period - porta_speed_unit * channel.porta_up_speed, highest_porta_up_period);
      channel.period_offset = 0;
      channel.update_flags |= update_frequency;
      break;
    case effect_porta_down:
      channel.period =
          hold_sliding_period(std::int64_t{channel.period} + porta_speed_unit * channel.porta_down_speed);
      channel.period_offset = 0;
      channel.update_flags |= update_frequency;
      break;
    case effect_tone_porta:
      channel.period_offset = 0;
      tone_portamento(channel);
      break;
    case effect_vibrato:
      vibrato(channel);
      advance_vibrato(channel);
      break;
    case effect_tone_porta_volume_slide:
      channel.period_offset = 0;
      tone_portamento(channel);
      volume_slide(channel, channel.volume_slide);
      break;
    case effect_vibrato_volume_slide:
      vibrato(channel);
      advance_vibrato(channel);
      volume_slide(channel, channel.volume_slide);
      break;
    case effect_volume_slide:
      volume_slide(channel, channel.volume_slide);
      break;
    case effect_extended:
      extended_effect_tick(channel, cell, sound, module);
      break;
    case effect_global_volume_slide:
      global_volume_slide(module);
      break;
    case effect_panning_slide:
      panning_slide(channel);
      break;
    case effect_multi_retrig:
      multi_retrig(channel, module);
      break;
    case effect_tremor:
      tremor(channel);
      break;
    default:
      break;  // the other effects act on the first tick only
  }
}

}  // namespace music
