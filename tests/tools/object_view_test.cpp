// What the intro's camera shows of an object: the default knot and the kit's example are seen; the knot
// scaled up, scaled down or moved aside is not, each for its reason.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine3d/object3d.h"
#include "engine3d/object_loader.h"
#include "support/moved_object.h"
#include "support/temp_dir.h"
#include "support/tool_run.h"
#include "tools/cli/tool_command.h"
#include "tools/files/file_bytes.h"
#include "tools/object/obj_command.h"
#include "tools/object/object_import.h"
#include "tools/object/object_view.h"

namespace {

const std::string asset_dir = ZARN_ASSET_DIR;

std::string read_text(const std::string& path) {
  const auto bytes = tools::read_file_bytes(path).value_or(std::vector<std::uint8_t>{});
  return {bytes.begin(), bytes.end()};
}

std::string knot_text() { return read_text(asset_dir + "/3d-obj.3d"); }

std::string kit_example_text() {
  std::vector<std::string> report;
  return tools::import_object(read_text(asset_dir + "/kit-example.obj"), "kit-example.obj", report).value_or("");
}

tools::ObjectView view_of_text(const std::string& text) {
  auto object = std::make_unique<engine3d::Object3D>();
  EXPECT_TRUE(engine3d::parse_object(text, *object).loaded());
  return tools::view_of(*object);
}

TEST(ObjectView, TellsWhetherTheIntroShowsTheObject) {
  struct Case {
    const char* what;
    std::string text;
    bool seen;
    const char* verdict;  // the start of the verdict
  };
  const std::string knot = knot_text();
  const Case cases[] = {
      {"the default knot", knot, true, "the intro shows it: in the frame at 192 of 192 poses"},
      {"the kit's example model", kit_example_text(), true, "the intro shows it"},
      {"the knot x10", test_support::moved_object_text(knot, 10), false,
       "the intro shows nothing of it: too large: less than 50% of it lies within the frame at any pose"},
      {"the knot x0.01", test_support::moved_object_text(knot, 0.01), false,
       "the intro shows nothing of it: too small: a speck under 16 pixels across"},
      {"the knot 20000 units aside", test_support::moved_object_text(knot, 1, 20000), false,
       "the intro shows nothing of it: it never comes within the frame; in the frame at 0 of 192 poses"},
  };
  for (const Case& c : cases) {
    const tools::ObjectView view = view_of_text(c.text);
    EXPECT_EQ(view.seen, c.seen) << c.what << ": " << view.verdict;
    EXPECT_EQ(view.verdict.rfind(c.verdict, 0), 0u) << c.what << ": " << view.verdict;
    EXPECT_EQ(view.verdict.find('\n'), std::string::npos) << c.what;
  }
}

TEST(ObjectView, FiguresOfTheDefaultKnot) {
  const tools::ObjectView view = view_of_text(knot_text());
  EXPECT_EQ(view.poses_in_frame, view.poses);
  EXPECT_EQ(view.poses_at_eye, 0);
  EXPECT_DOUBLE_EQ(view.best_share_in_frame, 1.0);
  // About a quarter of the frame's width: well clear of both limits.
  EXPECT_GT(view.largest_span_px, 100);
  EXPECT_LT(view.largest_span_px, 250);
}

TEST(ObjectView, ObjCheckSaysItAndFailsAnObjectTheIntroDoesNotShow) {
  test_support::WorkingFolder folder;
  folder.write("tiny.3d", test_support::moved_object_text(knot_text(), 0.01));
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(test_support::run_tool(tools::obj_command, {"check", "tiny.3d"}), tools::exit_failure);
  const std::string said = ::testing::internal::GetCapturedStdout();
  EXPECT_NE(said.find("\nthe intro shows nothing of it: too small"), std::string::npos) << said;
  EXPECT_NE(said.find("\nnot ready to ship\n"), std::string::npos) << said;
}

TEST(ObjectView, UnseenTextIsEmptyForWhatTheIntroShows) {
  EXPECT_EQ(tools::unseen_object_text(knot_text()), "");
  EXPECT_EQ(tools::unseen_object_text("12 x"), "") << "the parser's refusal is told elsewhere";
  EXPECT_EQ(tools::unseen_object_text(test_support::moved_object_text(knot_text(), 10)).rfind(
                "the intro shows nothing of it: too large", 0),
            0u);
}

}  // namespace
