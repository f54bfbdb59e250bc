// Rows and ticks: the order of work on each tick, and where the song goes after each row.
#include "music/replay.h"

#include <algorithm>
#include <new>

#include "music/effect_dispatch.h"
#include "music/envelopes.h"
#include "music/periods.h"
#include "music/sound_system.h"
#include "music/volume_column.h"

namespace music {
namespace {

const Pattern* pattern_at(const Module& module, std::int32_t order_position) {
  if (order_position < 0 || order_position >= order_table_size) return nullptr;
  const std::int32_t index = module.order_table[order_position];
  if (!module.patterns || index >= module.pattern_slots) return nullptr;
  return &module.patterns[index];
}

std::int32_t rows_at(const Module& module, std::int32_t order_position) {
  const Pattern* pattern = pattern_at(module, order_position);
  return pattern ? pattern->rows : 0;
}

// The cells of the current row, channel after channel; none when there is nothing to play.
const PatternCell* current_row_cells(const Module& module) {
  const Pattern* pattern = pattern_at(module, module.order_position);
  if (!pattern || module.channel_count <= 0 || !module.channels) return nullptr;
  if (module.row < 0 || module.row >= pattern->rows) return nullptr;
  return row_cells(*pattern, module.row, module.channel_count);
}

// Moves to the row that the last row planned. A break may name a row the next pattern does not have
// (up to 63 in a shorter pattern): that pattern plays from row 0.
void enter_planned_row(Module& module) {
  if (module.next_order >= 0) module.order_position = module.next_order;
  if (module.next_row >= 0) module.row = module.next_row;
  if (module.row >= rows_at(module, module.order_position)) module.row = 0;
}

// After a row without jump or break: the next row, or the loop's row, or row 0 of the next order; after
// the last order the song goes on at its restart position.
void plan_next_row(Module& module) {
  module.next_row = module.pattern_loop_row >= 0 ? module.pattern_loop_row : module.row + 1;
  if (module.next_row < rows_at(module, module.order_position)) return;
  module.next_order = module.order_position + 1;
  if (module.next_order >= module.song_length) module.next_order = module.restart_position;
  module.next_row = 0;
}

void fade_out(Channel& channel, const Instrument& instrument) {
  channel.fadeout_volume = std::max(channel.fadeout_volume - instrument.fadeout, 0);
  channel.update_flags |= update_volume;
}

bool is_portamento_row(const PatternCell& cell) {
  return cell.effect_type == effect_tone_porta || cell.effect_type == effect_tone_porta_volume_slide;
}

bool has_note(const PatternCell& cell) { return cell.note >= 1 && cell.note <= highest_note; }

// Tick 0 for one channel. A tone portamento's note sets only the slide's target: the channel keeps its
// note, instrument and sample, which also pick the target's relative note and finetune.
void row_channel(Module& module, Channel& channel, const PatternCell& cell) {
  const bool portamento = is_portamento_row(cell);
  if (cell.instrument != 0 && !portamento) channel.instrument = cell.instrument - 1;
  if (has_note(cell) && !portamento) channel.note = cell.note - 1;
  const ChannelSound sound = select_sound(module, channel);
  const RowStart before_row{channel.volume, channel.period, channel.panning};
  channel.volume_offset = 0;
  channel.update_flags = 0;
  if (has_note(cell)) {
    channel.real_note = static_cast<std::uint8_t>(cell.note - 1 + sound.sample.relative_note);
    channel.note_period = note_period(module, channel.real_note, sound.sample.finetune);
    if (!portamento) channel.period = channel.note_period;
    channel.update_flags = update_start;
  }
  channel.period_offset = 0;
  channel.update_flags |= update_frequency | update_volume;
  if (cell.instrument != 0) trigger_instrument(channel, sound.sample);
  if (cell.volume != 0) volume_column_row(channel, cell.volume);
  if (cell.note == note_key_off || cell.effect_type == effect_key_off) channel.key_off = 1;
  if (sound.instrument.volume_type & envelope_on) {
    if (!channel.volume_env_done) envelope_step(channel, sound.instrument, EnvelopeKind::volume);
  } else if (channel.key_off) {
    channel.volume_env_output = 0;  // a release without a volume envelope silences the note
  }
  if (envelope_running(channel, sound.instrument, EnvelopeKind::panning)) {
    envelope_step(channel, sound.instrument, EnvelopeKind::panning);
  }
  if (channel.key_off) fade_out(channel, sound.instrument);
  effect_row(channel, cell, sound, module, before_row);
  auto_vibrato(channel, sound.instrument);
  update_voice(channel, sound.sample, module);
}

// A later tick for one channel.
void tick_channel(Module& module, Channel& channel, const PatternCell& cell) {
  const ChannelSound sound = select_sound(module, channel);
  channel.volume_offset = 0;
  channel.period_offset = 0;
  channel.update_flags = 0;
  for (const EnvelopeKind kind : {EnvelopeKind::volume, EnvelopeKind::panning}) {
    if (envelope_running(channel, sound.instrument, kind)) envelope_step(channel, sound.instrument, kind);
  }
  if (channel.key_off) fade_out(channel, sound.instrument);
  volume_column_tick(channel, cell.volume);
  effect_tick(channel, cell, sound, module);
  auto_vibrato(channel, sound.instrument);
  update_voice(channel, sound.sample, module);
}

}  // namespace

void set_bpm(Module& module, std::int32_t bpm) {
  module.bpm = bpm;
  // In whole numbers: the same 1000 / (bpm x 0.4) x rate / 1000 in floating point loses a frame to
  // rounding at some tempos (874 instead of 875 at 126 BPM).
  const std::int32_t rate = module.sound ? module.sound->voice_pool.mix_rate : 0;
  module.samples_per_tick = 5 * rate / (2 * std::max(bpm, 1));
}

void play_tick(Module& module) {
  if (module.tick == 0) {
    enter_planned_row(module);
    process_row(module);
    if (module.next_row == -1) plan_next_row(module);
  } else {
    process_tick(module);
  }
  if (++module.tick >= module.speed + module.pattern_delay) module.tick = module.pattern_delay = 0;
}

void process_row(Module& module) {
  module.next_row = module.next_order = -1;
  module.pattern_loop_row = -1;
  module.position_jumped = 0;
  const PatternCell* cells = current_row_cells(module);
  if (!cells) return;
  for (std::int32_t i = 0; i < module.channel_count; ++i) row_channel(module, module.channels[i], cells[i]);
}

void process_tick(Module& module) {
  const PatternCell* cells = current_row_cells(module);
  if (!cells) return;
  for (std::int32_t i = 0; i < module.channel_count; ++i) tick_channel(module, module.channels[i], cells[i]);
}

bool start_replay(Module& module, SoundSystem& sound) {
  stop_replay(module);
  if (module.channel_count > max_voices) return false;
  module.sound = &sound;
  module.global_volume = module.initial_global_volume;
  module.next_order = module.next_row = -1;
  module.pattern_loop_row = -1;
  module.position_jumped = 0;
  module.speed = module.default_speed;
  module.row = module.order_position = module.samples_left_in_tick = module.tick = module.pattern_delay = 0;
  set_bpm(module, module.default_bpm);
  const std::int32_t count = std::max<std::int32_t>(module.channel_count, 0);
  module.channels = new (std::nothrow) Channel[count]();
  if (!module.channels) return false;
  for (std::int32_t i = 0; i < count; ++i) {
    module.channels[i].voice = &sound.voice_pool.voices[i];
    module.channels[i].voice_index = i;
  }
  return true;
}

void stop_replay(Module& module) {
  if (module.channels) {
    for (std::int32_t i = 0; i < module.channel_count; ++i) voice_stop(i, *module.sound);
    delete[] module.channels;
    module.channels = nullptr;
  }
  module.sound = nullptr;  // a stopped module refers to no system, which may end before it
}

}  // namespace music
