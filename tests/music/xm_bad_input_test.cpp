// XM loader on damaged and hostile files: what it clamps, what it refuses, and that no file at all makes
// it read or write outside its records.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>

#include "support/xm_fixture.h"

namespace {

using music::XmSample;
using music::XmSong;
using test_support::Bytes;
using test_support::load_bytes;
using test_support::put_u16;
using test_support::put_u32;

struct Written {
  Bytes file;
  music::XmLayout layout;
};

Written write(const XmSong& song) {
  Written w;
  w.file = music::write_xm(song, &w.layout);
  return w;
}

TEST(XmBadInput, RefusedFiles) {
  const Written base = write(test_support::small_song());
  struct Case {
    const char* what;
    std::function<void(Bytes&)> damage;
    const char* reason;
  };
  const Case cases[] = {
      {"empty file", [](Bytes& f) { f.clear(); }, "not an XM module"},
      {"wrong magic", [](Bytes& f) { f[9] = 'm'; }, "not an XM module"},
      {"cut inside the magic", [](Bytes& f) { f.resize(16); }, "not an XM module"},
      {"no channels", [](Bytes& f) { put_u16(f, test_support::at_channel_count, 0); },
       "channel count is 0 or above 256"},
      {"257 channels", [](Bytes& f) { put_u16(f, test_support::at_channel_count, 257); },
       "channel count is 0 or above 256"},
      {"cut before the channel count", [](Bytes& f) { f.resize(test_support::at_channel_count); },
       "channel count is 0 or above 256"},
      {"257 patterns", [](Bytes& f) { put_u16(f, test_support::at_pattern_count, 257); }, "more than 256 patterns"},
      {"empty patterns of 65535 rows on 256 channels in a file of a kilobyte",
       [&](Bytes& f) {
         put_u16(f, test_support::at_channel_count, 256);
         for (std::size_t at : base.layout.patterns) {
           put_u16(f, at + test_support::pattern_rows_offset, 0xFFFF);
           put_u16(f, at + test_support::pattern_packed_size_offset, 0);
         }
       },
       "the patterns name more cells than a file of this size can fill"},
      {"an instrument of 65535 samples",
       [&](Bytes& f) { put_u16(f, base.layout.instruments[0] + test_support::instrument_sample_count_offset, 0xFFFF); },
       "an instrument has more than 16 samples"},
  };
  for (const Case& c : cases) {
    Bytes file = base.file;
    c.damage(file);
    const auto load = load_bytes(file);
    EXPECT_FALSE(load.module) << c.what;
    EXPECT_EQ(load.result.status, base::LoadStatus::refused) << c.what;
    EXPECT_EQ(load.result.reason, c.reason) << c.what;
  }
  const auto missing = test_support::load_file("no-such-file.xm");
  EXPECT_EQ(missing.result.status, base::LoadStatus::cannot_open);
  EXPECT_EQ(missing.result.reason, "cannot open the file");
}

TEST(XmBadInput, HeaderValuesAreClampedSoTheReplayCannotStall) {
  struct Case {
    const char* what;
    std::size_t at;
    std::uint16_t value;
    int song_length, restart_position, channel_count, speed, bpm, instruments;
  };
  // The fixture: 3 orders, restart 0, 2 channels, speed 6, 125 BPM, 2 instruments.
  const Case cases[] = {
      {"song length 0 plays one order", test_support::at_song_length, 0, 1, 0, 2, 6, 125, 2},
      {"song length above 256 plays the whole table", test_support::at_song_length, 300, 256, 0, 2, 6, 125, 2},
      {"restart at the song length starts over", test_support::at_restart_position, 3, 3, 0, 2, 6, 125, 2},
      {"restart within the song stays", test_support::at_restart_position, 2, 3, 2, 2, 6, 125, 2},
      {"256 channels are allowed", test_support::at_channel_count, 256, 3, 0, 256, 6, 125, 2},
      {"speed 0 stays, a row on every tick", test_support::at_default_speed, 0, 3, 0, 2, 0, 125, 2},
      {"BPM 0 becomes the slowest tempo", test_support::at_default_bpm, 0, 3, 0, 2, 6, 1, 2},
      {"BPM 1 stays", test_support::at_default_bpm, 1, 3, 0, 2, 6, 1, 2},
      {"BPM 31 stays", test_support::at_default_bpm, 31, 3, 0, 2, 6, 31, 2},
      {"BPM above 255 stays", test_support::at_default_bpm, 1000, 3, 0, 2, 6, 1000, 2},
      {"instruments beyond 128 are never read", test_support::at_instrument_count, 40000, 3, 0, 2, 6, 125, 128},
  };
  const Bytes base = music::write_xm(test_support::small_song());
  for (const Case& c : cases) {
    Bytes file = base;
    put_u16(file, c.at, c.value);
    const auto load = load_bytes(file);
    ASSERT_TRUE(load.module) << c.what << ": " << load.result.reason;
    const music::Module& m = *load.module;
    EXPECT_EQ(m.song_length, c.song_length) << c.what;
    EXPECT_EQ(m.restart_position, c.restart_position) << c.what;
    EXPECT_EQ(m.channel_count, c.channel_count) << c.what;
    EXPECT_EQ(m.default_speed, c.speed) << c.what;
    EXPECT_EQ(m.default_bpm, c.bpm) << c.what;
    EXPECT_EQ(m.instrument_count, c.instruments) << c.what;
    test_support::expect_playable(m, c.what);
  }
}

TEST(XmBadInput, PatternRowsFromNoneToTheMostAFileStores) {
  XmSong song = test_support::small_song();
  song.patterns[1].rows = 0;
  song.patterns[1].cells.clear();
  const auto load = load_bytes(music::write_xm(song));
  ASSERT_TRUE(load.module) << load.result.reason;
  EXPECT_EQ(load.module->patterns[1].rows, 1);
  EXPECT_EQ(test_support::cell_at(*load.module, load.module->patterns[1], 1), music::PatternCell{});
  test_support::expect_playable(*load.module, "zero rows");

  // Any row count a file can store, as long as the patterns' cells fit what a file of its size may ask.
  for (const std::uint16_t rows : {256, 257, 1000, 65535}) {
    song.patterns[1].rows = rows;
    const auto large = load_bytes(music::write_xm(song));
    ASSERT_TRUE(large.module) << rows << ": " << large.result.reason;
    EXPECT_EQ(large.module->patterns[1].rows, rows);
    test_support::expect_playable(*large.module, std::to_string(rows) + " rows");
  }
}

TEST(XmBadInput, EnvelopesAreKeptToPointsThatExist) {
  struct Case {
    const char* what;
    std::uint8_t points, sustain, loop_start, loop_end, type;
    int expected_points, expected_type;
  };
  const std::uint8_t all = music::envelope_on | music::envelope_sustain | music::envelope_loop;
  const Case cases[] = {
      {"14 points keep the first 12", 14, 2, 1, 3, all, 12, all},
      {"255 points too", 255, 11, 0, 11, all, 12, all},
      {"sustain at the count is dropped", 4, 4, 0, 3, all, 4, music::envelope_on | music::envelope_loop},
      {"loop end at the count drops the loop", 4, 1, 0, 4, all, 4, music::envelope_on | music::envelope_sustain},
      {"loop start beyond the count drops the loop", 4, 1, 200, 2, all, 4,
       music::envelope_on | music::envelope_sustain},
      {"points within the count stay", 4, 3, 1, 3, all, 4, all},
  };
  for (const Case& c : cases) {
    XmSong song = test_support::small_song();
    music::XmEnvelope& e = song.instruments[0].volume_envelope;
    for (int k = 0; k < 12; ++k) e.points[k] = {static_cast<std::uint16_t>(k * 4), 32};
    e = {e.points, c.points, c.sustain, c.loop_start, c.loop_end, c.type};
    const auto load = load_bytes(music::write_xm(song));
    ASSERT_TRUE(load.module) << c.what;
    EXPECT_EQ(load.module->instruments[0].volume_points, c.expected_points) << c.what;
    EXPECT_EQ(load.module->instruments[0].volume_type, c.expected_type) << c.what;
    test_support::expect_playable(*load.module, c.what);
  }
}

TEST(XmBadInput, EnvelopeValuesAboveSixtyFourAndTicksGoingBackAreHeld) {
  XmSong song = test_support::small_song();
  music::XmEnvelope& e = song.instruments[0].panning_envelope;
  e.points[0] = {5, 200};
  e.points[1] = {2, 64};  // behind the point before it
  e.points[2] = {9, 0xFFFF};
  e.point_count = 3;
  e.type = music::envelope_on;
  const auto load = load_bytes(music::write_xm(song));
  ASSERT_TRUE(load.module);
  const auto& points = load.module->instruments[0].panning_envelope;
  EXPECT_EQ(points[0], (music::EnvelopePoint{5, 64}));
  EXPECT_EQ(points[1], (music::EnvelopePoint{5, 64}));
  EXPECT_EQ(points[2], (music::EnvelopePoint{9, 64}));
  EXPECT_EQ(points[3], (music::EnvelopePoint{0, 0}));  // points not in use stay as the file has them
}

TEST(XmBadInput, SampleFieldsAreKeptInsideTheData) {
  struct Case {
    const char* what;
    std::size_t field;  // offset in the sample header
    std::uint32_t value;
    std::uint32_t length, loop_start, loop_length;
    std::uint8_t loop_type;
  };
  // The fixture's first sample: 40 frames of 8 bits, forward loop 8..24.
  const Written base = write(test_support::small_song());
  const auto to_the_end = static_cast<std::uint32_t>(base.file.size() - base.layout.sample_data[0]);
  const Case cases[] = {
      {"loop running past the end is cut at it", test_support::sample_loop_length_offset, 100, 40, 8, 32,
       music::loop_forward},
      {"loop starting at the end is dropped", test_support::sample_loop_start_offset, 40, 40, 0, 40, music::loop_none},
      {"loop start near 4 GB, whose end wraps 32 bits, is dropped", test_support::sample_loop_start_offset, 0xFFFFFFF8u,
       40, 0, 40, music::loop_none},
      {"loop length near 4 GB is cut", test_support::sample_loop_length_offset, 0xFFFFFFFFu, 40, 8, 32,
       music::loop_forward},
      {"length beyond the file keeps the bytes up to the end", test_support::sample_length_offset, 0x7FFFFFFF,
       to_the_end, 8, 16, music::loop_forward},
  };
  for (const Case& c : cases) {
    Bytes file = base.file;
    put_u32(file, base.layout.sample_headers[0] + c.field, c.value);
    const auto load = load_bytes(file);
    ASSERT_TRUE(load.module) << c.what;
    const music::Sample& s = *load.module->instruments[0].samples[0];
    EXPECT_EQ(s.length, c.length) << c.what;
    EXPECT_EQ(s.loop_start, c.loop_start) << c.what;
    EXPECT_EQ(s.loop_length, c.loop_length) << c.what;
    EXPECT_EQ(s.loop_type, c.loop_type) << c.what;
    test_support::expect_playable(*load.module, c.what);
  }
}

TEST(XmBadInput, SampleVolumeIsHeldAtSixtyFourAndPanningKeepsItsByte) {
  XmSong song = test_support::small_song();
  song.instruments[0].samples[0].volume = 200;
  song.instruments[0].samples[0].panning = 255;
  song.instruments[0].samples[1].volume = 64;
  song.instruments[0].samples[1].panning = 0;
  const auto load = load_bytes(music::write_xm(song));
  ASSERT_TRUE(load.module);
  const music::Instrument& ins = load.module->instruments[0];
  EXPECT_EQ(ins.samples[0]->volume, 64);
  EXPECT_EQ(ins.samples[0]->panning, 255);
  EXPECT_EQ(ins.samples[1]->volume, 64);
  EXPECT_EQ(ins.samples[1]->panning, 0);
}

TEST(XmBadInput, OddByteCountOfSixteenBitDataKeepsTheNextSampleInStep) {
  XmSong song = test_support::small_song();
  XmSample wide;
  wide.sixteen_bit = true;
  wide.frames = {100, 200, 300};
  XmSample next = test_support::ramp_sample(4);
  song.instruments[0].samples = {wide, next};
  music::XmLayout layout;
  Bytes file = music::write_xm(song, &layout);
  // One stray byte after the 16-bit data, counted in its length.
  file.insert(file.begin() + static_cast<std::ptrdiff_t>(layout.sample_data[1]), 0x55);
  put_u32(file, layout.sample_headers[0], 7);
  const auto load = load_bytes(file);
  ASSERT_TRUE(load.module);
  const music::Instrument& ins = load.module->instruments[0];
  EXPECT_EQ(ins.samples[0]->length, 3u);
  ASSERT_EQ(ins.samples[1]->length, 4u);
  EXPECT_EQ(ins.samples[1]->data[0], 256);
  EXPECT_EQ(ins.samples[1]->data[3], 4 * 256);
}

TEST(XmBadInput, SizesThatPointPastTheEndOrBackAreHarmless) {
  const Written base = write(test_support::small_song());
  const std::size_t instrument = base.layout.instruments[0];
  struct Case {
    const char* what;
    std::size_t at;
    std::uint32_t value;
    int first_pattern_rows;        // -1: not checked
    int first_instrument_samples;  // their data lies beyond what the headers say: none is loaded
  };
  const Case cases[] = {
      // Patterns and instruments then lie beyond the end and read as zeros, as in a cut file.
      {"header size past the end", test_support::at_header_size, 0xFFFFFFFF, 1, 0},
      {"instrument size past the end", instrument, 0x8FFFFFFF, 4, 2},
      // The sample headers are read from the instrument header itself: garbage, but inside the file.
      {"instrument size 0 goes back to the instrument's start", instrument, 0, 4, 2},
      {"header size 0 reads patterns from the header", test_support::at_header_size, 0, -1, -1},
  };
  for (const Case& c : cases) {
    Bytes file = base.file;
    put_u32(file, c.at, c.value);
    const auto load = load_bytes(file);
    ASSERT_TRUE(load.module) << c.what << ": " << load.result.reason;
    test_support::expect_playable(*load.module, c.what);
    if (c.first_pattern_rows < 0) continue;
    EXPECT_EQ(load.module->patterns[0].rows, c.first_pattern_rows) << c.what;
    const music::Instrument& ins = load.module->instruments[0];
    EXPECT_EQ(ins.sample_count, c.first_instrument_samples) << c.what;
    for (int s = 0; s < ins.sample_count; ++s) EXPECT_EQ(ins.samples[s]->length, 0u) << c.what;
  }
}

TEST(XmBadInput, CutFileLoadsWithWhatIsThere) {
  // Cut in the middle of the first sample's data: it keeps the frames before the cut, the second sample
  // is left without data.
  const Written base = write(test_support::small_song());
  Bytes file(base.file.begin(), base.file.begin() + static_cast<std::ptrdiff_t>(base.layout.sample_data[0] + 30));
  const auto load = load_bytes(file);
  ASSERT_TRUE(load.module) << load.result.reason;
  const music::Instrument& ins = load.module->instruments[0];
  ASSERT_EQ(ins.sample_count, 2);
  EXPECT_EQ(ins.samples[0]->length, 30u);
  EXPECT_EQ(ins.samples[0]->data[29], 30 * 256);
  EXPECT_EQ(ins.samples[0]->loop_start + ins.samples[0]->loop_length, 24u);  // the loop 8..24 is still there
  EXPECT_EQ(ins.samples[1]->length, 0u);
  EXPECT_EQ(ins.samples[1]->data, nullptr);
  EXPECT_EQ(load.module->instruments[1].sample_count, 0);
}

// Loads `file` and, when it loads, checks the module; a refusal must come with a reason.
void expect_loads_or_refuses_cleanly(const Bytes& file, const std::string& what) {
  const auto load = load_bytes(file);
  if (load.module) {
    test_support::expect_playable(*load.module, what);
  } else {
    EXPECT_NE(load.result.reason, "") << what;
  }
}

TEST(XmBadInput, EveryPrefixOfAModuleLoadsOrIsRefused) {
  const Bytes full = music::write_xm(test_support::small_song());
  for (std::size_t n = 0; n <= full.size(); ++n) {
    expect_loads_or_refuses_cleanly(Bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n)),
                                    "prefix of " + std::to_string(n) + " bytes");
    if (::testing::Test::HasFatalFailure()) return;
  }
}

