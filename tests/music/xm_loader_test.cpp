// XM loader: the layout it reads, the conversions it makes, and writer -> loader round trips.
#include <gtest/gtest.h>

#include "support/xm_fixture.h"

namespace {

using music::PatternCell;
using music::XmSample;
using music::XmSong;
using test_support::Bytes;
using test_support::cell_at;
using test_support::load_bytes;

// The cell as the loader stores it: the file's key off becomes 255.
PatternCell stored(PatternCell cell) {
  if (cell.note == music::xm_note_key_off) cell.note = music::note_key_off;
  return cell;
}

std::uint8_t stored_loop_type(const XmSample& s) {
  if (s.loop_length == 0) return music::loop_none;
  if (s.loop_bits & music::xm_loop_ping_pong) return music::loop_ping_pong;
  return (s.loop_bits & music::xm_loop_forward) ? music::loop_forward : music::loop_none;
}

void expect_same_envelope(const music::XmEnvelope& e, const std::array<music::EnvelopePoint, 12>& points, int count,
                          int sustain, int loop_start, int loop_end, int type) {
  EXPECT_EQ(points, e.points);
  EXPECT_EQ(count, e.point_count);
  EXPECT_EQ(sustain, e.sustain);
  EXPECT_EQ(loop_start, e.loop_start);
  EXPECT_EQ(loop_end, e.loop_end);
  EXPECT_EQ(type, e.type);
}

void expect_same_sample(const XmSample& s, const music::Sample& loaded) {
  EXPECT_EQ(loaded.length, s.frames.size());
  EXPECT_EQ(loaded.loop_type, stored_loop_type(s));
  if (loaded.loop_type == music::loop_none) {
    EXPECT_EQ(loaded.loop_start, 0u);
    EXPECT_EQ(loaded.loop_length, loaded.length);
  } else {
    EXPECT_EQ(loaded.loop_start, s.loop_start);
    EXPECT_EQ(loaded.loop_length, s.loop_length);
  }
  EXPECT_EQ(loaded.volume, s.volume);
  EXPECT_EQ(loaded.finetune, s.finetune);
  EXPECT_EQ(loaded.panning, s.panning);
  EXPECT_EQ(loaded.relative_note, s.relative_note);
  EXPECT_STREQ(loaded.name.data(), s.name.c_str());
  ASSERT_EQ(loaded.data != nullptr, !s.frames.empty());
  EXPECT_EQ(loaded.bits, s.frames.empty() ? (s.sixteen_bit ? 16 : 8) : 16);
  EXPECT_EQ(loaded.stored_bits, s.sixteen_bit ? 16 : 8);
  const std::uint32_t guard = loaded.loop_start + loaded.loop_length;
  for (std::size_t i = 0; i < s.frames.size(); ++i) {
    if (i == guard) continue;  // a loop that ends before the data does has its guard word here
    const int expected = s.sixteen_bit ? s.frames[i] : s.frames[i] * 256;
    ASSERT_EQ(loaded.data[i], expected) << "frame " << i;
  }
}

// Every field of the description, as the loader converts it.
void expect_same_song(const XmSong& song, const music::Module& m) {
  EXPECT_STREQ(m.name.data(), song.name.c_str());
  EXPECT_EQ(m.channel_count, song.channel_count);
  EXPECT_EQ(m.song_length, static_cast<int>(song.orders.size()));
  EXPECT_EQ(m.restart_position, song.restart_position);
  EXPECT_EQ(m.flags, song.flags);
  EXPECT_EQ(m.default_speed, song.default_speed);
  EXPECT_EQ(m.default_bpm, song.default_bpm);
  EXPECT_EQ(m.initial_global_volume, 64);
  EXPECT_TRUE(std::equal(song.orders.begin(), song.orders.end(), m.order_table.begin()));
  ASSERT_EQ(m.pattern_slots, static_cast<int>(song.patterns.size()));
  for (std::size_t p = 0; p < song.patterns.size(); ++p) {
    const music::XmPattern& pattern = song.patterns[p];
    ASSERT_EQ(m.patterns[p].rows, pattern.rows) << "pattern " << p;
    for (std::size_t c = 0; c < std::size_t{pattern.rows} * song.channel_count; ++c) {
      const PatternCell expected = c < pattern.cells.size() ? stored(pattern.cells[c]) : PatternCell{};
      ASSERT_EQ(cell_at(m, m.patterns[p], static_cast<int>(c)), expected) << "pattern " << p << " cell " << c;
    }
  }
  ASSERT_EQ(m.instrument_count, static_cast<int>(song.instruments.size()));
  for (std::size_t i = 0; i < song.instruments.size(); ++i) {
    SCOPED_TRACE("instrument " + std::to_string(i));
    const music::XmInstrument& d = song.instruments[i];
    const music::Instrument& ins = m.instruments[i];
    ASSERT_EQ(ins.sample_count, static_cast<int>(d.samples.size()));
    EXPECT_STREQ(ins.name.data(), d.name.c_str());
    EXPECT_EQ(ins.sample_map, d.sample_map);
    expect_same_envelope(d.volume_envelope, ins.volume_envelope, ins.volume_points, ins.volume_sustain,
                         ins.volume_loop_start, ins.volume_loop_end, ins.volume_type);
    expect_same_envelope(d.panning_envelope, ins.panning_envelope, ins.panning_points, ins.panning_sustain,
                         ins.panning_loop_start, ins.panning_loop_end, ins.panning_type);
    EXPECT_EQ(ins.vibrato_type, d.vibrato_type);
    EXPECT_EQ(ins.vibrato_sweep, d.vibrato_sweep);
    EXPECT_EQ(ins.vibrato_depth, d.vibrato_depth);
    EXPECT_EQ(ins.vibrato_rate, d.vibrato_rate);
    EXPECT_EQ(ins.fadeout, static_cast<std::uint16_t>(d.fadeout * 2));
    for (std::size_t s = 0; s < d.samples.size(); ++s) {
      SCOPED_TRACE("sample " + std::to_string(s));
      expect_same_sample(d.samples[s], *ins.samples[s]);
    }
  }
}

// Amiga periods, a restart, a full-size pattern, sixteen samples, twelve-point envelopes with loops, and
// a fadeout whose doubling wraps in 16 bits.
XmSong large_song() {
  XmSong song;
  song.name = "twenty bytes of name";  // the whole field, no NUL in the file
  song.channel_count = 32;
  song.flags = 0;
  song.default_speed = 3;
  song.default_bpm = 255;
  song.restart_position = 2;
  song.orders = {2, 1, 0, 2};
  song.patterns.resize(3);
  song.patterns[0].rows = 256;
  for (int i = 0; i < 256 * 32; i += 7) {
    song.patterns[0].cells.resize(i + 1);
    song.patterns[0].cells[i] = {static_cast<std::uint8_t>(i % 98), static_cast<std::uint8_t>(i % 129),
                                 static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i % 36),
                                 static_cast<std::uint8_t>(i >> 3)};
  }
  song.patterns[1].rows = 1;
  song.patterns[2].rows = 64;
  song.patterns[2].cells = {{1, 1, 1, 1, 1}};
  music::XmInstrument instrument;
  for (int s = 0; s < 16; ++s) {
    XmSample sample = test_support::ramp_sample(10 + s);
    sample.sixteen_bit = s % 2 == 1;
    sample.loop_bits = static_cast<std::uint8_t>(s % 4);
    sample.loop_start = s % 5;
    sample.loop_length = s % 3 + 1;
    sample.volume = static_cast<std::uint8_t>(s * 4);
    sample.finetune = static_cast<std::int8_t>(-128 + s * 16);
    sample.panning = static_cast<std::uint8_t>(s * 17);
    sample.relative_note = static_cast<std::int8_t>(s - 8);
    sample.name = s == 0 ? "twenty-two bytes named" : "sample " + std::to_string(s);
    instrument.samples.push_back(sample);
  }
  for (int n = 0; n < 96; ++n) instrument.sample_map[n] = static_cast<std::uint8_t>(n % 17);
  for (int k = 0; k < 12; ++k) {
    instrument.volume_envelope.points[k] = {static_cast<std::uint16_t>(k * 300), static_cast<std::uint16_t>(64 - k)};
    instrument.panning_envelope.points[k] = {static_cast<std::uint16_t>(k * 2), static_cast<std::uint16_t>(k * 5)};
  }
  instrument.volume_envelope = {instrument.volume_envelope.points, 12, 3, 2, 11, 7};
  instrument.panning_envelope = {instrument.panning_envelope.points, 5, 4, 0, 4, 5};
  instrument.vibrato_type = 2;
  instrument.vibrato_sweep = 40;
  instrument.vibrato_depth = 15;
  instrument.vibrato_rate = 200;
  instrument.fadeout = 0x8001;
  instrument.name = "a name of 22 bytes ...";
  song.instruments = {instrument, test_support::instrument_with({test_support::ramp_sample(3)})};
  return song;
}

