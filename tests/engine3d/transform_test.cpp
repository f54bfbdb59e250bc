// Posing and drawing: rotations, the inverse of a similarity, the projection through the intro's kind of
// camera, culling, the lighting floor, clipping at the frustum's planes and the depth held to 16 bits.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <sstream>
#include <vector>

#include "base/frame_geometry.h"
#include "engine3d/3dengine.h"
#include "engine3d/3dengine_internal.h"
#include "engine3d/camera.h"
#include "engine3d/object_loader.h"
#include "engine3d/object_texture.h"
#include "engine3d/rasterizer.h"

namespace {

using engine3d::ClipPolygon;
using engine3d::ClipVertex;
using engine3d::Matrix4;
using engine3d::Object3D;
using engine3d::Vector3;

constexpr float pi = std::numbers::pi_v<float>;

void expect_near(Vector3 actual, Vector3 expected, float tolerance, const std::string& what) {
  EXPECT_NEAR(actual.x, expected.x, tolerance) << what;
  EXPECT_NEAR(actual.y, expected.y, tolerance) << what;
  EXPECT_NEAR(actual.z, expected.z, tolerance) << what;
}

// The intro's frustum: focal length 256 on the 640x480 screen.
engine3d::Frustum screen_frustum() {
  engine3d::Frustum frustum;
  engine3d::set_frustum(256, 640, 480, frustum);
  return frustum;
}

void expect_identity(const Matrix4& m, const std::string& what) {
  const Matrix4 identity;
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(m.m[i], identity.m[i], 1e-5f) << what << ", entry " << i;
}

Matrix4 rows(std::array<float, 16> m) { return Matrix4{m}; }

TEST(SetRotation, TurnsAsRzOfATimesRxOfCTimesRyOfB) {
  struct Case {
    float a, b, c;
    Vector3 from, to;
  };
  const Case cases[] = {
      {0, 0, 0, {1, 2, 3}, {1, 2, 3}},
      {pi / 2, 0, 0, {1, 0, 0}, {0, 1, 0}},
      {0, pi / 2, 0, {1, 0, 0}, {0, 0, -1}},
      {0, 0, pi / 2, {0, 1, 0}, {0, 0, 1}},
  };
  Object3D object;
  for (const Case& c : cases) {
    engine3d::set_rotation(object, c.a, c.b, c.c);
    expect_near(engine3d::transform_point(object.rotation, c.from), c.to, 1e-6f, "rotation");
    expect_identity(engine3d::multiply(object.inverse_rotation, object.rotation), "inverse");
  }

  const float a = 0.3f, b = -1.1f, c = 2.0f;
  const Matrix4 rz = rows({std::cos(a), -std::sin(a), 0, 0, std::sin(a), std::cos(a), 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
  const Matrix4 rx = rows({1, 0, 0, 0, 0, std::cos(c), -std::sin(c), 0, 0, std::sin(c), std::cos(c), 0, 0, 0, 0, 1});
  const Matrix4 ry = rows({std::cos(b), 0, std::sin(b), 0, 0, 1, 0, 0, -std::sin(b), 0, std::cos(b), 0, 0, 0, 0, 1});
  engine3d::set_rotation(object, a, b, c);
  const Matrix4 expected = engine3d::multiply(rz, engine3d::multiply(rx, ry));
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(object.rotation.m[i], expected.m[i], 1e-6f) << i;
}

TEST(InvertSimilarity, UndoesRotationUniformScaleAndTranslation) {
  Object3D object;
  engine3d::set_rotation(object, 0.7f, -0.2f, 1.3f);
  Matrix4 m = engine3d::multiply(rows({2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1}), object.rotation);
  m.m[3] = 5;
  m.m[7] = -7;
  m.m[11] = 11;
  expect_identity(engine3d::multiply(engine3d::invert_similarity(m), m), "inverse · m");
  expect_identity(engine3d::multiply(m, engine3d::invert_similarity(m)), "m · inverse");
}

// One object at the origin seen by a camera at (0, 0, 50) looking at the origin, roll 0, focal length 256.
class DrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    camera.set_position(0, 0, 50);
    camera.set_target(0, 0, 0);
    camera.set_roll(0);
    ASSERT_TRUE(engine3d::allocate_depth_buffer(depth));
  }
  // Builds the object from its vertices and faces (i, j, k) through the loader's own reading.
  void build(const std::vector<Vector3>& positions, const std::vector<std::array<int, 3>>& faces) {
    std::ostringstream text;
    text << positions.size() << ' ' << faces.size();
    for (const Vector3& p : positions) text << ' ' << p.x << ' ' << p.y << ' ' << p.z;
    for (const auto& f : faces) text << ' ' << f[0] << ' ' << f[1] << ' ' << f[2] << " 0";
    object = std::make_unique<Object3D>();
    ASSERT_TRUE(engine3d::parse_object(text.str(), *object).loaded()) << text.str();
    engine3d::compute_normals(*object);
    engine3d::set_fallback_texture(*object);
    object->intensities.assign(positions.size(), -7);  // not lit yet
  }
  int draw() {
    frame.assign(base::frame_pixel_count, 0);
    engine3d::clear_depth_buffer(depth);
    engine3d::draw_object(*object, frame.data(), camera, light, depth);
    return static_cast<int>(std::count_if(frame.begin(), frame.end(), [](std::uint16_t p) { return p != 0; }));
  }

  engine3d::Camera camera;  // focal length 256 from its construction
  engine3d::DepthBuffer depth;
  Vector3 light{0, 0, 1};
  std::unique_ptr<Object3D> object;
  std::vector<std::uint16_t> frame;
};

TEST_F(DrawTest, ProjectsTheOriginToTheScreenCentreAndWorldYUpward) {
  // Corners i = origin, j = (0, 10, 0), k = (10, 10, 0): the normal points away from the eye.
  build({{0, 0, 0}, {10, 10, 0}, {0, 10, 0}}, {{0, 2, 1}});
  EXPECT_GT(draw(), 0);
  expect_near(object->camera_positions[0], {0, 0, 50}, 0, "origin");
  expect_near(object->camera_positions[1], {10, -10, 50}, 0, "(10, 10, 0)");

  const engine3d::ScreenCorner centre = engine3d::project({0, 0, 50, 0, 0, 0}, camera.frustum());
  EXPECT_EQ(centre.x, 320 * 65536);
  EXPECT_EQ(centre.y, 240 * 65536);
  EXPECT_EQ(centre.depth, 85899344);  // 65536 / 50 · 65536 in single precision, truncated
  const engine3d::ScreenCorner corner = engine3d::project({10, -10, 50, 0, 0, 0}, camera.frustum());
  EXPECT_NEAR(corner.x / 65536.0, 371.2, 1e-4);
  EXPECT_NEAR(corner.y / 65536.0, 188.8, 1e-4);
}

TEST_F(DrawTest, ProjectsThroughTheFocalLengthOfTheCameraItIsGiven) {
  build({{0, 0, 0}, {0, 10, 0}, {10, 10, 0}}, {{0, 1, 2}});
  const int at_256 = draw();
  ASSERT_GT(at_256, 1000);
  engine3d::Camera other;
  other.set_focal_length(128);
  EXPECT_EQ(draw(), at_256) << "another camera's focal length changed the drawing";
  // Twice the focal length, twice the size on the screen.
  camera.set_focal_length(512);
  EXPECT_NEAR(draw(), 4 * at_256, 4 * at_256 / 10);
}

TEST_F(DrawTest, DrawsOnlyFacesWithTheEyeBehindTheirNormal) {
  struct Case {
    const char* what;
    std::vector<Vector3> positions;
    bool drawn;
  };
  const Case cases[] = {
      {"facing the eye", {{0, 0, 0}, {0, 10, 0}, {10, 10, 0}}, true},
      {"turned away", {{0, 0, 0}, {10, 10, 0}, {0, 10, 0}}, false},
      {"edge-on: its plane holds the eye", {{0, 0, 0}, {0, 10, 0}, {0, 0, 10}}, false},
  };
  for (const Case& c : cases) {
    build(c.positions, {{0, 1, 2}});
    const int pixels = draw();
    EXPECT_EQ(pixels > 0, c.drawn) << c.what;
    // Vertices of a face not drawn are neither lit nor moved.
    EXPECT_EQ(object->intensities[0] >= engine3d::min_intensity, c.drawn) << c.what;
    EXPECT_EQ(std::count(object->marks.begin(), object->marks.end(), 0), 3) << c.what << ": marks left set";
  }
}

TEST_F(DrawTest, IntensityIsTheNormalAlongTheLightButNeverBelowOneTenth) {
  struct Case {
    Vector3 normal;
    float intensity;
  };
  const Case cases[] = {
      {{0, 0, 1}, 1},
      {{0, 0.6f, 0.8f}, 0.8f},
      {{0, 0, 0.05f}, 0.1f},
      {{0, 0, -1}, 0.1f},
      {{0, 0, 0}, 0.1f},  // a vertex whose face normals cancel out
      {{std::nanf(""), 0, 0}, 0.1f},
  };
  for (const Case& c : cases) {
    build({{0, 0, 0}, {0, 10, 0}, {10, 10, 0}}, {{0, 1, 2}});
    object->vertex_normals[0] = c.normal;
    draw();
    EXPECT_FLOAT_EQ(object->intensities[0], c.intensity) << c.normal.x << " " << c.normal.y << " " << c.normal.z;
  }
  // Intensity 1 is shade level 31 and the floor about 3.1 levels.
  EXPECT_EQ(engine3d::project({0, 0, 50, 0, 0, 1.0f}, camera.frustum()).shade, 31 * 65536);
  EXPECT_EQ(engine3d::project({0, 0, 50, 0, 0, 0.1f}, camera.frustum()).shade / 65536, 3);
}

TEST(Project, DepthNearerThanTwoIsHeldToTheLargestSixteenBitDepth) {
  const engine3d::Frustum frustum = screen_frustum();
  struct Case {
    float z;
    engine3d::Fixed16 depth;
  };
  const Case cases[] = {
      {1, 32767 << 16}, {1.5f, 32767 << 16}, {2, 32767 << 16}, {4, 16384 << 16}, {50, 85899344},
  };
  for (const Case& c : cases) EXPECT_EQ(engine3d::project({0, 0, c.z, 0, 0, 0}, frustum).depth, c.depth) << c.z;
}

ClipPolygon polygon(std::initializer_list<Vector3> points) {
  ClipPolygon p;
  for (const Vector3& v : points) p.vertices[p.count++] = {v.x, v.y, v.z, 1, 1, 0.5f};
  return p;
}

TEST(ClipPolygon, NearPlaneCutsAtZEqualsOne) {
  ClipPolygon out;
  const Vector3 near{0, 0, 1};
  EXPECT_EQ(engine3d::clip_polygon(near, 1, polygon({{0, 0, 0.5f}, {1, 0, 0.5f}, {0, 1, 0.9f}}), out), 0)
      << "wholly nearer than z = 1";
  EXPECT_EQ(engine3d::clip_polygon(near, 1, polygon({{-1, 0, 0.5f}, {1, 0, 0.5f}, {0, 1, 3}}), out), 3);
  // The far corner, and the two cuts of the edges that reach it.
  EXPECT_EQ(out.vertices[1].z, 3);
  EXPECT_FLOAT_EQ(out.vertices[0].z, 1);
  EXPECT_FLOAT_EQ(out.vertices[2].z, 1);
  EXPECT_FLOAT_EQ(out.vertices[0].x, 0.8f);
  EXPECT_FLOAT_EQ(out.vertices[2].x, -0.8f);
  EXPECT_FLOAT_EQ(out.vertices[2].shade, 0.5f) << "attributes are carried along";
}

TEST(ClipPolygon, VertexOnThePlaneEndsACrossingAndComesOutTwice) {
  ClipPolygon out;
  const auto in = polygon({{0, 0, 3}, {0, 0, 1}, {1, 0, 0}});
  ASSERT_EQ(engine3d::clip_polygon({0, 0, 1}, 1, in, out), 4);
  EXPECT_EQ(out.vertices[1].z, 1);
  EXPECT_EQ(out.vertices[2].z, 1);
  EXPECT_EQ(out.vertices[1].x, out.vertices[2].x);
}

TEST(CrossesPlane, StartsOnlyOffThePlane) {
  struct Case {
    float a, b;
    bool crosses;
  };
  const Case cases[] = {{1, -1, true}, {-1, 1, true}, {1, 0, true}, {-1, 0, true},
                        {0, 1, false}, {0, -1, false}, {1, 2, false}, {-1, -2, false}, {0, 0, false}};
  for (const Case& c : cases) EXPECT_EQ(engine3d::crosses_plane(c.a, c.b), c.crosses) << c.a << " " << c.b;
}

TEST(ClipToFrustum, TriangleAcrossAllFivePlanesKeepsAtMostEightVerticesAllInsideTheScreen) {
  const engine3d::Frustum frustum = screen_frustum();
  std::array<ClipPolygon, 2> polygons;
  // Cut at z = 1, the triangle's remains project to a diamond with corners (±2, 0) and (0, ±1.5) in units
  // of the focal length, around a screen of ±1.25 by ±0.94: each side of the screen cuts off a corner.
  polygons[0] = polygon({{-20, 0, 10}, {0, -15, 10}, {20.0f / 9, 5.0f / 3, 0}});
  ASSERT_TRUE(engine3d::clip_to_frustum(polygons, frustum));
  const ClipPolygon& result = polygons[1];
  EXPECT_EQ(result.count, 8);
  for (int n = 0; n < result.count; ++n) {
    const engine3d::ScreenCorner c = engine3d::project(result.vertices[n], frustum);
    EXPECT_GT(c.x, 0) << n;
    EXPECT_LT(c.x, 640 * 65536) << n;
    EXPECT_GT(c.y, 0) << n;
    EXPECT_LT(c.y, 480 * 65536) << n;
    EXPECT_GE(result.vertices[n].z, 1.0f) << n;
  }
}

TEST_F(DrawTest, FaceFillingTheWholeViewLeavesTheFirstColumnAndRowUntouched) {
  // A face right in front of the eye, much larger than the view.
  build({{-5000, -5000, 40}, {-5000, 5000, 40}, {5000, 5000, 40}, {5000, -5000, 40}}, {{0, 1, 2}, {0, 2, 3}});
  const int pixels = draw();
  EXPECT_EQ(pixels, 639 * 479);
  for (int x = 0; x < base::frame_width; ++x) EXPECT_EQ(frame[x], 0) << x;
  for (int y = 0; y < base::frame_height; ++y) EXPECT_EQ(frame[y * base::frame_width], 0) << y;
}

}  // namespace
