// Object file and loader: the format as written, normals, and files from strangers.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "base/load_result.h"
#include "base/rgb565.h"
#include "engine3d/object3d.h"
#include "engine3d/object_loader.h"
#include "support/temp_dir.h"

namespace {

using base::LoadStatus;
using engine3d::Object3D;

// The one-triangle example: vertices (0, 0, 0), (10, 0, 0), (0, 10, 0) and the face 0 1 2.
const char* const one_triangle = "3 1\n0 0 0\n10 0 0\n0 10 0\n0 1 2 0\n";

class ObjectFileTest : public ::testing::Test {
 protected:
  base::LoadResult load(const std::string& text) {
    folder.write(engine3d::object_file_name, text);
    return engine3d::load_object(engine3d::object_file_name, *object);
  }
  test_support::WorkingFolder folder;
  std::unique_ptr<Object3D> object = std::make_unique<Object3D>();
};

TEST_F(ObjectFileTest, OneTriangleGetsItsNormalsIdentityPoseAndGreyTexture) {
  ASSERT_TRUE(load(one_triangle).loaded());
  ASSERT_EQ(object->vertex_count(), 3);
  ASSERT_EQ(object->face_count(), 1);
  const engine3d::Face& face = object->faces[0];
  EXPECT_EQ(face.i, 0);
  EXPECT_EQ(face.j, 1);
  EXPECT_EQ(face.k, 2);
  // (P0 − P1) × (P0 − P2) = (−10, 0, 0) × (0, −10, 0) = (0, 0, 100).
  EXPECT_FLOAT_EQ(face.normal.z, 1);
  EXPECT_FLOAT_EQ(face.offset, 0);
  for (int v = 0; v < 3; ++v) {
    EXPECT_FLOAT_EQ(object->vertex_normals[v].z, 1) << v;
    EXPECT_EQ(object->texture_coordinates[v].u, 1.0f);
    EXPECT_EQ(object->texture_coordinates[v].v, 1.0f);
    EXPECT_EQ(object->marks[v], 0);
  }
  EXPECT_EQ(face.colour, (std::array<std::uint8_t, 3>{128, 128, 128}));
  const engine3d::Matrix4 identity;
  EXPECT_EQ(object->rotation.m, identity.m);
  EXPECT_EQ(object->inverse_rotation.m, identity.m);
  EXPECT_EQ(object->translation.m, identity.m);
  EXPECT_EQ(object->scale.m, identity.m);
  EXPECT_EQ(object->shades[12][object->texture[257]], base::pack_rgb565(128, 128, 128));
}

TEST_F(ObjectFileTest, LayoutOfTheNumbersDoesNotMatter) {
  struct Case {
    const char* what;
    const char* text;
  };
  const Case cases[] = {
      {"as written", one_triangle},
      {"the whole file on one line", "3 1 0 0 0 10 0 0 0 10 0 0 1 2 0"},
      {"spread over lines and tabs, CR LF", "3\r\n1\r\n0 0\t0 10\r\n0 0 0 10 0\n0\n1\n2\n0\r\n"},
      {"counts in hexadecimal and octal", "0x3 01 0 0 0 10 0 0 0 10 0 0 1 2 0"},
      {"signed and exponent forms", "+3 1 -0 0.0 0e0 1e1 0 0 0 +10. 0 0 1 2 0"},
      {"any extra number and trailing junk", "3 1 0 0 0 10 0 0 0 10 0 0 1 2 -99999 what follows is ignored"},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(load(c.text).loaded()) << c.what;
    EXPECT_EQ(object->vertex_count(), 3) << c.what;
    EXPECT_EQ(object->positions[1].x, 10) << c.what;
    EXPECT_EQ(object->positions[2].y, 10) << c.what;
    EXPECT_EQ(object->faces[0].k, 2) << c.what;
    EXPECT_FLOAT_EQ(object->faces[0].normal.z, 1) << c.what;
  }
}

TEST_F(ObjectFileTest, EmptyObjectLoadsAndUnusedVertexKeepsAZeroNormal) {
  ASSERT_TRUE(load("0 0").loaded());
  EXPECT_EQ(object->vertex_count(), 0);
  EXPECT_EQ(object->face_count(), 0);

  ASSERT_TRUE(load("4 1 0 0 0 10 0 0 0 10 0 5 5 5 0 1 2 0").loaded());
  EXPECT_EQ(object->vertex_normals[3].x, 0);
  EXPECT_EQ(object->vertex_normals[3].y, 0);
  EXPECT_EQ(object->vertex_normals[3].z, 0);
}

TEST_F(ObjectFileTest, VertexNormalIsTheNormalizedSumOfItsFacesNormals) {
  // Two faces meeting at a right angle along the edge from vertex 0 to vertex 1.
  ASSERT_TRUE(load("4 2  0 0 0  0 10 0  10 0 0  0 0 10  0 1 2 0  0 3 1 0").loaded());
  const float s = 1 / std::sqrt(2.0f);
  for (int v : {0, 1}) {
    EXPECT_NEAR(object->vertex_normals[v].x, -s, 1e-6f) << v;
    EXPECT_NEAR(object->vertex_normals[v].z, -s, 1e-6f) << v;
  }
  EXPECT_FLOAT_EQ(object->vertex_normals[2].z, -1);
  EXPECT_FLOAT_EQ(object->vertex_normals[3].x, -1);
}

TEST_F(ObjectFileTest, TwoObjectsFromOneFileShareNothing) {
  ASSERT_TRUE(load(one_triangle).loaded());
  auto other = std::make_unique<Object3D>();
  ASSERT_TRUE(engine3d::load_object(engine3d::object_file_name, *other).loaded());
  engine3d::set_rotation(*object, 1, 2, 3);
  engine3d::set_translation(*object, -300, 100, -300);
  object->positions[0].x = 99;
  object->faces[0].shade0 = 7;
  object->marks[1] = 1;
  object->texture[257] = 9;
  const engine3d::Matrix4 identity;
  EXPECT_EQ(other->rotation.m, identity.m);
  EXPECT_EQ(other->translation.m, identity.m);
  EXPECT_EQ(other->positions[0].x, 0);
  EXPECT_EQ(other->faces[0].shade0, 0);
  EXPECT_EQ(other->marks[1], 0);
  EXPECT_EQ(other->texture[257], 0);
}

TEST_F(ObjectFileTest, MalformedFilesAreRefusedAndLeaveTheObjectEmpty) {
  struct Case {
    const char* what;
    std::string text;
  };
  const Case cases[] = {
      {"empty file", ""},
      {"only the vertex count", "3"},
      {"vertex count not a number", "three 1"},
      {"vertex count with a fraction", "3.0 1 0 0 0 10 0 0 0 10 0 0 1 2 0"},
      {"vertex count beyond 32 bits", "99999999999 1"},
      {"negative vertex count", "-3 1 0 0 0 10 0 0 0 10 0 0 1 2 0"},
      {"negative face count", "3 -1 0 0 0 10 0 0 0 10 0"},
      {"vertex count above the maximum", std::to_string(engine3d::object_max_vertices + 1) + " 0"},
      {"face count above the maximum", "0 " + std::to_string(engine3d::object_max_faces + 1)},
      {"counts the file cannot hold", "1000000 1000000 0 0 0"},
      {"a coordinate missing", "3 1 0 0 0 10 0 0 0 10"},
      {"a coordinate not a number", "3 1 0 0 0 10 0 0 0 ten 0 0 1 2 0"},
      {"a coordinate with junk after it", "3 1 0 0 0 10x 0 0 0 10 0 0 1 2 0"},
      {"a coordinate not finite", "3 1 0 0 0 10 0 0 0 10 nan 0 1 2 0"},
      {"an infinite coordinate", "3 1 0 0 0 inf 0 0 0 10 0 0 1 2 0"},
      {"a coordinate too large for a float", "3 1 0 0 0 1e39 0 0 0 10 0 0 1 2 0"},
      {"a number of 65 characters", "3 1 0 0 0 " + std::string(65, '1') + " 0 0 0 10 0 0 1 2 0"},
      {"a face cut short", "3 1 0 0 0 10 0 0 0 10 0 0 1 2"},
      {"an index not a number", "3 1 0 0 0 10 0 0 0 10 0 0 one 2 0"},
      {"an index that is no octal number", "3 1 0 0 0 10 0 0 0 10 0 0 1 08 0"},
      {"an index equal to the vertex count", "3 1 0 0 0 10 0 0 0 10 0 0 1 3 0"},
      {"a negative index", "3 1 0 0 0 10 0 0 0 10 0 -1 1 2 0"},
      {"a huge index", "3 1 0 0 0 10 0 0 0 10 0 0 1 2147483647 0"},
      {"a face on no vertices", "0 1 0 0 0 0"},
      {"corner i used twice", "3 1 0 0 0 10 0 0 0 10 0 0 0 2 0"},
      {"corner k used twice", "3 1 0 0 0 10 0 0 0 10 0 0 1 1 0"},
      {"corners i and k the same", "3 1 0 0 0 10 0 0 0 10 0 2 1 2 0"},
      {"corners on one line", "3 1 0 0 0 10 0 0 20 0 0 0 1 2 0"},
      {"two corners at one place", "3 1 0 0 0 10 0 0 10 0 0 0 1 2 0"},
      {"corners too far apart for a normal", "3 1 -3e38 0 0 3e38 0 0 0 3e38 0 0 1 2 0"},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(load(one_triangle).loaded());
    const base::LoadResult result = load(c.text);
    EXPECT_EQ(result.status, LoadStatus::refused) << c.what;
    EXPECT_STREQ(engine3d::object_failure_message(result), "Bad data file 3d-obj.3d") << c.what;
    EXPECT_NE(result.reason.find("3d-obj.3d: "), std::string::npos) << c.what << ": " << result.reason;
    EXPECT_EQ(result.reason.find('\n'), std::string::npos) << c.what << ": one line";
    EXPECT_TRUE(object->faces.empty() && object->positions.empty() && object->marks.empty()) << c.what;
  }
}

TEST_F(ObjectFileTest, ReasonsSayWhereTheFileIsWrong) {
  EXPECT_EQ(load("3 1\n0 0 0\n10 0 0\n0 10 0\n0 1 7 0\n").reason,
            "3d-obj.3d: line 5: face 0 corner k is vertex 7 of only 3");
  EXPECT_EQ(load("3 1\n0 0 0\n10 oops 0\n0 10 0\n0 1 2 0\n").reason, "3d-obj.3d: line 3: vertex 1 y is not a number: 'oops'");
  // At the end of the text, the line after the last line break.
  EXPECT_EQ(load("3 1\n0 0 0\n" + std::string(20, '\n')).reason,
            "3d-obj.3d: line 23: vertex 1 x is missing: the file ends early");
  EXPECT_EQ(load("3 1 0 0 0 10 0 0 20 0 0 0 1 2 0").reason,
            "3d-obj.3d: face 0 has no normal: its corners lie on one line (or too far apart to compute one)");
}

TEST_F(ObjectFileTest, MissingOrUnreadableFileCannotBeFound) {
  ASSERT_TRUE(load(one_triangle).loaded());
  std::filesystem::create_directory("a-folder.3d");
  for (const char* path : {"no-such-file.3d", "a-folder.3d"}) {
    const base::LoadResult result = engine3d::load_object(path, *object);
    EXPECT_EQ(result.status, LoadStatus::cannot_open) << path;
    EXPECT_STREQ(engine3d::object_failure_message(result), "Can't find data file 3d-obj.3d") << path;
    EXPECT_TRUE(object->faces.empty()) << path;
  }
  EXPECT_STREQ(engine3d::object_message_caption, "ZARN");
}

}  // namespace
