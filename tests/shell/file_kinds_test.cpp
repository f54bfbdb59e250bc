// Names in the release's folder that are not regular files: a FIFO, a directory. Every reader takes them
// for a missing file, at once, so nothing waits for a writer that never comes.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>

#include "base/image.h"
#include "base/load_result.h"
#include "engine3d/object_loader.h"
#include "music/memory_file.h"
#include "platform/headless/headless.h"
#include "shell/bmp_reader.h"
#include "shell/nfo_check.h"
#include "shell/script_reader.h"
#include "support/temp_dir.h"

namespace {

enum class Kind { fifo, directory };

void make(const char* name, Kind kind) {
  std::filesystem::remove_all(name);
  if (kind == Kind::fifo) {
    ASSERT_EQ(mkfifo(name, 0600), 0) << name;
  } else {
    std::filesystem::create_directory(name);
  }
}

TEST(FileKinds, EveryReaderTakesAFifoOrADirectoryForAMissingFile) {
  test_support::WorkingFolder folder;
  struct Reader {
    const char* file;
    std::function<bool(const char*)> reads_as_missing;
  };
  const Reader readers[] = {
      {"zarn.dat", [](const char* f) { shell::ScriptText s; return shell::read_script_file(f, s).status == base::LoadStatus::cannot_open; }},
      {"logo.bmp", [](const char* f) { base::Image i; return shell::load_bmp(f, i) == shell::bmp_cannot_open; }},
      {"ZARN.NFO", [](const char* f) { return shell::check_nfo_file(f).verdict == shell::nfo_verdict_missing; }},
      {"3d-obj.3d",
       [](const char* f) {
         std::string text;
         return engine3d::read_object_file(f, text).status == base::LoadStatus::cannot_open;
       }},
      {"music.xm", [](const char* f) { return music::memory_open(f) == nullptr; }},
  };
  for (const Reader& reader : readers) {
    for (const Kind kind : {Kind::fifo, Kind::directory}) {
      make(reader.file, kind);
      EXPECT_TRUE(reader.reads_as_missing(reader.file))
          << reader.file << (kind == Kind::fifo ? " as a FIFO" : " as a directory");
    }
  }
}

TEST(FileKinds, ScriptThatIsADirectoryShowsTheMissingScriptMessage) {
  test_support::WorkingFolder folder;
  platform::headless::reset();
  make("zarn.dat", Kind::directory);
  EXPECT_EQ(shell::load_script(), 0);
  EXPECT_EQ(platform::headless::shown_messages(), std::vector<std::string>{"ZARN: Can't find data file zarn.dat"});
}

TEST(FileKinds, NfoNameThatIsNoFileLeavesTheCheckToTheNextName) {
  test_support::WorkingFolder folder;
  const std::string text = "a good NFO\r\n";
  folder.write("ZARNVEKO.NFO", shell::sign_nfo({text.begin(), text.end()}));
  for (const Kind kind : {Kind::fifo, Kind::directory}) {
    make("ZARN.NFO", kind);
    const shell::NfoCheckResult result = shell::check_nfo_files();
    EXPECT_EQ(result.verdict, shell::nfo_verdict_passed);
    EXPECT_EQ(result.file, "ZARNVEKO.NFO");
  }
}

TEST(FileKinds, NfoLargerThanAnyRealOneFailsWithoutBeingRead) {
  test_support::WorkingFolder folder;
  const std::string text(shell::nfo_max_bytes, 'x');
  const std::vector<std::uint8_t> bytes(text.begin(), text.end());
  folder.write("ZARN.NFO", shell::sign_nfo(bytes));  // a correct trailer, over the limit by 18 bytes
  EXPECT_EQ(shell::check_nfo_files().verdict, shell::nfo_verdict_failed);
  std::filesystem::resize_file("ZARN.NFO", shell::nfo_max_bytes);
  folder.write("ZARN.NFO", shell::sign_nfo({bytes.begin(), bytes.end() - 18}));  // just at the limit
  EXPECT_EQ(shell::check_nfo_files().verdict, shell::nfo_verdict_passed);
}

}  // namespace
