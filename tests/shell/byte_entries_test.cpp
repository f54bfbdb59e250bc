// Every reader's two entries: the path entry hands the file's bytes to the byte entry, so the same bytes
// give the same result, reason and content either way. A span that ends early reads as a file that ends
// there: nothing past its end is looked at.
#include <gtest/gtest.h>

#include <functional>
#include <numeric>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "base/image.h"
#include "engine3d/object_loader.h"
#include "music/sound_system.h"
#include "music/xm_loader.h"
#include "music/xm_writer.h"
#include "platform/headless/headless.h"
#include "shell/bmp_reader.h"
#include "shell/nfo_check.h"
#include "shell/script_reader.h"
#include "support/bmp_builder.h"
#include "support/temp_dir.h"
#include "support/xm_fixture.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Span = std::span<const std::uint8_t>;

Bytes bytes_of(const std::string& text) { return {text.begin(), text.end()}; }

std::string status_words(const base::LoadResult& result) {
  const char* status[] = {"loaded", "cannot open", "refused"};
  return std::string(status[static_cast<int>(result.status)]) + " (" + result.reason + ")";
}

std::string bmp_summary(const base::LoadResult& result, const base::Image& image) {
  std::ostringstream out;
  out << status_words(result) << " " << image.width << "x" << image.height << "x" << image.bits_per_pixel << " pitch "
      << image.pitch << " pixels " << std::string(image.pixels.begin(), image.pixels.end()) << " palette";
  for (const std::uint32_t entry : image.palette) out << " " << entry;
  return out.str();
}

std::string script_summary(const base::LoadResult& result, const shell::ScriptText& script) {
  std::string out = status_words(result) + " part " + std::to_string(script.script_part_index);
  for (const std::string& part : script.parts) out += "|" + part;
  return out;
}

std::string nfo_summary(const shell::NfoCheckResult& result) {
  const char* verdict[] = {"missing", "passed", "failed"};
  return std::string(verdict[result.verdict]) + " " + result.file + " " + result.computed + " " + result.expected;
}

std::string object_summary(const base::LoadResult& result, const engine3d::Object3D& object) {
  std::ostringstream out;
  out << status_words(result) << " " << object.vertex_count() << " vertices";
  for (const engine3d::Face& face : object.faces) out << " " << face.i << "," << face.j << "," << face.k;
  for (const engine3d::Vector3& n : object.vertex_normals) out << " " << n.x << "," << n.y << "," << n.z;
  return out.str();
}

std::string module_summary(const music::OwnedModule& module, const base::LoadResult& result) {
  std::ostringstream out;
  out << status_words(result);
  if (!module) return out.str();
  out << " " << module->channel_count << " channels, " << module->song_length << " orders, " << module->pattern_slots
      << " patterns";
  for (int p = 0; p < module->pattern_slots; ++p) {
    const music::Pattern& pattern = module->patterns[p];
    out << " " << pattern.rows << "/" << pattern.stored_rows;
    for (int c = 0; c < pattern.stored_rows * module->channel_count; ++c) {
      const music::PatternCell& cell = pattern.cells[c];
      out << " " << +cell.note << ":" << +cell.instrument << ":" << +cell.volume << ":" << +cell.effect_type << ":"
          << +cell.effect_parameter;
    }
  }
  for (int i = 0; i < module->instrument_count; ++i) {
    const music::Instrument& instrument = module->instruments[i];
    for (int s = 0; s < instrument.sample_count; ++s) {
      const music::Sample& sample = *instrument.samples[s];
      const std::int16_t* data = sample.data.get();
      out << " sample " << sample.length << " " << sample.loop_start << "+" << sample.loop_length << " sum "
          << (data ? std::accumulate(data, data + sample.length + 1, std::int64_t{0}) : 0);
    }
  }
  return out.str();
}

struct Reader {
  const char* file;  // the name the path entry opens and the byte entry is given
  std::function<std::string(const char* path)> from_path;
  std::function<std::string(Span bytes, const char* name)> from_bytes;
  std::vector<Bytes> files;  // the first loads whole
  const char* whole_first_file = "loaded";  // how the summary of the first file starts
};

// A tetrahedron whose faces all have a normal.
const char* const tetrahedron = "4 4\n0 0 0\n1 0 0\n0 1 0\n0 0 1\n0 2 1 0\n0 1 3 0\n0 3 2 0\n1 2 3 0\n";

