// The NFO checksum, its trailer, the file order and signing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/nfo_check.h"
#include "base/asset_files.h"
#include "support/temp_dir.h"

namespace {

std::vector<std::uint8_t> bytes(const std::string& text) { return {text.begin(), text.end()}; }

TEST(NfoCheck, WorkedExample) {
  // "abc", seven bytes of anything, 0008, one byte, a112, CR LF: only "abc" is covered.
  const auto file = bytes(std::string("abc") + "\x01\x02\x03\x04\x05\x06\x07" + "0008" + "|" + "a112" + "\r\n");
  ASSERT_EQ(file.size(), 21u);
  EXPECT_EQ(shell::nfo_checksum(file), 565522u);
  const auto result = shell::check_nfo_bytes(file, "ZARN.NFO");
  EXPECT_EQ(result.computed, "0008a112");
  EXPECT_EQ(result.expected, "0008a112");
  EXPECT_EQ(result.verdict, shell::nfo_verdict_passed);
}

TEST(NfoCheck, TrailerCases) {
  struct Case {
    const char* what;
    std::string file;
    shell::NfoVerdict verdict;
  };
  const std::string abc = std::string("abc") + "1234567";
  const Case cases[] = {
      {"upper-case digits", abc + "0008-A112\r\n", shell::nfo_verdict_passed},
      {"any byte between and after the groups", abc + std::string("0008\0a112\0\0", 11), shell::nfo_verdict_passed},
      {"a wrong digit", abc + "0008-a113\r\n", shell::nfo_verdict_failed},
      {"a zero byte inside a group shortens it", abc + std::string("00\0008-a112\r\n", 11), shell::nfo_verdict_failed},
      {"18 bytes: nothing covered, zeros pass", "1234567" "0000-0000\r\n", shell::nfo_verdict_passed},
      {"11 bytes: nothing covered, zeros pass", "0000-0000\r\n", shell::nfo_verdict_passed},
      {"11 bytes with other digits fail", "0000-0001\r\n", shell::nfo_verdict_failed},
      {"10 bytes cannot hold the digits", "000-0000\r\n", shell::nfo_verdict_failed},
      {"empty file", "", shell::nfo_verdict_failed},
  };
  for (const Case& c : cases) EXPECT_EQ(shell::check_nfo_bytes(bytes(c.file), "ZARN.NFO").verdict, c.verdict) << c.what;
}

TEST(NfoCheck, FirstFileThatOpensIsTheOneChecked) {
  test_support::WorkingFolder folder;
  const auto good = shell::sign_nfo(bytes("a good NFO\r\n"));
  const auto bad = bytes("a bad NFO with a trailer\r\nCRC: 0000-0000\r\n");
  struct Case {
    std::vector<const char*> good_files, bad_files;
    shell::NfoVerdict verdict;
    std::string checked;
  };
  const Case cases[] = {
      {{}, {}, shell::nfo_verdict_missing, ""},
      {{"ZARNQIX.NFO"}, {}, shell::nfo_verdict_passed, "ZARNQIX.NFO"},
      {{"ZARNVEKO.NFO"}, {"ZARN.NFO"}, shell::nfo_verdict_failed, "ZARN.NFO"},
      {{"ZARNQIX.NFO"}, {"ZARNVEKO.NFO"}, shell::nfo_verdict_failed, "ZARNVEKO.NFO"},
      {{"ZARN.NFO"}, {"ZARNVEKO.NFO", "ZARNQIX.NFO"}, shell::nfo_verdict_passed, "ZARN.NFO"},
  };
  for (const Case& c : cases) {
    for (const char* name : base::nfo_file_names) std::filesystem::remove(name);
    for (const char* name : c.good_files) folder.write(name, good);
    for (const char* name : c.bad_files) folder.write(name, bad);
    const auto result = shell::check_nfo_files();
    EXPECT_EQ(result.verdict, c.verdict) << c.checked;
    EXPECT_EQ(result.file, c.checked);
  }
}

TEST(NfoSign, AppendsOrReplacesTheTrailerAndKeepsTheText) {
  test_support::WorkingFolder folder;
  // Large enough that the file check reads it in several pieces.
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "ZARN greets the scene " + std::to_string(i) + "\r\n";
  const auto original = bytes(text);

  const auto signed_once = shell::sign_nfo(original);
  ASSERT_EQ(signed_once.size(), original.size() + 18);
  EXPECT_TRUE(std::equal(original.begin(), original.end(), signed_once.begin()));
  EXPECT_TRUE(shell::has_signed_trailer(signed_once));
  const std::string trailer(signed_once.end() - 18, signed_once.end());
  EXPECT_EQ(trailer.substr(0, 7), "\r\nCRC: ");
  EXPECT_EQ(trailer.substr(16), "\r\n");

  folder.write("ZARN.NFO", signed_once);
  const auto from_file = shell::check_nfo_file("ZARN.NFO");
  EXPECT_EQ(from_file.verdict, shell::nfo_verdict_passed);
  EXPECT_EQ(from_file.computed, shell::check_nfo_bytes(signed_once, "ZARN.NFO").computed);

  EXPECT_EQ(shell::sign_nfo(signed_once), signed_once);  // signing again replaces, never stacks

  auto edited = signed_once;
  edited[5] ^= 1;
  EXPECT_EQ(shell::check_nfo_bytes(edited, "ZARN.NFO").verdict, shell::nfo_verdict_failed);
  EXPECT_EQ(shell::check_nfo_bytes(shell::sign_nfo(edited), "ZARN.NFO").verdict, shell::nfo_verdict_passed);
  EXPECT_EQ(shell::sign_nfo(edited).size(), signed_once.size());

  EXPECT_EQ(shell::check_nfo_bytes(shell::sign_nfo({}), "ZARN.NFO").verdict, shell::nfo_verdict_passed);
}

}  // namespace
