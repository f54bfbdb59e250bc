// zarn-tool's kit build, import and check given hostile inputs, as the intro's readers are: a FIFO, a
// folder, a device, a loop of links or a dangling one, a file outside the kit, an output folder holding an
// input, texts far longer than their slot. Each is refused at once in its one line with its exit code,
// nothing blocks, and the refusals of huge inputs cost the tool little memory.
#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "support/tool_run.h"
#include "tools/kit/check_command.h"
#include "tools/kit/import_command.h"
#include "tools/kit/kit_command.h"

namespace {

namespace fs = std::filesystem;

std::string contents(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// A file of `size` bytes that starts with `start` and holds no disk blocks beyond it.
void write_sparse(const fs::path& path, const std::string& start, std::uintmax_t size) {
  std::ofstream(path, std::ios::binary) << start;
  fs::resize_file(path, size);
}

// What stands in the working folder for every case: each kind of thing that is not a file to read.
void make_hostile_names(const fs::path& dir) {
  fs::create_directories(dir / "folder");
  ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
  fs::create_symlink("loop", dir / "loop");
  fs::create_symlink("missing", dir / "dangling");
  fs::create_symlink("/dev/zero", dir / "zero");
}

struct Case {
  const char* what;
  std::function<void()> prepare;  // what the case puts in the working folder beyond the hostile names
  std::vector<std::string> args;
  std::string said;               // the whole of stderr: one line, or nothing
  int exit;
};

void run_cases(const tools::Command& command, const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    const test_support::WorkingFolder folder;
    make_hostile_names(folder.path());
    c.prepare();
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    const int exit = test_support::run_tool(command, c.args);
    const std::string said = ::testing::internal::GetCapturedStderr();
    ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(exit, c.exit) << c.what;
    EXPECT_EQ(said, c.said) << c.what;
  }
}

void nothing() {}

void kit_file(const std::string& text) {
  fs::create_directories("kit");
  std::ofstream("kit/kit.toml", std::ios::binary) << text;
}

const std::string outside_only = "; a kit names only files in its own folder or below it\n";

TEST(HostileInput, KitBuildRefusesEachInOneLine) {
  const std::string cut_a = std::string(60, 'A') + "…";
  const std::vector<Case> cases = {
      {"the kit is a FIFO", nothing, {"build", "pipe", "out"},
       "zarn-tool kit build: pipe, kit: cannot read pipe: is a FIFO, not a file\n", tools::exit_usage},
      {"the kit is a folder", nothing, {"build", "folder", "out"},
       "zarn-tool kit build: folder, kit: cannot read folder: is a folder, not a file\n", tools::exit_usage},
      {"the kit is a device", nothing, {"build", "zero", "out"},
       "zarn-tool kit build: zero, kit: cannot read zero: is a device, not a file\n", tools::exit_usage},
      {"the kit is a loop of links", nothing, {"build", "loop", "out"},
       "zarn-tool kit build: loop, kit: cannot read loop: is a loop of symbolic links\n", tools::exit_usage},
      {"the kit is larger than a kit file may be", [] { write_sparse("big.toml", "# a kit\n", 2 << 20); },
       {"build", "big.toml", "out"},
       "zarn-tool kit build: big.toml, kit: big.toml is larger than 1 MiB, the most a kit file may be\n",
       tools::exit_usage},
      {"the kit names a FIFO",
       [] {
         kit_file("[nfo]\nfile = \"pipe\"\n");
         ::mkfifo("kit/pipe", 0600);
       },
       {"build", "kit/kit.toml", "out"},
       "zarn-tool kit build: kit/kit.toml line 2, nfo.file: cannot read kit/pipe: is a FIFO, not a file\n",
       tools::exit_usage},
      {"the kit names a folder",
       [] {
         kit_file("[music]\nfile = \"sub\"\n");
         fs::create_directory("kit/sub");
       },
       {"build", "kit/kit.toml", "out"},
       "zarn-tool kit build: kit/kit.toml line 2, music.file: cannot read kit/sub: is a folder, not a file\n",
       tools::exit_usage},
      {"the kit names a loop of links",
       [] {
         kit_file("[logo]\nimage = \"loop\"\n");
         fs::create_symlink("loop", "kit/loop");
       },
       {"build", "kit/kit.toml", "out"},
       "zarn-tool kit build: kit/kit.toml line 2, logo.image: cannot read kit/loop: is a loop of symbolic links\n",
       tools::exit_usage},
      {"the kit names a dangling link",
       [] {
         kit_file("[object]\nfile = \"gone.obj\"\n");
         fs::create_symlink("missing.obj", "kit/gone.obj");
       },
       {"build", "kit/kit.toml", "out"},
       "zarn-tool kit build: kit/kit.toml line 2, object.file: cannot read kit/gone.obj: is a symbolic link to "
       "nothing (what it names does not exist)\n",
       tools::exit_usage},
      {"the kit names a device by its absolute path", [] { kit_file("[music]\nfile = \"/dev/zero\"\n"); },
       {"build", "kit/kit.toml", "out"},
       "zarn-tool kit build: kit/kit.toml line 2, music.file: /dev/zero is an absolute path" + outside_only,
       tools::exit_usage},
      {"the kit names a file above its folder",
       [] {
         kit_file("[nfo]\nfile = \"../secret.txt\"\n");
         std::ofstream("secret.txt") << "someone's secret";
       },
       {"build", "kit/kit.toml", "out"},
       "zarn-tool kit build: kit/kit.toml line 2, nfo.file: ../secret.txt lies outside the kit's folder" +
           outside_only,
       tools::exit_usage},
      {"the kit names a link out of its folder",
       [] {
         kit_file("[nfo]\nfile = \"notes.txt\"\n");
         std::ofstream("secret.txt") << "someone's secret";
         fs::create_symlink("../secret.txt", "kit/notes.txt");
       },
       {"build", "kit/kit.toml", "out"},
       "zarn-tool kit build: kit/kit.toml line 2, nfo.file: notes.txt lies outside the kit's folder" + outside_only,
       tools::exit_usage},
      {"the NFO's source lies in the output folder under the NFO's name",
       [] {
         kit_file("[nfo]\nfile = \"out/ZARN.NFO\"\n");
         fs::create_directory("kit/out");
         std::ofstream("kit/out/ZARN.NFO") << "our notes\n";
       },
       {"build", "kit/kit.toml", "kit/out"},
       "zarn-tool kit build: kit/out holds ZARN.NFO, which the kit reads; build into another folder, so that no "
       "input is written over\n",
       tools::exit_usage},
      {"the output folder is the kit's own", [] { kit_file(""); }, {"build", "kit/kit.toml", "kit"},
       "zarn-tool kit build: kit is the kit's own folder; build into another one, so that no input is written "
       "over\n",
       tools::exit_usage},
      {"the output folder is a dangling link", [] { kit_file(""); }, {"build", "kit/kit.toml", "dangling"},
       "zarn-tool kit build: cannot make dangling: a symbolic link to nothing stands there (what it names does not "
       "exist)\n",
       tools::exit_failure},
      {"lettering of 100000 characters", [] { kit_file("[logo]\nlettering = \"" + std::string(100000, 'A') + "\"\n"); },
       {"build", "kit/kit.toml", "out"},
       "zarn-tool kit build: kit/kit.toml line 2, logo.lettering: '" + cut_a +
           "' is 100000 characters long; the 640-pixel picture holds far fewer\n",
       tools::exit_usage},
      {"a key name of 100000 characters", [] { kit_file("[logo]\n" + std::string(100000, 'k') + " = 1\n"); },
       {"build", "kit/kit.toml", "out"},
       "zarn-tool kit build: kit/kit.toml line 2, logo." + std::string(55, 'k') + "…: unknown key\n",
       tools::exit_usage},
      {"a tab in a scroll line", [] { kit_file("[scroll]\ngreetings = \"hi\\tthere\"\n"); },
       {"build", "kit/kit.toml", "out"},
       "zarn-tool kit build: kit/kit.toml line 2, scroll.greetings: holds a tab (U+0009) at column 3; the scroll "
       "font has plain ASCII characters only\n",
       tools::exit_usage},
      {"a letter beyond ASCII in a scroll line", [] { kit_file("[scroll]\ncredits = \"caf\xC3\xA9 crew\"\n"); },
       {"build", "kit/kit.toml", "out"},
       "zarn-tool kit build: kit/kit.toml line 2, scroll.credits: holds '\xC3\xA9' (U+00E9) at column 4; the scroll "
       "font has plain ASCII characters only\n",
       tools::exit_usage},
  };
  run_cases(tools::kit::kit_command, cases);
}

TEST(HostileInput, KitBuildReplacesAFifoInTheOutputFolderWithoutOpeningIt) {
  const test_support::WorkingFolder folder;
  kit_file("");
  fs::create_directory("out");
  ASSERT_EQ(::mkfifo("out/ZARN.NFO", 0600), 0);
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(test_support::run_tool(tools::kit::kit_command, {"build", "kit/kit.toml", "out"}), tools::exit_ok);
  const std::string said = ::testing::internal::GetCapturedStdout();
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status("out/ZARN.NFO")));
  EXPECT_NE(said.find("read kit/kit.toml (0 bytes)\n"), std::string::npos) << said;
}

