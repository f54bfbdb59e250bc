// How the tools write a file: through to whatever the path names, keeping what was there when anything
// fails, and with many writers of one file at once.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "tools/files/file_bytes.h"
#include "tools/files/output_file.h"

namespace {

namespace fs = std::filesystem;

std::string contents(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::vector<std::uint8_t> bytes_of(const std::string& text) { return {text.begin(), text.end()}; }

unsigned mode_of(const std::string& path) { return static_cast<unsigned>(fs::status(path).permissions()); }

unsigned current_umask() {
  const mode_t mask = umask(0);
  umask(mask);
  return mask;
}

// Temporary files left in the folder: hidden names ending in ".tmp".
std::vector<std::string> leftovers(const fs::path& folder) {
  std::vector<std::string> found;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name.front() == '.' && entry.path().extension() == ".tmp") found.push_back(name);
  }
  return found;
}

// A FIFO made with its reading end open, so that a writer never waits: once the write has returned,
// what it wrote is in the pipe.
class Fifo {
 public:
  explicit Fifo(const char* path) {
    mkfifo(path, 0600);
    fd_ = ::open(path, O_RDWR | O_NONBLOCK | O_CLOEXEC);
  }
  ~Fifo() { ::close(fd_); }
  Fifo(const Fifo&) = delete;
  Fifo& operator=(const Fifo&) = delete;

  std::string written() const {
    char bytes[4096];
    const ssize_t got = ::read(fd_, bytes, sizeof bytes);
    return got > 0 ? std::string(bytes, static_cast<std::size_t>(got)) : std::string();
  }

 private:
  int fd_ = -1;
};

const std::string payload = "bytes the tool wrote\n";

class WriteFile : public ::testing::Test {
 protected:
  test_support::WorkingFolder folder;
};