TEST(XmBadInput, EveryByteSetToEachExtremeLoadsOrIsRefused) {
  const Bytes full = music::write_xm(test_support::small_song());
  for (std::size_t at = 0; at < full.size(); ++at) {
    for (std::uint8_t value : {0x00, 0x7F, 0x80, 0xFF}) {
      Bytes file = full;
      file[at] = value;
      expect_loads_or_refuses_cleanly(file, "byte " + std::to_string(at) + " set to " + std::to_string(value));
      if (::testing::Test::HasFatalFailure()) return;
    }
  }
}

std::vector<std::filesystem::path> xm_files_in(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.is_regular_file() && entry.path().extension() == ".xm") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

Bytes read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Modules from another player's test suite, and files that once broke a loader there. None of them may
// make this loader fault; the expected outcome of each is in the table. (Its pattern of 33538 rows on one
// channel, which that player refuses, loads here: its cells fit what a file of its size may ask.)
TEST(XmBadInput, ModulesOfAnotherPlayersTestSuite) {
  const std::filesystem::path folder = std::filesystem::path(ZARN_TEST_DATA) / "xm-libxmp";
  ASSERT_TRUE(std::filesystem::is_directory(folder)) << "missing " << folder;
  const std::map<std::string, const char*> refused = {
      {"ice21_ambiguous.xm", "not an XM module"},
      {"load_xm_zero_samples.xm", "channel count is 0 or above 256"},
  };
  auto files = xm_files_in(folder);
  const auto invalid = xm_files_in(folder / "invalid");
  files.insert(files.end(), invalid.begin(), invalid.end());
  EXPECT_GE(files.size(), 57u);  // all the folder holds: a missing file fails
  std::size_t refusals_seen = 0;
  for (const auto& path : files) {
    const std::string name = path.filename().string();
    const auto load = test_support::load_file(path.c_str());
    const auto expected = refused.find(name);
    if (expected == refused.end()) {
      ASSERT_TRUE(load.module) << name << ": " << load.result.reason;
      test_support::expect_playable(*load.module, name);
    } else {
      EXPECT_FALSE(load.module) << name;
      EXPECT_EQ(load.result.reason, expected->second) << name;
      ++refusals_seen;
    }
    // Every prefix too: these files hold structures the writer never makes.
    const Bytes bytes = read_file(path);
    for (std::size_t n = 0; n < bytes.size(); n += 7) {
      expect_loads_or_refuses_cleanly(Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n)),
                                      name + " cut at " + std::to_string(n));
    }
  }
  EXPECT_EQ(refusals_seen, refused.size()) << "a file of the table is missing";
}

}  // namespace