std::vector<Reader> readers() {
  const Bytes signed_nfo = shell::sign_nfo(bytes_of("ZARN greets the scene\r\n"));
  return {
      {"logo.bmp",
       [](const char* path) {
         base::Image image;
         const base::LoadResult result = shell::read_bmp_file(path, image);
         return bmp_summary(result, image);
       },
       [](Span bytes, const char*) {
         base::Image image;
         const base::LoadResult result = shell::read_bmp_bytes(bytes, image);
         return bmp_summary(result, image);
       },
       {test_support::build_bmp({.width = 3, .height = 4}, Bytes(1024, 7), Bytes(16, 200)),
        test_support::build_bmp({.width = 2, .height = -2, .bit_count = 24, .gap = 6}, {}, Bytes(16, 9)),
        bytes_of("BM not a bitmap at all, though it starts like one")}},
      {"zarn.dat",
       [](const char* path) {
         shell::ScriptText script;
         const base::LoadResult result = shell::read_script_file(path, script);
         return script_summary(result, script);
       },
       [](Span bytes, const char*) {
         shell::ScriptText script;
         const base::LoadResult result = shell::read_script_bytes(bytes, script);
         return script_summary(result, script);
       },
       {bytes_of("ZARNSTART\r\nthe upper line\r\nENDPART\nthe lower\rline\nZARNEND\nnever read\n"),
        bytes_of("no start marker\nZARNSTART\n")}},
      {"ZARN.NFO", [](const char* path) { return nfo_summary(shell::check_nfo_file(path)); },
       [](Span bytes, const char* name) { return nfo_summary(shell::check_nfo_bytes(bytes, name)); },
       {signed_nfo, Bytes(static_cast<std::size_t>(shell::nfo_max_bytes) + 1, 'x')},
       "passed"},
      {"3d-obj.3d",
       [](const char* path) {
         engine3d::Object3D object;
         const base::LoadResult result = engine3d::load_object(path, object);
         return object_summary(result, object);
       },
       [](Span bytes, const char* name) {
         engine3d::Object3D object;
         const base::LoadResult result = engine3d::load_object_bytes(bytes, name, object);
         return object_summary(result, object);
       },
       {bytes_of(tetrahedron), bytes_of("3 1\n0 0 0\n1 1 1\n2 2 2\n0 1 2 0\n")}},
      // The program's own way: through the file operations sound_start installs.
      {"music.xm",
       [](const char* path) {
         base::LoadResult result;
         const music::OwnedModule module = music::load_module(path, result);
         return module_summary(module, result);
       },
       [](Span bytes, const char*) {
         base::LoadResult result;
         const music::OwnedModule module = music::load_module(bytes, result);
         return module_summary(module, result);
       },
       {music::write_xm(test_support::small_song()), bytes_of("Extended Module: but nothing after it")}},
      // The tools' way: the file read whole.
      {"music.xm",
       [](const char* path) {
         base::LoadResult result;
         const music::OwnedModule module = music::load_module_file(path, result);
         return module_summary(module, result);
       },
       [](Span bytes, const char*) {
         base::LoadResult result;
         const music::OwnedModule module = music::load_module(bytes, result);
         return module_summary(module, result);
       },
       {music::write_xm(test_support::small_song())}},
  };
}

class ByteEntries : public ::testing::Test {
 protected:
  void SetUp() override {
    // The loader's file operations as start-up installs them.
    platform::headless::reset();
    ASSERT_TRUE(music::sound_start_with(nullptr, music::intro_mix_rate));
    music::close_sound();
  }
  void TearDown() override { platform::headless::reset(); }

  test_support::WorkingFolder folder;
};

TEST_F(ByteEntries, PathAndBytesGiveTheSameResultAlsoWhenTheBytesEndEarly) {
  for (const Reader& reader : readers()) {
    const std::string whole = reader.from_bytes(reader.files.front(), reader.file);
    EXPECT_EQ(whole.rfind(reader.whole_first_file, 0), 0u) << reader.file << ": " << whole.substr(0, 200);
    for (const Bytes& file : reader.files) {
      // Each length is the start of the whole file's bytes: a file of that length, and a span of the
      // whole that stops there.
      for (const std::size_t length : {file.size(), file.size() - 1, file.size() * 2 / 3, file.size() / 2,
                                       std::size_t{60}, std::size_t{20}, std::size_t{0}}) {
        if (length > file.size()) continue;
        SCOPED_TRACE(std::string(reader.file) + ", " + std::to_string(length) + " of " + std::to_string(file.size()) +
                     " bytes");
        folder.write(reader.file, Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length)));
        EXPECT_EQ(reader.from_path(reader.file), reader.from_bytes(Span(file).first(length), reader.file));
      }
    }
  }
}

}  // namespace