TEST_F(WriteFile, GoesThroughToWhatThePathNames) {
  std::unique_ptr<Fifo> fifo;
  struct Case {
    const char* what;
    std::function<std::string()> prepare;  // makes what the path names, returns the path
    std::function<void()> check;           // where the bytes went, and the path still what it was
  };
  const Case cases[] = {
      {"a new file, with the usual mode less the umask", [] { return "new.bin"; },
       [] {
         EXPECT_EQ(contents("new.bin"), payload);
         EXPECT_EQ(mode_of("new.bin"), 0666u & ~current_umask());
       }},
      {"a file that only its owner may read keeps its mode",
       [] {
         std::ofstream("private.nfo") << "old";
         fs::permissions("private.nfo", fs::perms(0600));
         return "private.nfo";
       },
       [] {
         EXPECT_EQ(contents("private.nfo"), payload);
         EXPECT_EQ(mode_of("private.nfo"), 0600u);
       }},
      {"an executable keeps its mode",
       [] {
         std::ofstream("run.sh") << "old";
         fs::permissions("run.sh", fs::perms(0750));
         return "run.sh";
       },
       [] { EXPECT_EQ(mode_of("run.sh"), 0750u); }},
      {"an unrelated file named like an old temporary file stays",
       [] {
         std::ofstream("data.nfo.tmp") << "someone else's";
         return "data.nfo";
       },
       [] {
         EXPECT_EQ(contents("data.nfo"), payload);
         EXPECT_EQ(contents("data.nfo.tmp"), "someone else's");
       }},
      {"a symlink writes the file it names",
       [] {
         std::ofstream("target.nfo") << "old";
         fs::create_symlink("target.nfo", "link.nfo");
         return "link.nfo";
       },
       [] {
         EXPECT_TRUE(fs::is_symlink("link.nfo"));
         EXPECT_EQ(contents("target.nfo"), payload);
       }},
      {"a symlink in a folder names a file that does not exist yet beside it",
       [] {
         fs::create_directory("sub");
         fs::create_symlink("made.png", "sub/latest.png");
         return "sub/latest.png";
       },
       [] {
         EXPECT_TRUE(fs::is_symlink("sub/latest.png"));
         EXPECT_EQ(contents("sub/made.png"), payload);
       }},
      {"a FIFO is written in place",
       [&fifo] {
         fifo = std::make_unique<Fifo>("pipe");
         return "pipe";
       },
       [&fifo] {
         EXPECT_TRUE(fs::is_fifo("pipe"));
         EXPECT_EQ(fifo->written(), payload);
       }},
      {"a symlink to a FIFO, as /dev/stdout is to a pipe",
       [&fifo] {
         fifo = std::make_unique<Fifo>("out-pipe");
         fs::create_symlink("out-pipe", "stdout");
         return "stdout";
       },
       [&fifo] {
         EXPECT_TRUE(fs::is_symlink("stdout"));
         EXPECT_EQ(fifo->written(), payload);
       }},
      {"a symlink to a character device",
       [] {
         fs::create_symlink("/dev/null", "discard");
         return "discard";
       },
       [] {
         EXPECT_TRUE(fs::is_symlink("discard"));
         EXPECT_TRUE(fs::is_character_file("/dev/null"));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = c.prepare();
    std::string failure;
    EXPECT_TRUE(tools::write_file_bytes(path, bytes_of(payload), failure)) << failure;
    c.check();
  }
  EXPECT_TRUE(leftovers(folder.path()).empty());
}

TEST_F(WriteFile, DashIsStandardOutput) {
  std::fflush(stdout);
  const int saved = dup(STDOUT_FILENO);
  const int captured = ::open("captured", O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ASSERT_GE(captured, 0);
  dup2(captured, STDOUT_FILENO);
  ::close(captured);
  std::string failure;
  const bool written = tools::write_file_bytes("-", bytes_of(payload), failure);
  dup2(saved, STDOUT_FILENO);
  ::close(saved);
  EXPECT_TRUE(written) << failure;
  EXPECT_EQ(contents("captured"), payload);
  EXPECT_FALSE(fs::exists("-"));
}

TEST_F(WriteFile, RefusesWhatItCannotWriteWithTheReason) {
  fs::create_directory("folder");
  fs::create_symlink("/dev/full", "full");
  struct Case {
    const char* path;
    const char* reason;
  };
  const Case cases[] = {
      {"folder", "Is a directory"},
      {"full", "No space left on device"},
      {"missing/out.png", "No such file or directory"},
  };
  for (const Case& c : cases) {
    std::string failure;
    EXPECT_FALSE(tools::write_file_bytes(c.path, bytes_of(payload), failure)) << c.path;
    EXPECT_EQ(failure, std::string("cannot write ") + c.path + ": " + c.reason);
  }
  EXPECT_TRUE(fs::is_empty("folder"));
  EXPECT_TRUE(fs::is_symlink("full"));
  EXPECT_TRUE(leftovers(folder.path()).empty());
}

TEST_F(WriteFile, ConcurrentWritersOfOneFileAllSucceedAndTheLastWins) {
  constexpr int rounds = 100;
  const auto writer = [](const std::string& text) {
    int failed = 0;
    for (int i = 0; i < rounds; ++i) {
      std::string failure;
      failed += !tools::write_file_bytes("shared.nfo", bytes_of(text), failure);
    }
    return failed;
  };
  auto first = std::async(std::launch::async, writer, std::string("first writer\n"));
  auto second = std::async(std::launch::async, writer, std::string("second writer\n"));
  EXPECT_EQ(first.get(), 0);
  EXPECT_EQ(second.get(), 0);
  const std::string last = contents("shared.nfo");
  EXPECT_TRUE(last == "first writer\n" || last == "second writer\n") << last;
  EXPECT_TRUE(leftovers(folder.path()).empty());
}

TEST_F(WriteFile, ReadRefusesADirectoryWithTheReason) {
  fs::create_directory("folder");
  std::string failure;
  EXPECT_FALSE(tools::read_file_bytes("folder", &failure));
  EXPECT_EQ(failure, "cannot read folder: Is a directory");
}

// A WAV is written block by block as it renders: the file it replaces stays whole until the commit, and
// stays as it was when the output is given up or fails.
class OutputFileInPieces : public ::testing::Test {
 protected:
  void SetUp() override { std::ofstream("song.wav") << "the old song"; }
  test_support::WorkingFolder folder;
};

TEST_F(OutputFileInPieces, ReplacesTheFileOnlyAtTheCommit) {
  tools::OutputFile out;
  ASSERT_TRUE(out.open("song.wav"));
  EXPECT_TRUE(out.write("RIFF", 4));
  EXPECT_TRUE(out.write(" and blocks", 11));
  EXPECT_EQ(contents("song.wav"), "the old song");
  EXPECT_TRUE(out.commit()) << out.failure();
  EXPECT_EQ(contents("song.wav"), "RIFF and blocks");
  EXPECT_TRUE(leftovers(folder.path()).empty());
}

TEST_F(OutputFileInPieces, AnOutputGivenUpLeavesTheFileAsItWas) {
  {
    tools::OutputFile out;
    ASSERT_TRUE(out.open("song.wav"));
    EXPECT_TRUE(out.write("RIFF", 4));
  }
  EXPECT_EQ(contents("song.wav"), "the old song");
  EXPECT_TRUE(leftovers(folder.path()).empty());
}

TEST_F(OutputFileInPieces, TheFirstFailureSticks) {
  fs::create_symlink("/dev/full", "full.wav");
  tools::OutputFile out;
  ASSERT_TRUE(out.open("full.wav"));
  EXPECT_FALSE(out.write("RIFF", 4));
  EXPECT_FALSE(out.write("more", 4));
  EXPECT_FALSE(out.commit());
  EXPECT_EQ(out.failure(), "cannot write full.wav: No space left on device");
}

}  // namespace
