// The volume column: each command's work on the row's first tick and on the ticks after it.
#include "music/volume_column.h"

#include "music/effect_helpers.h"

namespace music {
namespace {

// 0x10..0x50 set the volume 0..64; above them the high nibble names the command.
constexpr std::uint8_t set_volume_first = 0x10;
constexpr std::uint8_t set_volume_last = 0x50;
enum VolumeCommand : std::uint8_t {
  slide_down = 0x6,
  slide_up = 0x7,
  fine_down = 0x8,
  fine_up = 0x9,
  set_vibrato_speed = 0xA,
  vibrato_depth = 0xB,
  set_panning = 0xC,
  panning_left = 0xD,
  panning_right = 0xE,
  tone_porta = 0xF,
};
constexpr std::int32_t panning_per_step = 16;
constexpr std::int32_t porta_speed_per_step = 16;

}  // namespace

void volume_column_row(Channel& channel, std::uint8_t command) {
  if (command >= set_volume_first && command <= set_volume_last) {
    channel.volume = command - set_volume_first;
    channel.update_flags |= update_volume;
    return;
  }
  const std::int32_t l = command & 15;
  switch (command >> 4) {
    case slide_down:
    case fine_down:
      change_volume(channel, -l);
      break;
    case slide_up:
    case fine_up:
      change_volume(channel, l);
      break;
    case set_vibrato_speed:
      channel.vibrato_speed = static_cast<std::uint8_t>(l);
      break;
    case vibrato_depth:
      channel.vibrato_depth = static_cast<std::uint8_t>(l);
      break;
    case set_panning:
      channel.panning = panning_per_step * l;
      channel.update_flags |= update_panning;
      break;
    case panning_left:
      change_panning(channel, -l);
      break;
    case panning_right:
      change_panning(channel, l);
      break;
    case tone_porta:
      if (l != 0) channel.porta_speed = static_cast<std::uint8_t>(porta_speed_per_step * l);
      channel.porta_target = channel.note_period;
      // Unlike effects 3 and 5 this does not make a portamento row: the note still sets the period, and
      // only the sample's restart is held back.
      channel.update_flags &= ~update_start;
      break;
    default:
      break;  // 0x01..0x0F and 0x51..0x5F do nothing
  }
}

void volume_column_tick(Channel& channel, std::uint8_t command) {
  const std::int32_t l = command & 15;
  switch (command >> 4) {
    case slide_down:
      change_volume(channel, -l);
      break;
    case slide_up:
      change_volume(channel, l);
      break;
    case vibrato_depth:
      channel.vibrato_depth = static_cast<std::uint8_t>(l);
      vibrato(channel);
      advance_vibrato(channel);
      break;
    case panning_left:
      change_panning(channel, -l);
      break;
    case panning_right:
      change_panning(channel, l);
      break;
    case tone_porta:
      tone_portamento(channel);
      break;
    default:
      break;  // the other commands act on the first tick only
  }
}

}  // namespace music
