// Asset folders: a set of files written all together or not at all, never through a symlink out of the
// folder, with two writers at once; and a folder entered for a while.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "tools/files/file_set.h"
#include "tools/files/folder_write.h"
#include "tools/files/in_folder.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> bytes_of(const std::string& text) { return {text.begin(), text.end()}; }

std::string contents(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Everything under `root` as it stands, a line per entry: the bytes of a file, the target of a symlink,
// "dir" for a folder. Equal snapshots mean nothing was changed, added (a leftover temporary file, say) or
// removed.
std::map<std::string, std::string> snapshot(const fs::path& root) {
  std::map<std::string, std::string> entries;
  if (!fs::exists(fs::symlink_status(root))) return entries;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    const std::string name = fs::relative(entry.path(), root).string();
    if (entry.is_symlink()) entries[name] = "link to " + fs::read_symlink(entry.path()).string();
    else if (entry.is_directory()) entries[name] = "dir";
    else if (entry.is_fifo()) entries[name] = "fifo";
    else entries[name] = "file: " + contents(entry.path());
  }
  return entries;
}

// The new set: three files, the last one the one a failing case puts something in the way of.
tools::FileSet new_set() {
  return {{"logo.bmp", bytes_of("new logo")}, {"zarn.dat", bytes_of("new script")}, {"music.xm", bytes_of("new tune")}};
}

// A folder holding an old set and a file of the group's own that no set makes.
void write_old_folder(const fs::path& dir) {
  fs::create_directories(dir);
  std::ofstream(dir / "logo.bmp") << "old logo";
  std::ofstream(dir / "zarn.dat") << "old script";
  std::ofstream(dir / "notes.txt") << "the group's own notes";
}

// While it lives, the process may not write files larger than `bytes`: a write beyond fails as on a full
// disk (EFBIG), and the signal that would end the process for it is ignored.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &previous_);
    previous_handler_ = signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{bytes, previous_.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &previous_);
    signal(SIGXFSZ, previous_handler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit previous_{};
  sighandler_t previous_handler_ = SIG_DFL;
};

TEST(FolderWrite, AFailurePartWayLeavesEveryOldFileAsItWas) {
  const test_support::WorkingFolder folder;
  struct Case {
    const char* what;
    std::function<void(tools::FileSet&)> prepare;  // puts something in the way, in the folder or the set
    const char* said;                              // the failure's line
    rlim_t file_size_limit = RLIM_INFINITY;
  };
  const Case cases[] = {
      {"a directory in the way of the last file, after the others were swapped in",
       [](tools::FileSet&) { fs::create_directories("out/music.xm/inside"); },
       "cannot replace out/music.xm: Is a directory"},
      {"a directory in the way of the first file",
       [](tools::FileSet&) {
         fs::remove("out/logo.bmp");
         fs::create_directory("out/logo.bmp");
       },
       "cannot replace out/logo.bmp: Is a directory"},
      {"a name too long for the file system",
       [](tools::FileSet& set) { set.push_back({std::string(300, 'n'), bytes_of("x")}); },
       "File name too long"},
      {"a file larger than the disk takes",
       [](tools::FileSet& set) { set.push_back({"big.bin", std::vector<std::uint8_t>(4096, 7)}); },
       "cannot write out/big.bin: File too large", 1024},
      {"a name with a folder in it", [](tools::FileSet& set) { set.push_back({"sub/music.xm", bytes_of("x")}); },
       "cannot write out/sub/music.xm: not a file name in the folder"},
      {"a name given twice", [](tools::FileSet& set) { set.push_back({"zarn.dat", bytes_of("x")}); },
       "cannot write out/zarn.dat: named twice in the set"},
      {"a FIFO under the first name, a directory in the way of the last",
       [](tools::FileSet&) {
         fs::remove("out/logo.bmp");
         ASSERT_EQ(::mkfifo("out/logo.bmp", 0600), 0);
         fs::create_directories("out/music.xm/inside");
       },
       "cannot replace out/music.xm: Is a directory"},
  };
  for (const Case& c : cases) {
    fs::remove_all("out");
    write_old_folder("out");
    tools::FileSet set = new_set();
    c.prepare(set);
    const auto before = snapshot("out");
    std::string failure;
    {
      const FileSizeLimit limit(c.file_size_limit);
      EXPECT_FALSE(tools::write_folder("out", set, failure)) << c.what;
    }
    EXPECT_NE(failure.find(c.said), std::string::npos) << c.what << ": " << failure;
    EXPECT_EQ(failure.find('\n'), std::string::npos) << c.what;
    EXPECT_EQ(snapshot("out"), before) << c.what;
  }
}

