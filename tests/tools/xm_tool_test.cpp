// zarn-tool xm trace: the line it prints for each tick, and its exit codes.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "support/replay_fixture.h"
#include "support/temp_dir.h"
#include "tools/tool_command.h"
#include "tools/xm.h"

namespace {

class XmTool : public ::testing::Test {
 protected:
  int run(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    return tools::xm_main(static_cast<int>(argv.size()), argv.data());
  }
  test_support::WorkingFolder folder;
};

TEST_F(XmTool, TracePrintsEachTick) {
  music::XmSong song = test_support::song_with(2, 2, {{0, 0, {test_support::c4, 1, 0, 0, 0}}});
  song.default_speed = 2;
  folder.write("song.xm", music::write_xm(song));
  ::testing::internal::CaptureStdout();
  ASSERT_EQ(run({"trace", "song.xm", "--ticks", "3"}), tools::exit_ok);
  std::istringstream out(::testing::internal::GetCapturedStdout());
  std::vector<std::string> lines;
  for (std::string line; std::getline(out, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 4u);  // a heading and three ticks
  // Order, row, tick, speed, BPM; then note, period, volume, panning, Hz, left and right per channel.
  EXPECT_EQ(lines[1], "  0   0   0   2 125 | C-4  4608 64 128   8363  63  63 | C-0     0  0   0      0   0   0");
  EXPECT_EQ(lines[3].substr(0, 19), "  0   1   0   2 125");
}

TEST_F(XmTool, ExitCodes) {
  folder.write("song.xm", music::write_xm(test_support::song_with(1, 1, {})));
  folder.write("junk.xm", "not a module");
  struct Case {
    std::vector<std::string> args;
    int exit_code;
  };
  const Case cases[] = {
      {{}, tools::exit_usage},
      {{"trace"}, tools::exit_usage},
      {{"trace", "song.xm", "--ticks"}, tools::exit_usage},
      {{"trace", "song.xm", "--ticks", "0"}, tools::exit_usage},
      {{"trace", "song.xm", "--ticks", "5x"}, tools::exit_usage},
      {{"trace", "song.xm", "--ticks", "1"}, tools::exit_ok},
      {{"trace", "junk.xm"}, tools::exit_failure},
      {{"trace", "missing.xm"}, tools::exit_failure},
  };
  for (const Case& c : cases) {
    std::string line;
    for (const std::string& a : c.args) line += a + " ";
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(run(c.args), c.exit_code) << line;
    ::testing::internal::GetCapturedStdout();
  }
}

}  // namespace
