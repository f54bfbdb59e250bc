// zarn-tool obj: the flaws the check finds in an object, and the exit codes of check and render.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine3d/object3d.h"
#include "engine3d/object_loader.h"
#include "support/tool_run.h"
#include "support/temp_dir.h"
#include "support/torus_mesh.h"
#include "tools/object/obj_command.h"
#include "tools/object/object_report.h"
#include "tools/cli/tool_command.h"

namespace {

using engine3d::Object3D;

const std::string torus = test_support::torus_object_text(60, 25, 12, 8);  // 96 vertices, 192 faces

std::unique_ptr<Object3D> torus_object() {
  auto object = std::make_unique<Object3D>();
  EXPECT_TRUE(engine3d::parse_object(torus, *object).loaded());
  return object;
}

void turn_over(engine3d::Face& face) { std::swap(face.j, face.k); }

TEST(InspectObject, FindsHolesFacesInsideOutAndFacesWithoutArea) {
  auto object = torus_object();
  const tools::ObjectReport closed = tools::inspect_object(*object);
  EXPECT_TRUE(closed.ships());
  EXPECT_FLOAT_EQ(closed.low.x, -85);
  EXPECT_FLOAT_EQ(closed.high.x, 85);

  turn_over(object->faces[17]);
  EXPECT_EQ(tools::inspect_object(*object).inside_out_faces, std::vector<std::int32_t>{17});
  turn_over(object->faces[17]);

  for (engine3d::Face& face : object->faces) turn_over(face);
  EXPECT_EQ(tools::inspect_object(*object).inside_out_faces.size(), object->faces.size()) << "all inside out";
  for (engine3d::Face& face : object->faces) turn_over(face);

  object->faces.erase(object->faces.begin() + 5);
  const tools::ObjectReport holed = tools::inspect_object(*object);
  EXPECT_EQ(holed.open_edges, 3);
  EXPECT_TRUE(holed.inside_out_faces.empty());

  object->faces.push_back(object->faces[0]);  // a second face on the same three edges
  EXPECT_EQ(tools::inspect_object(*object).overshared_edges, 3);
  object->faces.pop_back();

  engine3d::Face flat = object->faces[0];
  flat.k = flat.j;
  object->faces.push_back(flat);
  const tools::ObjectReport flawed = tools::inspect_object(*object);
  EXPECT_EQ(flawed.faces_without_normal, std::vector<std::int32_t>{object->face_count() - 1});
  ASSERT_EQ(flawed.defects.size(), 1u);
  EXPECT_FALSE(flawed.ships());
}

class ObjTool : public ::testing::Test {
 protected:
  int run(std::vector<std::string> args) {
    return test_support::run_tool(tools::obj_command, std::move(args));
  }
  test_support::WorkingFolder folder;
};

TEST_F(ObjTool, ExitCodesOfCheckAndRender) {
  folder.write("torus.3d", torus);
  // The last face, 95 88 0, turned over.
  std::string flipped = torus;
  flipped.replace(flipped.rfind("\n", flipped.size() - 2) + 1, std::string::npos, "95 0 88 0\n");
  folder.write("flipped.3d", flipped);
  folder.write("broken.3d", "3 1 0 0 0 10 0 0 0 10 0 0 1 5 0");
  folder.write("flat.3d", "3 1 0 0 0 10 0 0 20 0 0 0 1 2 0");
  folder.write("not-a-texture.bmp", "BM");

  struct Case {
    std::vector<std::string> args;
    int exit_code;
  };
  const Case cases[] = {
      {{}, tools::exit_usage},
      {{"draw", "torus.3d"}, tools::exit_usage},
      {{"check"}, tools::exit_usage},
      {{"check", "torus.3d", "extra"}, tools::exit_usage},
      {{"check", "torus.3d"}, tools::exit_ok},
      {{"check", "missing.3d"}, tools::exit_failure},
      {{"check", "broken.3d"}, tools::exit_failure},
      {{"check", "flat.3d"}, tools::exit_failure},
      {{"check", "flipped.3d"}, tools::exit_failure},
      {{"render", "torus.3d"}, tools::exit_usage},
      {{"render", "torus.3d", "out.png", "--time"}, tools::exit_usage},
      {{"render", "torus.3d", "out.png", "--time", "-5"}, tools::exit_usage},
      {{"render", "torus.3d", "out.png", "--time", "12ms"}, tools::exit_usage},
      {{"render", "torus.3d", "out.png", "--time", " 12"}, tools::exit_usage},
      {{"render", "torus.3d", "out.png", "--time", "+12"}, tools::exit_usage},
      {{"render", "torus.3d", "out.png", "--time", "4294967296"}, tools::exit_usage},
      {{"render", "torus.3d", "out.png", "--time", "99999999999999999999999"}, tools::exit_usage},
      {{"render", "torus.3d", "out.png", "--time", "nan"}, tools::exit_usage},
      {{"render", "torus.3d", "out.png", "--time", "1e3"}, tools::exit_usage},
      {{"render", "torus.3d", "out.png", "--time", "4294967295"}, tools::exit_ok},
      {{"render", "torus.3d", "out.png", "--time", "4712"}, tools::exit_ok},
      {{"render", "torus.3d", "grey.png", "--texture", "not-a-texture.bmp"}, tools::exit_ok},
      {{"render", "missing.3d", "out.png"}, tools::exit_failure},
      {{"render", "flat.3d", "out.png"}, tools::exit_failure},
      {{"render", "torus.3d", "no-such-folder/out.png"}, tools::exit_failure},
  };
  for (const Case& c : cases) {
    std::string line;
    for (const std::string& a : c.args) line += a + " ";
    EXPECT_EQ(run(c.args), c.exit_code) << line;
  }
  EXPECT_TRUE(std::filesystem::exists("out.png"));
  EXPECT_TRUE(std::filesystem::exists("grey.png"));
}

}  // namespace