TEST(FolderWrite, ReplacesWhatStandsUnderANameWithoutFollowingIt) {
  const test_support::WorkingFolder folder;
  using Entries = std::map<std::string, std::string>;
  struct Case {
    const char* what;
    std::function<void()> prepare;  // makes "out" (or not) and what lies "outside" it
    Entries folder_after;           // beyond the new set's three files
  };
  const Entries outside_file = {{"kept.txt", "file: someone else's"}};
  const Case cases[] = {
      {"a missing folder is made", [] {}, {}},
      {"old files are replaced and the folder's other files stay", [] { write_old_folder("out"); },
       {{"notes.txt", "file: the group's own notes"}}},
      {"a symlink to a file outside is replaced, the file left alone",
       [] {
         fs::create_directory("out");
         fs::create_symlink("../outside/kept.txt", "out/zarn.dat");
       },
       {}},
      {"a dangling symlink makes nothing where it points",
       [] {
         fs::create_directory("out");
         fs::create_symlink("../outside/made.txt", "out/music.xm");
       },
       {}},
      {"a FIFO is replaced, never opened (opening it would wait for a reader)",
       [] {
         fs::create_directory("out");
         ASSERT_EQ(::mkfifo("out/zarn.dat", 0600), 0);
       },
       {}},
      {"a symlink to a folder outside is replaced, nothing written into the folder",
       [] {
         fs::create_directory("out");
         fs::create_symlink("../outside", "out/logo.bmp");
       },
       {}},
  };
  for (const Case& c : cases) {
    fs::remove_all("out");
    fs::remove_all("outside");
    fs::create_directory("outside");
    std::ofstream("outside/kept.txt") << "someone else's";
    c.prepare();
    std::string failure;
    EXPECT_TRUE(tools::write_folder("out", new_set(), failure)) << c.what << ": " << failure;
    Entries expected = c.folder_after;
    for (const tools::NamedFile& file : new_set()) {
      expected[file.name] = "file: " + std::string(file.bytes.begin(), file.bytes.end());
    }
    EXPECT_EQ(snapshot("out"), expected) << c.what;
    EXPECT_EQ(snapshot("outside"), outside_file) << c.what;
  }
}

TEST(FolderWrite, AReplacedFileKeepsItsMode) {
  const test_support::WorkingFolder folder;
  write_old_folder("out");
  fs::permissions("out/zarn.dat", fs::perms(0640));
  std::string failure;
  ASSERT_TRUE(tools::write_folder("out", new_set(), failure)) << failure;
  EXPECT_EQ(fs::status("out/zarn.dat").permissions(), fs::perms(0640));
}

// Two writers of one folder, each writing its whole set again and again: every time both are done, the
// folder holds one writer's set, never a mix.
TEST(FolderWrite, TwoWritersAtOnceLeaveOneWholeSet) {
  const test_support::WorkingFolder folder;
  const auto set_of = [](const std::string& writer) {
    tools::FileSet set;
    for (const char* name : {"a", "b", "c", "d", "e", "f"}) set.push_back({name, bytes_of(writer)});
    return set;
  };
  const auto write_often = [](const tools::FileSet& set) {
    std::string failure;
    for (int round = 0; round < 10; ++round) {
      if (!tools::write_folder("out", set, failure)) return failure;
    }
    return std::string();
  };
  for (int trial = 0; trial < 5; ++trial) {
    auto first = std::async(std::launch::async, write_often, set_of("first"));
    auto second = std::async(std::launch::async, write_often, set_of("second"));
    EXPECT_EQ(first.get(), "");
    EXPECT_EQ(second.get(), "");
    const std::string winner = contents("out/a");
    for (const char* name : {"b", "c", "d", "e", "f"}) EXPECT_EQ(contents(fs::path("out") / name), winner) << name;
    EXPECT_EQ(snapshot("out").size(), 6u);  // and no temporary file left
  }
}

TEST(InFolder, EntersForItsLifetimeOrSaysWhyNot) {
  const test_support::WorkingFolder folder;
  fs::create_directory("assets");
  const fs::path start = fs::current_path();
  {
    const tools::InFolder assets("assets");
    EXPECT_TRUE(assets.entered());
    EXPECT_EQ(fs::current_path(), start / "assets");
  }
  EXPECT_EQ(fs::current_path(), start);
  {
    const tools::InFolder missing("missing");
    EXPECT_FALSE(missing.entered());
    EXPECT_EQ(missing.failure(), "cannot enter missing: No such file or directory");
    EXPECT_EQ(fs::current_path(), start);
  }
  EXPECT_EQ(fs::current_path(), start);
}

}  // namespace
