// zarn-tool check: a folder with one thing wrong gives that file's line and exit 1; the default set passes.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>

#include "support/bmp_builder.h"
#include "support/moved_object.h"
#include "support/temp_dir.h"
#include "support/tool_run.h"
#include "tools/image/indexed_image.h"
#include "tools/assets/texts.h"
#include "tools/files/file_bytes.h"
#include "tools/kit/check_command.h"

namespace {

namespace fs = std::filesystem;
using tools::FileOutcome;

const fs::path committed = ZARN_ASSET_DIR;

std::string read_text(const fs::path& path) {
  const auto bytes = tools::read_file_bytes(path.string()).value_or(std::vector<std::uint8_t>{});
  return {bytes.begin(), bytes.end()};
}

// The object file with the corners of its first face in the other order: that face is turned inside out.
std::string with_first_face_turned(const std::string& object) {
  const std::size_t vertices = std::stoul(object);
  std::size_t at = 0;
  for (std::size_t line = 0; line < vertices + 1; ++line) at = object.find('\n', at) + 1;
  const std::size_t end = object.find('\n', at);
  int i = 0, j = 0, k = 0, extra = 0;
  std::sscanf(object.c_str() + at, "%d %d %d %d", &i, &j, &k, &extra);
  return object.substr(0, at) + std::to_string(i) + " " + std::to_string(k) + " " + std::to_string(j) + " " +
         std::to_string(extra) + object.substr(end);
}

std::string tampered(std::string nfo) {
  nfo[40] ^= 0x20;
  return nfo;
}

TEST(FolderCheck, TheDefaultSetRunsAsIntended) {
  for (const tools::FileCheck& check : tools::check_folder(committed.string())) {
    EXPECT_EQ(check.outcome, FileOutcome::as_intended) << check.file << ": " << check.intro;
    EXPECT_TRUE(check.present) << check.file;
  }
  EXPECT_EQ(test_support::run_tool(tools::check_command, {committed.string()}), tools::exit_ok);
}

TEST(FolderCheck, EachBrokenFolderGivesItsLineAndExitOne) {
  const std::string object = read_text(committed / "3d-obj.3d");
  const std::string nfo = read_text(committed / "ZARN.NFO");
  const auto unsigned_nfo = tools::assets::default_nfo_text();
  const std::string small_logo = [] {
    const auto bytes = tools::encode_bmp8(tools::IndexedImage(320, 240));
    return std::string(bytes.begin(), bytes.end());
  }();
  const std::string true_colour = [] {
    test_support::BmpFields fields;
    fields.width = 640;
    fields.height = 150;
    fields.bit_count = 24;
    const auto bytes = test_support::build_bmp(fields, {}, std::vector<std::uint8_t>(640 * 150 * 3, 0x40));
    return std::string(bytes.begin(), bytes.end());
  }();
  struct Case {
    const char* what;
    const char* file;  // the line that shows it
    FileOutcome outcome;
    std::function<void(const test_support::WorkingFolder&)> break_it;
  };
  const auto remove = [](const char* name) {
    return [name](const test_support::WorkingFolder& f) { fs::remove(f.path() / name); };
  };
  const auto write = [](const char* name, std::string bytes) {
    return [name, bytes](const test_support::WorkingFolder& f) { f.write(name, bytes); };
  };
  const Case cases[] = {
      {"no script", "zarn.dat", FileOutcome::ends, remove("zarn.dat")},
      {"no module", "music.xm", FileOutcome::falls_back, remove("music.xm")},
      {"no scroll font", "chars.bmp", FileOutcome::falls_back, remove("chars.bmp")},
      {"no NFO font", "chars2.bmp", FileOutcome::falls_back, remove("chars2.bmp")},
      {"no logo", "logo.bmp", FileOutcome::falls_back, remove("logo.bmp")},
      {"no blob", "blob.bmp", FileOutcome::falls_back, remove("blob.bmp")},
      {"no banner", "zarn.bmp", FileOutcome::falls_back, remove("zarn.bmp")},
      {"no credits strip", "credits.bmp", FileOutcome::falls_back, remove("credits.bmp")},
      {"no object", "3d-obj.3d", FileOutcome::ends, remove("3d-obj.3d")},
      {"no NFO", "ZARN.NFO", FileOutcome::ends, remove("ZARN.NFO")},
      {"tampered NFO", "ZARN.NFO", FileOutcome::ends, write("ZARN.NFO", tampered(nfo))},
      {"unsigned NFO", "ZARN.NFO", FileOutcome::ends,
       write("ZARN.NFO", std::string(unsigned_nfo.begin(), unsigned_nfo.end()))},
      {"logo of the wrong size", "logo.bmp", FileOutcome::falls_back, write("logo.bmp", small_logo)},
      {"24-bit banner", "zarn.bmp", FileOutcome::falls_back, write("zarn.bmp", true_colour)},
      {"logo as the blob", "blob.bmp", FileOutcome::falls_back, write("blob.bmp", small_logo)},
      {"module that does not load", "music.xm", FileOutcome::falls_back, write("music.xm", "Extended Module: no")},
      {"object with a face turned", "3d-obj.3d", FileOutcome::falls_back,
       write("3d-obj.3d", with_first_face_turned(object))},
      {"object that does not parse", "3d-obj.3d", FileOutcome::ends, write("3d-obj.3d", "12 x")},
      {"object too large to see", "3d-obj.3d", FileOutcome::falls_back,
       write("3d-obj.3d", test_support::moved_object_text(object, 10))},
      {"object too small to see", "3d-obj.3d", FileOutcome::falls_back,
       write("3d-obj.3d", test_support::moved_object_text(object, 0.01))},
      {"script without its start", "zarn.dat", FileOutcome::falls_back, write("zarn.dat", "hello\nENDPART\n")},
  };
  for (const Case& c : cases) {
    test_support::WorkingFolder folder;
    for (const auto& entry : fs::directory_iterator(committed)) fs::copy(entry.path(), folder.path());
    c.break_it(folder);
    const auto checks = tools::check_folder(folder.path().string());
    for (const tools::FileCheck& check : checks) {
      const FileOutcome expected = check.file == c.file ? c.outcome : FileOutcome::as_intended;
      EXPECT_EQ(check.outcome, expected) << c.what << ", " << check.file << ": " << check.reader << " / " << check.intro;
    }
    EXPECT_TRUE(std::any_of(checks.begin(), checks.end(), [&](const auto& check) { return check.file == c.file; }))
        << c.what;
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(test_support::run_tool(tools::check_command, {folder.path().string()}), tools::exit_failure) << c.what;
    ::testing::internal::GetCapturedStdout();
  }
}

}  // namespace
