// XM writer.
#include "music/xm_writer.h"

#include <algorithm>

namespace music {
namespace {

constexpr std::uint16_t xm_version = 0x0104;
constexpr std::size_t song_name_size = 20;
constexpr std::size_t tracker_name_size = 20;
constexpr std::size_t instrument_name_size = 22;
constexpr std::size_t sample_name_size = 22;
constexpr std::size_t instrument_reserved_size = 22;
constexpr std::uint32_t pattern_header_size = 9;
constexpr std::uint8_t packed_cell_flag = 0x80;
constexpr std::uint8_t sample_type_16_bit = 0x10;

class ByteWriter {
 public:
  std::vector<std::uint8_t> bytes;

  std::size_t position() const { return bytes.size(); }
  void u8(std::uint8_t v) { bytes.push_back(v); }
  void u16(std::uint16_t v) {
    u8(static_cast<std::uint8_t>(v));
    u8(static_cast<std::uint8_t>(v >> 8));
  }
  void u32(std::uint32_t v) {
    u16(static_cast<std::uint16_t>(v));
    u16(static_cast<std::uint16_t>(v >> 16));
  }
  // The text cut or padded with zeros to `size` bytes.
  void text(const std::string& s, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) u8(i < s.size() ? static_cast<std::uint8_t>(s[i]) : 0);
  }
  void zeros(std::size_t count) { bytes.insert(bytes.end(), count, 0); }
  void append(const std::vector<std::uint8_t>& more) { bytes.insert(bytes.end(), more.begin(), more.end()); }
};

void write_header(ByteWriter& out, const XmSong& song) {
  out.text("Extended Module: ", 17);
  out.text(song.name, song_name_size);
  out.u8(0x1A);
  out.text("zarn", tracker_name_size);
  out.u16(xm_version);
  out.u32(xm_header_size);
  const auto song_length = static_cast<std::uint16_t>(std::min<std::size_t>(song.orders.size(), order_table_size));
  out.u16(song_length);
  out.u16(song.restart_position);
  out.u16(song.channel_count);
  out.u16(static_cast<std::uint16_t>(song.patterns.size()));
  out.u16(static_cast<std::uint16_t>(song.instruments.size()));
  out.u16(song.flags);
  out.u16(song.default_speed);
  out.u16(song.default_bpm);
  for (int i = 0; i < order_table_size; ++i) out.u8(i < song_length ? song.orders[i] : 0);
}

// A cell with all five fields takes its five bytes plainly; any other cell takes a flag byte that says
// which fields follow.
void pack_cell(ByteWriter& out, const PatternCell& c) {
  const std::uint8_t fields[] = {c.note, c.instrument, c.volume, c.effect_type, c.effect_parameter};
  const bool complete = std::all_of(std::begin(fields), std::end(fields), [](std::uint8_t f) { return f != 0; });
  if (complete && c.note < packed_cell_flag) {
    for (std::uint8_t f : fields) out.u8(f);
    return;
  }
  std::uint8_t flag = packed_cell_flag;
  for (int i = 0; i < 5; ++i) {
    if (fields[i]) flag |= static_cast<std::uint8_t>(1 << i);
  }
  out.u8(flag);
  for (std::uint8_t f : fields) {
    if (f) out.u8(f);
  }
}

void write_pattern(ByteWriter& out, const XmPattern& pattern, std::uint16_t channel_count) {
  ByteWriter packed;
  const std::size_t cell_count = std::size_t{pattern.rows} * channel_count;
  const auto written = pattern.cells.begin() + static_cast<std::ptrdiff_t>(std::min(cell_count, pattern.cells.size()));
  const bool empty =
      std::all_of(pattern.cells.begin(), written, [](const PatternCell& c) { return c == PatternCell{}; });
  // An empty pattern stores no cells at all, as trackers write it.
  if (!empty) {
    for (std::size_t i = 0; i < cell_count; ++i) {
      pack_cell(packed, i < pattern.cells.size() ? pattern.cells[i] : PatternCell{});
    }
  }
  out.u32(pattern_header_size);
  out.u8(0);
  out.u16(pattern.rows);
  // Cells of many channels can take more bytes than the 16-bit size holds; the size then still says
  // that cells follow.
  out.u16(static_cast<std::uint16_t>(std::min<std::size_t>(packed.bytes.size(), 0xFFFF)));
  out.append(packed.bytes);
}

void write_envelope_points(ByteWriter& out, const XmEnvelope& envelope) {
  for (const EnvelopePoint& point : envelope.points) {
    out.u16(point.x);
    out.u16(point.y);
  }
}

void write_instrument_header(ByteWriter& out, const XmInstrument& instrument) {
  const auto sample_count = static_cast<std::uint16_t>(instrument.samples.size());
  out.u32(sample_count ? xm_instrument_header_size : xm_empty_instrument_header_size);
  out.text(instrument.name, instrument_name_size);
  out.u8(0);  // instrument type
  out.u16(sample_count);
  if (sample_count == 0) return;
  out.u32(xm_sample_header_size);
  for (std::uint8_t slot : instrument.sample_map) out.u8(slot);
  write_envelope_points(out, instrument.volume_envelope);
  write_envelope_points(out, instrument.panning_envelope);
  const XmEnvelope& v = instrument.volume_envelope;
  const XmEnvelope& p = instrument.panning_envelope;
  for (std::uint8_t b :
       {v.point_count, p.point_count, v.sustain, v.loop_start, v.loop_end, p.sustain, p.loop_start, p.loop_end, v.type,
        p.type, instrument.vibrato_type, instrument.vibrato_sweep, instrument.vibrato_depth, instrument.vibrato_rate}) {
    out.u8(b);
  }
  out.u16(instrument.fadeout);
  out.zeros(instrument_reserved_size);
}

void write_sample_header(ByteWriter& out, const XmSample& sample) {
  const std::uint32_t frame_bytes = sample.sixteen_bit ? 2 : 1;
  out.u32(static_cast<std::uint32_t>(sample.frames.size()) * frame_bytes);
  out.u32(sample.loop_start * frame_bytes);
  out.u32(sample.loop_length * frame_bytes);
  out.u8(sample.volume);
  out.u8(static_cast<std::uint8_t>(sample.finetune));
  out.u8(static_cast<std::uint8_t>(sample.loop_bits | (sample.sixteen_bit ? sample_type_16_bit : 0)));
  out.u8(sample.panning);
  out.u8(static_cast<std::uint8_t>(sample.relative_note));
  out.u8(0);  // reserved
  out.text(sample.name, sample_name_size);
}

// Each value is stored as its difference from the one before, in the sample's own width.
void write_sample_data(ByteWriter& out, const XmSample& sample) {
  std::int16_t previous = 0;
  for (std::int16_t value : sample.frames) {
    const auto delta = static_cast<std::uint16_t>(value - previous);
    if (sample.sixteen_bit) {
      out.u16(delta);
    } else {
      out.u8(static_cast<std::uint8_t>(delta));
    }
    previous = value;
  }
}

}  // namespace

std::vector<std::uint8_t> write_xm(const XmSong& song, XmLayout* layout) {
  XmLayout where;
  ByteWriter out;
  write_header(out, song);
  for (const XmPattern& pattern : song.patterns) {
    where.patterns.push_back(out.position());
    write_pattern(out, pattern, song.channel_count);
  }
  for (const XmInstrument& instrument : song.instruments) {
    where.instruments.push_back(out.position());
    write_instrument_header(out, instrument);
    for (const XmSample& sample : instrument.samples) {
      where.sample_headers.push_back(out.position());
      write_sample_header(out, sample);
    }
    for (const XmSample& sample : instrument.samples) {
      where.sample_data.push_back(out.position());
      write_sample_data(out, sample);
    }
  }
  if (layout) *layout = std::move(where);
  return std::move(out.bytes);
}

}  // namespace music
