// Envelope stepping and positioning.
#include "music/envelopes.h"

#include <algorithm>
#include <array>

namespace music {
namespace {

constexpr std::int32_t fraction_bits = 16;

// An instrument's envelope of one kind.
struct EnvelopeShape {
  const std::array<EnvelopePoint, max_envelope_points>& points;
  std::int32_t count;  // points in use, never beyond the array
  std::uint8_t type;
  std::uint8_t sustain;
  std::uint8_t loop_start;
  std::uint8_t loop_end;
};

// A channel's walk along one envelope.
struct EnvelopeWalk {
  std::int32_t& tick;
  std::int32_t& point;
  std::int32_t& value;  // 16.16
  std::int32_t& output;
  std::int32_t& step;  // 16.16 per tick
  std::uint8_t& done;
  std::uint8_t flag;  // what update_voice sends when the output changes
};

EnvelopeShape shape_of(const Instrument& ins, EnvelopeKind kind) {
  if (kind == EnvelopeKind::volume) {
    return {ins.volume_envelope, std::min<std::int32_t>(ins.volume_points, max_envelope_points), ins.volume_type,
            ins.volume_sustain, ins.volume_loop_start, ins.volume_loop_end};
  }
  return {ins.panning_envelope, std::min<std::int32_t>(ins.panning_points, max_envelope_points), ins.panning_type,
          ins.panning_sustain, ins.panning_loop_start, ins.panning_loop_end};
}

EnvelopeWalk walk_of(Channel& c, EnvelopeKind kind) {
  if (kind == EnvelopeKind::volume) {
    return {c.volume_env_tick, c.volume_env_point, c.volume_env_value, c.volume_env_output, c.volume_env_step,
            c.volume_env_done, update_volume};
  }
  return {c.panning_env_tick, c.panning_env_point, c.panning_env_value, c.panning_env_output, c.panning_env_step,
          c.panning_env_done, update_panning};
}

// 16.16 change per tick from point i to point i + 1; 0 where both lie at the same tick.
std::int32_t step_between(const EnvelopeShape& shape, std::int32_t i) {
  const EnvelopePoint& a = shape.points[i];
  const EnvelopePoint& b = shape.points[i + 1];
  if (a.x == b.x) return 0;
  return ((b.y - a.y) << fraction_bits) / (b.x - a.x);
}

// At the tick of point i: loop back, stop at the last point, hold at the sustain point, or set out for
// the next point. Returns false when the output is final for this tick.
bool reach_point(const EnvelopeShape& shape, EnvelopeWalk& walk, bool key_off) {
  std::int32_t& i = walk.point;
  if ((shape.type & envelope_loop) && i == shape.loop_end) {
    i = shape.loop_start;
    walk.tick = shape.points[i].x;
  }
  if (i == shape.count - 1) {
    walk.output = shape.points[i].y;
    walk.done = 1;
    return false;
  }
  if ((shape.type & envelope_sustain) && i == shape.sustain && !key_off) {
    walk.output = shape.points[i].y;  // the tick stays: the envelope holds here until the release
    return false;
  }
  walk.step = step_between(shape, i);
  walk.value = shape.points[i].y << fraction_bits;
  ++i;
  return true;
}

}  // namespace

bool envelope_running(const Channel& channel, const Instrument& instrument, EnvelopeKind kind) {
  const bool on = ((kind == EnvelopeKind::volume ? instrument.volume_type : instrument.panning_type) & envelope_on);
  const bool done = kind == EnvelopeKind::volume ? channel.volume_env_done : channel.panning_env_done;
  return on && !done;
}

void envelope_step(Channel& channel, const Instrument& instrument, EnvelopeKind kind) {
  const EnvelopeShape shape = shape_of(instrument, kind);
  EnvelopeWalk walk = walk_of(channel, kind);
  channel.update_flags |= walk.flag;
  // A tick past the point counts as reaching it: after two points at the same tick the walk has gone
  // past the second, and waiting for equality would hold the envelope there for ever.
  if (walk.point < shape.count && walk.tick >= shape.points[walk.point].x) {
    if (!reach_point(shape, walk, channel.key_off)) return;
  } else if (walk.point < shape.count) {
    walk.value += walk.step;
  }
  walk.output = walk.value >> fraction_bits;
  ++walk.tick;
}

void set_volume_envelope_position(Channel& channel, const Instrument& instrument, std::int32_t tick) {
  const EnvelopeShape shape = shape_of(instrument, EnvelopeKind::volume);
  if (shape.count < 1) return;
  // A tick before the first point starts at the first point: the line to the next point must not be
  // drawn backwards past its ends, out of 0..64.
  tick = std::max<std::int32_t>(tick, shape.points[0].x);
  std::int32_t i = 0;
  while (i + 1 < shape.count && tick > shape.points[i + 1].x) ++i;
  channel.volume_env_point = i;
  if (i >= shape.count - 1) {
    channel.volume_env_output = shape.points[shape.count - 1].y;
    channel.volume_env_done = 1;
    return;
  }
  channel.volume_env_done = 0;
  channel.volume_env_tick = tick;
  channel.volume_env_step = step_between(shape, i);
  channel.volume_env_value = (shape.points[i].y << fraction_bits) + (tick - shape.points[i].x) * channel.volume_env_step;
  channel.volume_env_point = i + 1;
  channel.volume_env_output = channel.volume_env_value >> fraction_bits;
}

}  // namespace music