// The same hostile names as the input of both importers.
std::vector<Case> import_cases(const std::string& kind, const std::vector<std::string>& tail,
                               const std::string& limit_words) {  // "160 MiB, the most a picture file"
  const std::string prefix = "zarn-tool import " + kind + ": ";
  const auto args = [&](const std::string& in) {
    std::vector<std::string> line = {kind, in};
    line.insert(line.end(), tail.begin(), tail.end());
    return line;
  };
  return {
      {"a FIFO", nothing, args("pipe"), prefix + "cannot read pipe: is a FIFO, not a file\n", tools::exit_failure},
      {"a folder", nothing, args("folder"), prefix + "cannot read folder: is a folder, not a file\n",
       tools::exit_failure},
      {"a device", nothing, args("zero"), prefix + "cannot read zero: is a device, not a file\n", tools::exit_failure},
      {"a loop of links", nothing, args("loop"), prefix + "cannot read loop: is a loop of symbolic links\n",
       tools::exit_failure},
      {"a dangling link", nothing, args("dangling"),
       prefix + "cannot read dangling: is a symbolic link to nothing (what it names does not exist)\n",
       tools::exit_failure},
      {"2.5 GB that starts like a PNG", [] { write_sparse("big", "\x89PNG\r\n\x1a\n", 2500000000); }, args("big"),
       prefix + "big is larger than " + limit_words + " may be\n", tools::exit_failure},
  };
}