// Samples longer than the loader reads at a time, of lengths that leave partial vectors at the end, with
// values that wrap: the running value must carry across every piece.
XmSong long_samples_song() {
  XmSong song = test_support::small_song();
  std::vector<XmSample> samples;
  for (std::size_t frames : {std::size_t{9001}, std::size_t{4113}, std::size_t{17}}) {
    for (bool wide : {false, true}) {
      XmSample sample;
      sample.sixteen_bit = wide;
      for (std::size_t i = 0; i < frames; ++i) {
        const auto noise = static_cast<std::uint32_t>(i * 2654435761u) >> 13;
        sample.frames.push_back(static_cast<std::int16_t>(wide ? noise : noise % 256 - 128));
      }
      samples.push_back(sample);
    }
  }
  song.instruments = {test_support::instrument_with(samples)};
  return song;
}

TEST(XmRoundTrip, EveryFieldOfTheDescriptionComesBack) {
  struct Case {
    const char* what;
    XmSong song;
  };
  const Case cases[] = {
      {"small song", test_support::small_song()},
      {"large song", large_song()},
      {"long samples", long_samples_song()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto load = load_bytes(music::write_xm(c.song));
    ASSERT_TRUE(load.module) << load.result.reason;
    expect_same_song(c.song, *load.module);
    test_support::expect_playable(*load.module, c.what);
  }
}

TEST(XmWriter, PacksCellsAndDeltaCodesSamples) {
  XmSong song;
  song.channel_count = 1;
  song.orders = {0};
  music::XmPattern pattern;
  pattern.rows = 3;
  pattern.cells = {{49, 1, 0, 0, 0}, {49, 1, 0x40, 3, 4}, {}};
  song.patterns = {pattern};
  XmSample sample;
  sample.frames = {10, 0, -128};
  song.instruments = {test_support::instrument_with({sample})};
  music::XmLayout layout;
  const Bytes file = music::write_xm(song, &layout);
  const std::size_t data = layout.patterns[0] + test_support::pattern_data_offset;
  EXPECT_EQ(Bytes(file.begin() + data, file.begin() + data + 9), (Bytes{0x83, 49, 1, 49, 1, 0x40, 3, 4, 0x80}))
      << "a complete cell is stored plainly, the others packed";
  EXPECT_EQ(file[layout.patterns[0] + test_support::pattern_packed_size_offset], 9);
  EXPECT_EQ(Bytes(file.begin() + layout.sample_data[0], file.end()), (Bytes{10, 246, 128}));
}

// One pattern of one channel whose packed data is replaced by `cell_bytes`, then a marker cell.
Bytes one_channel_file(const Bytes& cell_bytes) {
  XmSong song;
  song.channel_count = 1;
  song.orders = {0};
  music::XmPattern pattern;
  pattern.rows = 2;
  pattern.cells = {{1, 0, 0, 0, 0}};
  song.patterns = {pattern};
  music::XmLayout layout;
  Bytes file = music::write_xm(song, &layout);
  file.resize(layout.patterns[0] + test_support::pattern_data_offset);
  file.insert(file.end(), cell_bytes.begin(), cell_bytes.end());
  file.insert(file.end(), {0x83, 12, 2});
  return file;
}

TEST(XmPatterns, CellEncodingsAndTheirStoredValues) {
  struct Case {
    const char* what;
    Bytes bytes;
    PatternCell cell;
  };
  const Case cases[] = {
      {"flag byte alone is an empty cell", {0x80}, {}},
      {"note and instrument", {0x83, 0x31, 0x01}, {49, 1, 0, 0, 0}},
      {"effect type and parameter", {0x98, 0x0F, 0x06}, {0, 0, 0, 15, 6}},
      {"plain five bytes", {0x31, 0x01, 0x40, 0x00, 0x00}, {49, 1, 0x40, 0, 0}},
      {"all five packed", {0x9F, 96, 128, 0x10, 35, 0x91}, {96, 128, 0x10, 35, 0x91}},
      {"note 97 is the key off", {0x81, 97}, {255, 0, 0, 0, 0}},
      {"instrument above 128 is none", {0x82, 200}, {}},
      {"note 98 is no note", {0x81, 98}, {}},
      {"packed note 255 is no note", {0x81, 255}, {}},
      {"plain note 127 is no note", {0x7F, 1, 2, 3, 4}, {0, 1, 2, 3, 4}},
  };
  for (const Case& c : cases) {
    const auto load = load_bytes(one_channel_file(c.bytes));
    ASSERT_TRUE(load.module) << c.what;
    const music::Pattern& pattern = load.module->patterns[0];
    EXPECT_EQ(cell_at(*load.module, pattern, 0), c.cell) << c.what;
    EXPECT_EQ(cell_at(*load.module, pattern, 1), (PatternCell{12, 2, 0, 0, 0}))
        << c.what << ": the next cell starts right after";
  }
}

TEST(XmPatterns, HeaderSizePlacesTheFirstPattern) {
  XmSong song;
  song.channel_count = 1;
  song.orders = {0};
  music::XmPattern pattern;
  pattern.rows = 2;
  pattern.cells = {{49, 1, 0, 0, 0}};
  song.patterns = {pattern};
  const Bytes full = music::write_xm(song);
  // Without the order table the pattern header starts at byte 80, where a header size of 20 points.
  Bytes short_header(full.begin(), full.begin() + 80);
  short_header.insert(short_header.end(), full.begin() + 336, full.end());
  test_support::put_u32(short_header, test_support::at_header_size, 20);
  struct Case {
    const char* what;
    Bytes file;
    int slots;
  };
  const Case cases[] = {
      {"276 puts the pattern at 336", full, 1},
      // The order table is read from 80 all the same: its first entry is the pattern header's first byte,
      // 9, so the orders name ten patterns.
      {"20 puts the pattern at 80, inside the order table", short_header, 10},
  };
  for (const Case& c : cases) {
    const auto load = load_bytes(c.file);
    ASSERT_TRUE(load.module) << c.what;
    EXPECT_EQ(load.module->pattern_slots, c.slots) << c.what;
    EXPECT_EQ(load.module->patterns[0].rows, 2) << c.what;
    EXPECT_EQ(cell_at(*load.module, load.module->patterns[0], 0), (PatternCell{49, 1, 0, 0, 0})) << c.what;
  }
}

TEST(XmPatterns, OrdersNamingMissingPatternsGetEmptySlotsOfSixtyFourRows) {
  XmSong song;
  song.channel_count = 3;
  song.orders = {0, 40, 5};
  for (int p = 0; p < 30; ++p) {
    music::XmPattern pattern;
    pattern.rows = static_cast<std::uint16_t>(p + 1);
    song.patterns.push_back(pattern);
  }
  const auto load = load_bytes(music::write_xm(song));
  ASSERT_TRUE(load.module) << load.result.reason;
  const music::Module& m = *load.module;
  EXPECT_EQ(m.referenced_patterns, 41);
  ASSERT_EQ(m.pattern_slots, 41);
  EXPECT_EQ(m.patterns[29].rows, 30);
  for (int p = 30; p <= 40; ++p) {
    ASSERT_EQ(m.patterns[p].rows, 64) << p;
    EXPECT_EQ(m.patterns[p].stored_rows, 0) << p << ": a missing pattern stores nothing";
    for (int c = 0; c < 64 * 3; ++c) ASSERT_EQ(cell_at(m, m.patterns[p], c), PatternCell{}) << p;
  }
}

// A pattern stores only the rows the rest of its file can fill, one byte a cell at least; the rows it
// names beyond them read as empty.
TEST(XmPatterns, RowsTheFileCannotFillAreNotStored) {
  XmSong song;
  song.channel_count = 32;
  song.orders = {0};
  music::XmPattern pattern;
  pattern.rows = 1;
  song.patterns = {pattern};
  music::XmLayout layout;
  Bytes file = music::write_xm(song, &layout);
  test_support::put_u16(file, layout.patterns[0] + test_support::pattern_rows_offset, 0xFFFF);
  const Bytes cells = {0x31, 0x01, 0x40, 0x0F, 0x06, 0x80, 0x80, 0x83, 12, 2};
  test_support::put_u16(file, layout.patterns[0] + test_support::pattern_packed_size_offset,
                        static_cast<std::uint16_t>(cells.size()));
  file.resize(layout.patterns[0] + test_support::pattern_data_offset);
  file.insert(file.end(), cells.begin(), cells.end());
  const auto load = load_bytes(file);
  ASSERT_TRUE(load.module) << load.result.reason;
  const music::Module& m = *load.module;
  const music::Pattern& stored_pattern = m.patterns[0];
  EXPECT_EQ(stored_pattern.rows, 65535);
  EXPECT_EQ(stored_pattern.stored_rows, 1) << "ten bytes fill at most one row of 32 cells";
  EXPECT_EQ(cell_at(m, stored_pattern, 0), (PatternCell{49, 1, 0x40, 15, 6}));
  EXPECT_EQ(cell_at(m, stored_pattern, 3), (PatternCell{12, 2, 0, 0, 0}));
  for (const int c : {4, 31, 32, 65535 * 32 - 1}) EXPECT_EQ(cell_at(m, stored_pattern, c), PatternCell{}) << c;
  test_support::expect_playable(m, "65535 rows named, one stored");
}

TEST(XmPatterns, EmptyPatternStoresNoCellsAndTheNextFollowsItsHeader) {
  XmSong song;
  song.channel_count = 2;
  song.orders = {0, 1};
  music::XmPattern empty;
  empty.rows = 8;
  music::XmPattern filled;
  filled.rows = 1;
  filled.cells = {{}, {13, 3, 0, 0, 0}};
  song.patterns = {empty, filled};
  music::XmLayout layout;
  const Bytes file = music::write_xm(song, &layout);
  ASSERT_EQ(file[layout.patterns[0] + test_support::pattern_packed_size_offset], 0);
  ASSERT_EQ(layout.patterns[1], layout.patterns[0] + 9);
  const auto load = load_bytes(file);
  ASSERT_TRUE(load.module) << load.result.reason;
  const music::Module& m = *load.module;
  EXPECT_EQ(m.patterns[0].rows, 8);
  EXPECT_EQ(m.patterns[0].stored_rows, 0);
  for (int c = 0; c < 16; ++c) EXPECT_EQ(cell_at(m, m.patterns[0], c), PatternCell{});
  EXPECT_EQ(cell_at(m, m.patterns[1], 1), (PatternCell{13, 3, 0, 0, 0}));
}

TEST(XmInstruments, WithoutSamplesOnlyTheFieldsUpToTheCountAreRead) {
  // The first instrument is written with a sample and all its fields, then its count is set to 0 and its
  // header size stretched over the sample: none of those fields may reach the loaded instrument, and the
  // second instrument must still be found.
  XmSong song = test_support::small_song();
  song.instruments = {song.instruments[0], test_support::instrument_with({test_support::ramp_sample(5)})};
  music::XmLayout layout;
  Bytes file = music::write_xm(song, &layout);
  const std::size_t first = layout.instruments[0];
  test_support::put_u16(file, first + test_support::instrument_sample_count_offset, 0);
  test_support::put_u32(file, first, static_cast<std::uint32_t>(layout.instruments[1] - first));
  const auto load = load_bytes(file);
  ASSERT_TRUE(load.module) << load.result.reason;
  const music::Instrument& empty = load.module->instruments[0];
  EXPECT_EQ(empty.sample_count, 0);
  for (const music::Sample* s : empty.samples) EXPECT_EQ(s, &music::empty_sample);
  EXPECT_EQ(empty.sample_map, (std::array<std::uint8_t, 96>{}));
  EXPECT_EQ(empty.volume_points, 0);
  EXPECT_EQ(empty.volume_type, 0);
  EXPECT_EQ(empty.fadeout, 0);
  ASSERT_EQ(load.module->instruments[1].sample_count, 1);
  EXPECT_EQ(load.module->instruments[1].samples[0]->length, 5u);
}

TEST(XmInstruments, SixteenSamplesLoadAndSeventeenRefuseTheFile) {
  for (int count : {16, 17}) {
    XmSong song = test_support::small_song();
    song.instruments = {test_support::instrument_with(std::vector<XmSample>(count, test_support::ramp_sample(4)))};
    const auto load = load_bytes(music::write_xm(song));
    EXPECT_EQ(load.module != nullptr, count == 16) << count;
    if (count == 17) {
      EXPECT_EQ(load.result.reason, "an instrument has more than 16 samples");
    }
  }
}

TEST(XmInstruments, EnvelopesOfFewerThanTwoPointsAreOff) {
  for (int points : {0, 1, 2}) {
    XmSong song = test_support::small_song();
    for (music::XmEnvelope* e : {&song.instruments[0].volume_envelope, &song.instruments[0].panning_envelope}) {
      e->point_count = static_cast<std::uint8_t>(points);
      e->points[1] = {4, 30};
      e->sustain = 0;
      e->type = music::envelope_on | music::envelope_sustain;
    }
    const auto load = load_bytes(music::write_xm(song));
    ASSERT_TRUE(load.module);
    const int expected = points < 2 ? 0 : music::envelope_on | music::envelope_sustain;
    EXPECT_EQ(load.module->instruments[0].volume_type, expected) << points;
    EXPECT_EQ(load.module->instruments[0].panning_type, expected) << points;
  }
}

TEST(XmSamples, LengthsLoopsAndConversions) {
  std::vector<std::int16_t> frames_500(500);
  for (int i = 0; i < 500; ++i) frames_500[i] = static_cast<std::int16_t>(i * 37 - 9000);
  XmSample wide_forward;
  wide_forward.sixteen_bit = true;
  wide_forward.frames = frames_500;
  wide_forward.loop_bits = music::xm_loop_forward;
  wide_forward.loop_start = 100;  // bytes 200..600 in the file
  wide_forward.loop_length = 200;
  XmSample both_bits = test_support::ramp_sample(20);
  both_bits.loop_bits = music::xm_loop_forward | music::xm_loop_ping_pong;
  both_bits.loop_start = 5;
  both_bits.loop_length = 10;
  XmSample forward_without_length = test_support::ramp_sample(20);
  forward_without_length.loop_bits = music::xm_loop_forward;
  forward_without_length.loop_start = 5;
  XmSample deltas;
  deltas.frames = {10, 0};  // stored as the deltas 10, 246
  struct Case {
    const char* what;
    XmSample sample;
    std::uint32_t length, loop_start, loop_length;
    std::uint8_t loop_type;
    std::vector<std::int16_t> first_words;
  };
  const Case cases[] = {
      {"16-bit 1000 bytes, forward loop from byte 200 for 400", wide_forward, 500, 100, 200, music::loop_forward,
       {-9000, -8963}},
      {"both loop bits are a ping-pong loop", both_bits, 20, 5, 10, music::loop_ping_pong, {256, 512}},
      {"forward loop of length 0 plays once over the whole sample", forward_without_length, 20, 0, 20,
       music::loop_none, {256}},
      {"8-bit deltas 10, 246", deltas, 2, 0, 2, music::loop_none, {2560, 0}},
  };
  for (const Case& c : cases) {
    XmSong song = test_support::small_song();
    song.instruments = {test_support::instrument_with({c.sample})};
    const auto load = load_bytes(music::write_xm(song));
    ASSERT_TRUE(load.module) << c.what;
    const music::Sample& s = *load.module->instruments[0].samples[0];
    EXPECT_EQ(s.length, c.length) << c.what;
    EXPECT_EQ(s.loop_start, c.loop_start) << c.what;
    EXPECT_EQ(s.loop_length, c.loop_length) << c.what;
    EXPECT_EQ(s.loop_type, c.loop_type) << c.what;
    EXPECT_EQ(s.bits, 16) << c.what;
    for (std::size_t i = 0; i < c.first_words.size(); ++i) EXPECT_EQ(s.data[i], c.first_words[i]) << c.what;
    test_support::expect_playable(*load.module, c.what);  // includes the guard word
  }
}

TEST(XmSamples, GuardWordRepeatsTheFrameTheMixerGoesOnTo) {
  const auto load = load_bytes(music::write_xm(test_support::small_song()));
  ASSERT_TRUE(load.module);
  const music::Instrument& ins = load.module->instruments[0];
  // Forward loop 8..24: the word at 24 repeats the loop start. Ping-pong 2..6: the word at 6 repeats 5.
  EXPECT_EQ(ins.samples[0]->data[24], ins.samples[0]->data[8]);
  EXPECT_EQ(ins.samples[0]->data[24], 9 * 256);
  EXPECT_EQ(ins.samples[1]->data[6], 6);
}

}  // namespace
