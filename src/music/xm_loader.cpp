// XM loader: header, order table, packed patterns, instruments with envelopes, and delta-coded samples.
#include "music/xm_loader.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <new>
#include <span>
#include <vector>

#include "base/regular_file.h"
#include "music/delta_decode.h"
#include "music/memory_file.h"
#include "music/replay.h"

namespace music {
namespace {

constexpr char xm_magic[] = "Extended Module: ";
constexpr std::size_t xm_magic_size = sizeof xm_magic - 1;
// The header size is stored here; the header's stretches follow, and the patterns begin at this position
// plus the header size.
constexpr std::int64_t header_size_position = 60;
constexpr std::uint8_t file_note_key_off = 97;
constexpr std::int32_t missing_pattern_rows = 64;
constexpr std::uint8_t full_global_volume = 64;
// The most bytes a cell takes: a flag byte and all five fields.
constexpr std::size_t max_cell_bytes = 6;
constexpr std::int64_t module_name_position = 17;
constexpr std::int64_t instrument_type_bytes = 1;
constexpr std::int64_t sample_reserved_bytes = 1;
constexpr std::uint8_t sample_type_forward = 1;
constexpr std::uint8_t sample_type_ping_pong = 2;
constexpr std::uint8_t sample_type_16_bit = 0x10;

using base::LoadResult;

LoadResult loaded() { return LoadResult::success(); }
LoadResult refuse(const char* reason) { return LoadResult::refused(reason); }

// The module file as the loader sees it: a read position over the file's bytes, fetched from a stream a
// buffer at a time so that a cell costs no call through the file operations, or over bytes already in
// memory, which are all the buffer there is. Reads past the end deliver zeros and leave the position at
// the end; seeks are held within the file.
class XmInput {
 public:
  static constexpr std::int64_t buffer_size = 4096;

  explicit XmInput(Stream& stream) : stream_(&stream), buffered_(buffer_.data()) {
    stream_seek(stream, 0, seek_to_end);
    end_ = std::max(0, stream_tell(stream));
  }
  // Nothing is ever fetched: every position lies in the buffer, up to the end.
  explicit XmInput(std::span<const std::uint8_t> bytes)
      : end_(static_cast<std::int64_t>(bytes.size())), buffer_length_(end_), buffered_(bytes.data()) {}

  std::int64_t position() const { return position_; }
  std::int64_t remaining() const { return end_ - position_; }
  std::int64_t size() const { return end_; }
  bool at_end() const { return position_ >= end_; }
  void seek(std::int64_t position) { position_ = std::clamp<std::int64_t>(position, 0, end_); }
  void skip(std::int64_t count) { seek(position_ + count); }

  std::uint8_t u8() {
    if (in_buffer()) return buffered_[position_++ - buffer_start_];
    std::uint8_t byte = 0;
    read(&byte, 1);
    return byte;
  }
  std::uint16_t u16() {
    const std::uint16_t low = u8();
    const std::uint16_t high = u8();
    return static_cast<std::uint16_t>(low | high << 8);
  }
  std::uint32_t u32() {
    const std::uint32_t low = u16();
    const std::uint32_t high = u16();
    return low | high << 16;
  }

  void read(std::uint8_t* out, std::int64_t count) {
    while (count > 0) {
      if (at_end()) {
        std::memset(out, 0, count);
        return;
      }
      std::int64_t got = 0;
      if (in_buffer()) {
        const std::int64_t offset = position_ - buffer_start_;
        got = std::min(count, buffer_length_ - offset);
        std::memcpy(out, buffered_ + offset, got);
      } else if (count >= buffer_size) {
        got = fetch(out, std::min(count, remaining()));  // sample data goes straight to its destination
      } else {
        load_buffer();
      }
      position_ += got;
      out += got;
      count -= got;
    }
  }

  // The buffered bytes from the position on, loading the buffer first when the position lies outside it;
  // empty at the end of the file. The caller moves on past what it used with skip().
  std::span<const std::uint8_t> buffered() {
    if (at_end()) return {};
    if (!in_buffer()) load_buffer();
    const std::int64_t offset = position_ - buffer_start_;
    return {buffered_ + offset, static_cast<std::size_t>(buffer_length_ - offset)};
  }

 private:
  bool in_buffer() const { return position_ >= buffer_start_ && position_ < buffer_start_ + buffer_length_; }

  void load_buffer() {
    buffer_start_ = position_;
    buffer_length_ = fetch(buffer_.data(), std::min(buffer_size, remaining()));
  }