TEST(HostileInput, ImportImageRefusesEachInOneLine) {
  run_cases(tools::import_command, import_cases("image", {"--as", "logo", "out.bmp"}, "160 MiB, the most a picture file"));
}

TEST(HostileInput, ImportObjectRefusesEachInOneLine) {
  run_cases(tools::import_command, import_cases("object", {"out.3d"}, "256 MiB, the most a Wavefront model"));
}

TEST(HostileInput, CheckTakesEachAsAFileThatDoesNotOpen) {
  const test_support::WorkingFolder folder;
  fs::create_directory("intro");
  fs::create_symlink("zarn.dat", "intro/zarn.dat");  // a loop of one link
  ASSERT_EQ(::mkfifo("intro/music.xm", 0600), 0);
  fs::create_directory("intro/logo.bmp");
  fs::create_symlink("/dev/zero", "intro/blob.bmp");
  fs::create_symlink("missing", "intro/3d-obj.3d");
  for (const tools::FileCheck& check : tools::check_folder("intro")) {
    if (check.file == "zarn.dat" || check.file == "music.xm" || check.file == "logo.bmp" || check.file == "blob.bmp" ||
        check.file == "3d-obj.3d") {
      EXPECT_FALSE(check.present) << check.file;
      EXPECT_EQ(check.reader, "cannot be opened") << check.file;
    }
  }
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(test_support::run_tool(tools::check_command, {"intro"}), tools::exit_failure);
  ::testing::internal::GetCapturedStdout();
}

#if defined(__SANITIZE_ADDRESS__)
#define ZARN_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZARN_UNDER_ASAN 1
#endif
#endif

#ifndef ZARN_UNDER_ASAN
// How the built zarn-tool ended given `args` and standard input from `input`: its exit code, its stderr and
// its own peak memory, as peak_memory measured it from a small parent.
struct ChildRun {
  int exit = -1;
  std::string said;
  long peak_kib = 0;
};

ChildRun run_zarn_tool(std::vector<std::string> args, const char* input) {
  args.insert(args.begin(), {ZARN_PEAK_MEMORY_PATH, "peak.txt", ZARN_TOOL_PATH});
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, input, O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ChildRun run;
  pid_t child = 0;
  const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return run;
  int status = 0;
  if (waitpid(child, &status, 0) != child) return run;
  run.exit = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  run.said = contents("stderr.txt");
  run.peak_kib = std::stol("0" + contents("peak.txt"));
  return run;
}

TEST(HostileInput, AHugeInputIsRefusedAtLittleCost) {
  const test_support::WorkingFolder folder;
  write_sparse("big.png", "\x89PNG\r\n\x1a\n", 2500000000);
  kit_file("[scroll]\ngreetings = \"" + std::string(1000000, 'a') + "\"\n");
  struct Cost {
    const char* what;
    std::vector<std::string> args;
    const char* input;  // standard input
    std::string said;
    long most_kib;      // peak memory: a refusal reads no more than the limit, and nothing twice
  };
  const Cost cases[] = {
      {"2.5 GB that starts like a PNG", {"import", "image", "big.png", "--as", "logo", "out.bmp"}, "/dev/null",
       "zarn-tool import image: big.png is larger than 160 MiB, the most a picture file may be\n", 48 << 10},
      {"endless zeros on standard input", {"import", "image", "-", "--as", "logo", "out.bmp"}, "/dev/zero",
       "zarn-tool import image: standard input is larger than 160 MiB, the most a picture file may be\n",
       200 << 10},
      {"a kit with a scroll line of 1000000 characters", {"kit", "build", "kit/kit.toml", "out"}, "/dev/null",
       "zarn-tool kit build: kit/kit.toml line 2, scroll.greetings: is 1000000 characters long; a scroll line holds "
       "at most 16382\n",
       48 << 10},
  };
  for (const Cost& c : cases) {
    const ChildRun run = run_zarn_tool(c.args, c.input);
    EXPECT_EQ(run.exit, c.args[0] == "kit" ? tools::exit_usage : tools::exit_failure) << c.what;
    EXPECT_EQ(run.said, c.said) << c.what;
    EXPECT_LT(run.peak_kib, c.most_kib) << c.what;
  }
}
#endif

}  // namespace
