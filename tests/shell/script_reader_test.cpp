// Text script reader: markers, parts, line pieces, and scripts that overrun the store.
#include <gtest/gtest.h>

#include <string>

#include "platform/headless/headless.h"
#include "shell/script_reader.h"
#include "support/temp_dir.h"

namespace {

using namespace std::string_literals;

std::string repeat(const std::string& text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

class ScriptReaderTest : public ::testing::Test {
 protected:
  shell::ScriptText read(const std::string& content) {
    folder.write("script.txt", content);
    shell::ScriptText script;
    EXPECT_TRUE(shell::read_script_file("script.txt", script).loaded());
    return script;
  }
  test_support::WorkingFolder folder;
};

TEST_F(ScriptReaderTest, MarkersSplitTheParts) {
  struct Case {
    const char* what;
    std::string file;
    std::string part0, part1, part2;
  };
  const Case cases[] = {
      {"minimal script", "ZARNSTART\nhello\nENDPART\nworld\nZARNEND\n", "hello\n", "world\n", ""},
      {"start marker between other text", "--ZARNSTART--\na\nZARNEND\n", "a\n", "", ""},
      {"start marker in lower case", "zarnstart\na\nENDPART\nb\nZARNEND\n", "", "", ""},
      {"start marker not on the first line", "\nZARNSTART\na\nZARNEND\n", "", "", ""},
      {"empty file", "", "", "", ""},
      {"text around ENDPART is lost", "ZARNSTART\na\nxxENDPARTyy\nb\n", "a\n", "b\n", ""},
      {"a line with both markers ends the script", "ZARNSTART\na\nENDPART ZARNEND\nb\n", "a\n", "", ""},
      {"two separators leave an empty part", "ZARNSTART\na\nENDPART\nENDPART\nc\n", "a\n", "", "c\n"},
      {"nothing after the end marker is read", "ZARNSTART\na\nZARNEND\nb\nENDPART\nc\n", "a\n", "", ""},
      {"end of file ends a script without end marker", "ZARNSTART\na\nENDPART\nb", "a\n", "b", ""},
      {"CR LF reads like LF", "ZARNSTART\r\nhello\r\nENDPART\r\nworld\r\nZARNEND\r\n", "hello\n", "world\n", ""},
      {"a lone CR is text", "ZARNSTART\na\rb\nZARNEND\n", "a\rb\n", "", ""},
      // A line is C text: a NUL ends it, and what follows up to the line's end is neither stored nor searched.
      {"a NUL cuts the line, line feed included", "ZARNSTART\nab\0cd\nENDPART\ne\n"s, "ab", "e\n", ""},
      {"a marker after a NUL is not seen", "ZARNSTART\na\0ENDPART\nb\nZARNEND\n"s, "ab\n", "", ""},
      {"an end marker after a NUL is not seen", "ZARNSTART\na\0ZARNEND\nb\n"s, "ab\n", "", ""},
      {"a start marker after a NUL is not seen", "x\0ZARNSTART\na\nZARNEND\n"s, "", "", ""},
      {"a line that starts with NUL adds nothing", "ZARNSTART\n\0ENDPART\nb\nZARNEND\n"s, "b\n", "", ""},
  };
  for (const Case& c : cases) {
    const shell::ScriptText script = read(c.file);
    EXPECT_EQ(script.parts[0], c.part0) << c.what;
    EXPECT_EQ(script.parts[1], c.part1) << c.what;
    EXPECT_EQ(script.parts[2], c.part2) << c.what;
  }
}

TEST_F(ScriptReaderTest, LongLinesAreReadInPiecesThatAreTestedOneByOne) {
  // 250 characters, then a marker that straddles the 255-character piece boundary: it is not seen.
  const std::string straddling = std::string(250, 'x') + "ENDPART tail\n";
  const std::string long_line = std::string(600, 'y') + "\n";
  const auto script = read("ZARNSTART\n" + straddling + long_line + "ZARNEND\n");
  EXPECT_EQ(script.parts[0], straddling + long_line);
  EXPECT_EQ(script.script_part_index, 0);
}

TEST_F(ScriptReaderTest, ReadsAtMostAThousandLinesAfterTheStart) {
  const auto script = read("ZARNSTART\n" + repeat("l\n", 1005) + "ENDPART\nlate\n");
  EXPECT_EQ(script.parts[0], repeat("l\n", 1000));
  EXPECT_EQ(script.parts[1], "");
}

TEST_F(ScriptReaderTest, MorePartsThanTheStoreHoldsAreDropped) {
  std::string file = "ZARNSTART\n";
  for (int i = 0; i < 25; ++i) file += "part " + std::to_string(i) + "\nENDPART\n";
  const auto script = read(file);
  EXPECT_EQ(script.parts[0], "part 0\n");
  EXPECT_EQ(script.parts[19], "part 19\n");
  EXPECT_EQ(script.script_part_index, 25);
}

TEST_F(ScriptReaderTest, OverlongPartIsCutAtItsCapacity) {
  const std::string line = std::string(199, 'z') + "\n";
  const auto script = read("ZARNSTART\n" + repeat(line, 100) + "ENDPART\nnext\n");
  EXPECT_EQ(script.parts[0].size(), shell::script_part_capacity);
  EXPECT_EQ(script.parts[0], repeat(line, 100).substr(0, shell::script_part_capacity));
  EXPECT_EQ(script.parts[1], "next\n");
}

TEST_F(ScriptReaderTest, MissingScriptShowsItsMessage) {
  platform::headless::reset();
  EXPECT_EQ(shell::load_script(), 0);
  EXPECT_EQ(platform::headless::shown_messages(),
            std::vector<std::string>{"ZARN: Can't find data file zarn.dat"});

  folder.write("zarn.dat", "ZARNSTART\nscroll\nZARNEND\n");
  EXPECT_EQ(shell::load_script(), 1);
  EXPECT_EQ(shell::script_text.parts[0], "scroll\n");
}

}  // namespace