  // Reads `count` bytes at the position from the stream. A stream that delivers fewer than it said it
  // holds ends there.
  std::int64_t fetch(std::uint8_t* out, std::int64_t count) {
    stream_seek(*stream_, static_cast<std::int32_t>(position_), seek_from_start);
    const std::int64_t got =
        std::clamp<std::int64_t>(stream_read(out, static_cast<std::int32_t>(count), *stream_), 0, count);
    if (got < count) end_ = position_ + got;
    return got;
  }

  Stream* stream_ = nullptr;  // none over bytes in memory
  std::int64_t end_ = 0;
  std::int64_t position_ = 0;
  std::int64_t buffer_start_ = 0;
  std::int64_t buffer_length_ = 0;
  std::array<std::uint8_t, buffer_size> buffer_{};
  const std::uint8_t* buffered_ = nullptr;  // the buffer's bytes: buffer_, or the bytes in memory
};

// Zeroed records, or none when memory runs out: a module too large for memory is refused, not fatal.
template <typename T>
std::unique_ptr<T[]> allocate_records(std::size_t count) {
  return std::unique_ptr<T[]>(new (std::nothrow) T[count]());
}

bool has_magic(XmInput& in) {
  std::array<std::uint8_t, xm_magic_size> magic{};
  in.seek(0);
  in.read(magic.data(), magic.size());
  return std::memcmp(magic.data(), xm_magic, xm_magic_size) == 0;
}

// Reads a name of size - 1 bytes; the last place keeps its NUL.
template <std::size_t size>
void read_name(XmInput& in, std::array<char, size>& name) {
  std::array<std::uint8_t, size> raw{};
  in.read(raw.data(), static_cast<std::int64_t>(size) - 1);
  std::copy(raw.begin(), raw.end(), name.begin());
}

// Reads the module's name and the header stretches from position 60, and leaves the position where the
// patterns begin.
LoadResult read_header(XmInput& in, Module& module, std::uint16_t& file_pattern_count) {
  in.seek(module_name_position);
  read_name(in, module.name);
  in.seek(header_size_position);
  const std::uint32_t header_size = in.u32();
  const std::uint16_t song_length = in.u16();
  const std::uint16_t restart_position = in.u16();
  const std::uint16_t channel_count = in.u16();
  file_pattern_count = in.u16();
  const std::uint16_t instrument_count = in.u16();
  module.flags = in.u16();
  const std::uint16_t default_speed = in.u16();
  const std::uint16_t default_bpm = in.u16();
  in.read(module.order_table.data(), order_table_size);

  if (channel_count == 0 || channel_count > max_channels) return refuse("channel count is 0 or above 256");
  if (file_pattern_count > max_patterns) return refuse("more than 256 patterns");
  module.channel_count = static_cast<std::int16_t>(channel_count);
  // The replay always stands on a valid order position: at least one order is played, and a restart
  // outside the song starts it over.
  module.song_length = static_cast<std::int16_t>(std::clamp<int>(song_length, 1, order_table_size));
  module.restart_position = restart_position < module.song_length ? static_cast<std::int16_t>(restart_position) : 0;
  module.instrument_count = static_cast<std::int16_t>(std::min<int>(instrument_count, max_instruments));
  // Speed 0 stays: rows then last one tick each, as after the speed command F00, and pattern delays
  // (EEy) last nothing. Only a tempo of 0 has no frames per tick; every other tempo plays, however slow.
  module.default_speed = default_speed;
  module.default_bpm = std::max(default_bpm, min_bpm);
  // The header size moves the position either way: a short one (20 plus the orders used) makes the
  // patterns start inside the 256 bytes just read as the order table.
  in.seek(header_size_position + header_size);
  return loaded();
}

std::int32_t referenced_patterns_of(const Module& module) {
  std::int32_t highest = -1;
  for (std::int32_t i = 0; i < module.song_length; ++i) {
    highest = std::max<std::int32_t>(highest, module.order_table[i]);
  }
  return highest + 1;
}

// Stores the cell's values as the replay takes them: note 97 is the key off, other notes beyond 96 are
// no note, instruments beyond 128 are none.
void keep_cell_in_range(PatternCell& cell) {
  if (cell.note == file_note_key_off) {
    cell.note = note_key_off;
  } else if (cell.note > highest_note) {
    cell.note = 0;
  }
  if (cell.instrument > max_instruments) cell.instrument = 0;
}

// The fields a cell holds, as the bits of a packed cell's flag byte: a plain cell holds all five. Without
// a branch: for a plain cell, (first >> 7) - 1 sets every bit.
constexpr unsigned fields_of(std::uint8_t first) { return (first | ((first >> 7) - 1u)) & 0x1F; }

// Bytes a cell takes, by its first byte: the flag byte, if any, and the fields. A table, as the baseline
// x86-64 has no bit-count instruction.
constexpr std::array<std::uint8_t, 256> cell_sizes = [] {
  std::array<std::uint8_t, 256> sizes{};
  for (unsigned first = 0; first < 256; ++first) {
    sizes[first] = static_cast<std::uint8_t>((first >> 7) + std::popcount(fields_of(static_cast<std::uint8_t>(first))));
  }
  return sizes;
}();

// One cell from its bytes, of which max_cell_bytes may be looked at. A plain cell is read as a packed cell
// that has all five fields and no flag byte. Without branches, as the fields come in any mix; the values
// go straight into the cell, so that no byte-wise copy stalls a later wide read.
void parse_cell(const std::uint8_t* bytes, PatternCell& cell) {
  const unsigned fields = fields_of(bytes[0]);
  const std::uint8_t* field = bytes + (bytes[0] >> 7);
  unsigned k = 0;
  auto next_field = [&] {
    const unsigned has = fields >> k++ & 1;
    const auto value = static_cast<std::uint8_t>(*field & (0u - has));
    field += has;
    return value;
  };
  cell.note = next_field();
  cell.instrument = next_field();
  cell.volume = next_field();
  cell.effect_type = next_field();
  cell.effect_parameter = next_field();
  keep_cell_in_range(cell);
}

// Reads `count` cells. Cells are parsed straight from the buffer while a whole cell surely fits in it;
// one that may straddle the buffer's end, or the file's, is gathered first.
void read_cells(XmInput& in, PatternCell* cells, std::int32_t count) {
  std::int32_t i = 0;
  while (i < count) {
    if (in.at_end()) return;  // the rest would read as zeros: empty cells, as allocated
    const std::span<const std::uint8_t> bytes = in.buffered();
    if (bytes.size() < max_cell_bytes) {
      std::array<std::uint8_t, max_cell_bytes> gathered{};
      gathered[0] = in.u8();
      in.read(gathered.data() + 1, cell_sizes[gathered[0]] - 1);
      parse_cell(gathered.data(), cells[i++]);
      continue;
    }
    const std::uint8_t* next = bytes.data();
    const std::uint8_t* const last_whole_cell = bytes.data() + bytes.size() - max_cell_bytes;
    for (; i < count && next <= last_whole_cell; next += cell_sizes[*next]) parse_cell(next, cells[i++]);
    in.skip(next - bytes.data());
  }
}

// The cells all patterns of a file may name. An empty pattern (packed size 0) takes 9 bytes for any number
// of rows, so rather than limit the rows of a pattern, the cells of all patterns are bounded by the file's
// size, with room to spare for every file of up to 256 patterns of 256 rows on 32 channels: a small file
// cannot name billions of rows for the replay and the tools to walk through.
constexpr std::int64_t pattern_cells_for_any_file = 256 * 256 * 32;
constexpr std::int64_t pattern_cells_per_file_byte = 16;

// The rows of a pattern the rest of the file can fill: a stored cell takes at least one byte, so rows
// beyond the remaining bytes would only ever hold empty cells.
std::int32_t fillable_rows(const XmInput& in, std::int32_t rows, std::int32_t channel_count) {
  const std::int64_t rows_in_bytes = (in.remaining() + channel_count - 1) / channel_count;
  return static_cast<std::int32_t>(std::min<std::int64_t>(rows, rows_in_bytes));
}

// One pattern header and its cells. The header's own length field and the packed size are not trusted
// to place anything: the cells are read one after another, as many as rows x channels. `cells_left` is
// what the patterns may still name. Only the rows the file can fill are stored; the others read as empty.
// The stored cells are zeros from calloc: of a large pattern that breaks off early, only the pages its
// cells were written to cost anything.
LoadResult read_pattern(XmInput& in, std::int32_t channel_count, Pattern& pattern, std::int64_t& cells_left) {
  in.skip(4);  // header length: the header is taken to be these 9 bytes
  in.skip(1);  // packing type
  const std::uint16_t file_rows = in.u16();
  const std::uint16_t packed_size = in.u16();
  // A pattern without rows plays as one empty row, so that a row step always lands on cells.
  pattern.rows = std::max<std::int32_t>(file_rows, 1);
  const std::int64_t cells = std::int64_t{pattern.rows} * channel_count;
  if (cells > cells_left) return refuse("the patterns name more cells than a file of this size can fill");
  cells_left -= cells;
  if (packed_size == 0) return loaded();  // an empty pattern stores no cells
  pattern.stored_rows = fillable_rows(in, file_rows, channel_count);
  if (pattern.stored_rows == 0) return loaded();
  pattern.cells = base::allocate_zeroed<PatternCell>(static_cast<std::size_t>(pattern.stored_rows) * channel_count);
  if (!pattern.cells) return refuse("out of memory");
  read_cells(in, pattern.cells.get(), pattern.stored_rows * channel_count);
  return loaded();
}

LoadResult read_patterns(XmInput& in, Module& module, std::uint16_t file_pattern_count) {
  module.referenced_patterns = referenced_patterns_of(module);
  module.pattern_slots = std::max<std::int32_t>(file_pattern_count, module.referenced_patterns);
  module.patterns = allocate_records<Pattern>(module.pattern_slots);
  if (!module.patterns) return refuse("out of memory");
  std::int64_t cells_left = pattern_cells_for_any_file + pattern_cells_per_file_byte * in.size();
  for (std::int32_t i = 0; i < file_pattern_count; ++i) {
    const LoadResult result = read_pattern(in, module.channel_count, module.patterns[i], cells_left);
    if (!result.loaded()) return result;
  }
  // Patterns the orders name but the file lacks play as empty patterns of the usual length; they store
  // nothing.
  for (std::int32_t i = file_pattern_count; i < module.referenced_patterns; ++i) {
    module.patterns[i].rows = missing_pattern_rows;
  }
  return loaded();
}

void read_envelope_points(XmInput& in, std::array<EnvelopePoint, max_envelope_points>& points) {
  for (EnvelopePoint& point : points) {
    point.x = in.u16();
    point.y = in.u16();
  }
}

struct EnvelopeFields {
  std::array<EnvelopePoint, max_envelope_points>& points;
  std::uint8_t& count;
  std::uint8_t& sustain;
  std::uint8_t& loop_start;
  std::uint8_t& loop_end;
  std::uint8_t& type;
};

// Keeps an envelope to what the replay can follow: at most 12 points; sustain and loop only on points
// that exist; values 0..64 and ticks that never go back on the points in use (a point behind the
// envelope's tick would never be reached, and the value would climb by its step for ever). Fewer than
// two points switch it off.
void fit_envelope(const EnvelopeFields& envelope) {
  envelope.count = std::min<std::uint8_t>(envelope.count, max_envelope_points);
  if (envelope.count < 2) envelope.type = 0;
  if (envelope.sustain >= envelope.count) envelope.type &= ~envelope_sustain;
  if (envelope.loop_start >= envelope.count || envelope.loop_end >= envelope.count) envelope.type &= ~envelope_loop;
  std::uint16_t tick = 0;
  for (int i = 0; i < envelope.count; ++i) {
    EnvelopePoint& point = envelope.points[i];
    point.x = tick = std::max(point.x, tick);
    point.y = std::min<std::uint16_t>(point.y, max_envelope_value);
  }
}

// The instrument fields after the sample count, up to the fadeout.
void read_instrument_fields(XmInput& in, Instrument& instrument) {
  in.skip(4);  // sample header size: sample headers are taken to be 40 bytes
  in.read(instrument.sample_map.data(), sample_map_notes);
  read_envelope_points(in, instrument.volume_envelope);
  read_envelope_points(in, instrument.panning_envelope);
  instrument.volume_points = in.u8();
  instrument.panning_points = in.u8();
  instrument.volume_sustain = in.u8();
  instrument.volume_loop_start = in.u8();
  instrument.volume_loop_end = in.u8();
  instrument.panning_sustain = in.u8();
  instrument.panning_loop_start = in.u8();
  instrument.panning_loop_end = in.u8();
  instrument.volume_type = in.u8();
  instrument.panning_type = in.u8();
  instrument.vibrato_type = in.u8();
  instrument.vibrato_sweep = in.u8();
  instrument.vibrato_depth = in.u8();
  instrument.vibrato_rate = in.u8();
  instrument.fadeout = static_cast<std::uint16_t>(in.u16() * 2);
  fit_envelope({instrument.volume_envelope, instrument.volume_points, instrument.volume_sustain,
                instrument.volume_loop_start, instrument.volume_loop_end, instrument.volume_type});
  fit_envelope({instrument.panning_envelope, instrument.panning_points, instrument.panning_sustain,
                instrument.panning_loop_start, instrument.panning_loop_end, instrument.panning_type});
}

// Reads a 40-byte sample header with its conversions to frames. Returns the size of the sample's data in
// the file, in bytes.
std::uint32_t read_sample_header(XmInput& in, Sample& sample) {
  const std::uint32_t stored_bytes = in.u32();
  std::uint32_t length = stored_bytes;
  std::uint32_t loop_start = in.u32();
  std::uint32_t loop_length = in.u32();
  sample.volume = std::min<std::uint8_t>(in.u8(), max_sample_volume);
  sample.finetune = static_cast<std::int8_t>(in.u8());
  const std::uint8_t type = in.u8();
  sample.panning = in.u8();
  sample.relative_note = static_cast<std::int8_t>(in.u8());
  in.skip(sample_reserved_bytes);
  read_name(in, sample.name);

  sample.loop_type = (type & sample_type_ping_pong) ? loop_ping_pong
                     : (type & sample_type_forward) ? loop_forward
                                                    : loop_none;
  sample.bits = sample.stored_bits = (type & sample_type_16_bit) ? 16 : 8;
  if (sample.loop_type == loop_none) {
    loop_start = 0;
    loop_length = length;
  }
  if (sample.bits == 16) {
    length /= 2;
    loop_start /= 2;
    loop_length /= 2;
  }
  if (loop_length == 0) {
    sample.loop_type = loop_none;
    loop_start = 0;
    loop_length = length;
  }
  sample.length = length;
  sample.loop_start = loop_start;
  sample.loop_length = loop_length;
  return stored_bytes;
}

// Keeps the loop inside the data, so that the guard word at the loop end stays inside the block. A loop
// that starts beyond the data is dropped; one that runs past it is cut at the end.
void fit_loop_to_data(Sample& sample) {
  if (sample.loop_type != loop_none && sample.loop_start >= sample.length) sample.loop_type = loop_none;
  if (sample.loop_type == loop_none) {
    sample.loop_start = 0;
    sample.loop_length = sample.length;
    return;
  }
  sample.loop_length = std::min(sample.loop_length, sample.length - sample.loop_start);
}

// Reads and delta-decodes the sample's data a buffer at a time; the running value carries from one piece
// to the next.
void decode_sample_data(XmInput& in, Sample& sample) {
  std::array<std::uint8_t, XmInput::buffer_size> raw;
  const bool wide = sample.bits == 16;
  const std::uint32_t frames_per_piece = wide ? raw.size() / 2 : raw.size();
  std::uint16_t previous = 0;
  for (std::uint32_t done = 0; done < sample.length;) {
    const std::uint32_t count = std::min(sample.length - done, frames_per_piece);
    in.read(raw.data(), std::int64_t{count} * (wide ? 2 : 1));
    std::int16_t* out = sample.data.get() + done;
    previous = wide ? delta_decode_16_bit(raw.data(), count, previous, out)
                    : delta_decode_8_bit(raw.data(), count, static_cast<std::uint8_t>(previous), out);
    done += count;
  }
}

// The word at the loop end repeats the frame the mixer goes on to: the one before it for a ping-pong
// loop, the loop start for a forward loop, and silence after a sample without loop (its last frame fades
// to nothing instead of towards its first). Interpolation reads one word past the current one and so
// finds the right neighbour.
void write_guard_word(Sample& sample) {
  const std::uint32_t end = sample.loop_start + sample.loop_length;
  if (sample.loop_type == loop_ping_pong) {
    sample.data[end] = sample.data[end - 1];
  } else if (sample.loop_type == loop_forward) {
    sample.data[end] = sample.data[sample.loop_start];
  } else {
    sample.data[end] = 0;
  }
}

// Reads and decodes one sample's data. A sample cut short by the end of the file keeps the frames that
// are there, so the block is never larger than the file can fill. False when memory runs out.
bool read_sample_data(XmInput& in, Sample& sample, std::uint32_t stored_bytes) {
  const std::int64_t start = in.position();
  const std::int64_t frames_in_file = in.remaining() / (sample.bits / 8);
  sample.length = static_cast<std::uint32_t>(std::min<std::int64_t>(sample.length, frames_in_file));
  fit_loop_to_data(sample);
  if (sample.length != 0) {
    sample.data.reset(new (std::nothrow) std::int16_t[std::size_t{sample.length} + sample_spare_words]);
    if (!sample.data) return false;
    decode_sample_data(in, sample);
    std::fill_n(sample.data.get() + sample.length, sample_spare_words, std::int16_t{0});
    write_guard_word(sample);
    sample.bits = 16;
  }
  // The next sample starts after this one's stored bytes, also when a 16-bit sample has an odd count.
  in.seek(start + stored_bytes);
  return true;
}

LoadResult read_instrument(XmInput& in, Instrument& instrument) {
  const std::int64_t start = in.position();
  const std::uint32_t header_size = in.u32();
  read_name(in, instrument.name);
  in.skip(instrument_type_bytes);
  const std::uint16_t sample_count = in.u16();
  if (sample_count > max_samples_per_instrument) return refuse("an instrument has more than 16 samples");
  if (sample_count == 0) {
    in.seek(start + header_size);
    return loaded();
  }
  read_instrument_fields(in, instrument);
  in.seek(start + header_size);

  std::array<Sample*, max_samples_per_instrument> samples{};
  std::array<std::uint32_t, max_samples_per_instrument> stored_bytes{};
  for (int i = 0; i < sample_count; ++i) {
    samples[i] = new (std::nothrow) Sample;
    if (!samples[i]) return refuse("out of memory");
    instrument.samples[i] = samples[i];
    instrument.sample_count = i + 1;
    stored_bytes[i] = read_sample_header(in, *samples[i]);
  }
  for (int i = 0; i < sample_count; ++i) {
    if (!read_sample_data(in, *samples[i], stored_bytes[i])) return refuse("out of memory");
  }
  return loaded();
}

LoadResult read_instruments(XmInput& in, Module& module) {
  module.instruments = allocate_records<Instrument>(module.instrument_count);
  if (!module.instruments) return refuse("out of memory");
  for (std::int32_t i = 0; i < module.instrument_count; ++i) {
    const LoadResult result = read_instrument(in, module.instruments[i]);
    if (!result.loaded()) return result;
  }
  return loaded();
}

}  // namespace

namespace {

LoadResult read_xm(XmInput& in, Module& module) {
  if (!has_magic(in)) return refuse("not an XM module");
  module.tick_callback = play_tick;
  module.initial_global_volume = full_global_volume;
  std::uint16_t file_pattern_count = 0;
  LoadResult result = read_header(in, module, file_pattern_count);
  if (result.loaded()) result = read_patterns(in, module, file_pattern_count);
  if (result.loaded()) result = read_instruments(in, module);
  return result;
}

// A fresh Module, unlinked; none when memory runs out.
OwnedModule new_module(LoadResult& result) {
  OwnedModule module(new (std::nothrow) Module);
  if (!module) {
    result = refuse("out of memory");
    return nullptr;
  }
  module->next = module->prev = module.get();
  return module;
}

}  // namespace

LoadResult load_xm(Module& module, Stream& stream) {
  XmInput in(stream);
  return read_xm(in, module);
}

OwnedModule load_module(const char* file_name, LoadResult& result) {
  OwnedModule module = new_module(result);
  if (!module) return nullptr;
  Stream stream = stream_open(file_name);
  if (!stream.handle) {
    result = LoadResult::cannot_open("cannot open the file");
    return nullptr;
  }
  result = load_xm(*module, stream);
  stream_close(stream);
  if (!result.loaded()) return nullptr;  // what was read goes with free_module
  return module;
}

OwnedModule load_module(std::span<const std::uint8_t> bytes, LoadResult& result) {
  OwnedModule module = new_module(result);
  if (!module) return nullptr;
  XmInput in(bytes);
  result = read_xm(in, *module);
  if (!result.loaded()) return nullptr;  // what was read goes with free_module
  return module;
}

OwnedModule load_module_file(const char* path, LoadResult& result) {
  std::vector<std::uint8_t> bytes;
  const base::FileRead read = base::read_regular_file(path, memory_file_max_size, bytes);
  // A read error keeps the bytes that came, as the in-memory file does.
  if (read == base::FileRead::cannot_open || read == base::FileRead::too_large) {
    result = LoadResult::cannot_open("cannot open the file");
    return nullptr;
  }
  return load_module(bytes, result);
}

}  // namespace music
