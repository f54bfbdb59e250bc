// Camera and frustum: the view rows with and without roll, the lazily rebuilt view, the cameras that
// have no view, and the frustum's planes.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>

#include "engine3d/camera.h"

namespace {

using engine3d::Camera;
using engine3d::Matrix4;

void expect_matrix_near(const Matrix4& actual, const std::array<float, 16>& expected, const char* what) {
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(actual.m[i], expected[i], 1e-5f) << what << ", entry " << i;
}

void expect_vector_near(engine3d::Vector3 actual, engine3d::Vector3 expected, const char* what) {
  EXPECT_NEAR(actual.x, expected.x, 1e-5f) << what;
  EXPECT_NEAR(actual.y, expected.y, 1e-5f) << what;
  EXPECT_NEAR(actual.z, expected.z, 1e-5f) << what;
}

TEST(Camera, ViewRowsFromTheIntrosPlaceWithAndWithoutRoll) {
  struct Case {
    float roll;
    std::array<float, 16> rows;
  };
  // Roll 10 turns by 10 × 3.14 / 180 radians, a little less than 10 degrees.
  const Case cases[] = {
      {0, {1, 0, 0, 0, 0, -1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1}},
      {10, {0.984823f, 0.173561f, 0, 0, 0.173561f, -0.984823f, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1}},
  };
  for (const Case& c : cases) {
    Camera camera;
    camera.set_position(0, 0, 50);
    camera.set_target(0, 0, 0);
    camera.set_roll(c.roll);
    expect_matrix_near(camera.view_matrix(), c.rows, c.roll ? "roll 10" : "roll 0");
  }
}

TEST(Camera, FreshCameraLooksFromTheOriginAlongZWithFocalLength256) {
  Camera camera;
  EXPECT_EQ(camera.focal_length(), 256);
  expect_vector_near(camera.position(), {0, 0, 0}, "position");
  expect_vector_near(camera.target(), {0, 0, 1}, "target");
  expect_matrix_near(camera.view_matrix(), {-1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}, "fresh");
}

TEST(Camera, ViewFollowsTheLastSettersWhenAskedFor) {
  Camera camera;
  camera.view_matrix();
  camera.set_position(0, 0, 50);
  camera.set_target(0, 0, 0);
  camera.set_roll(90);
  camera.set_roll(0);
  expect_matrix_near(camera.view_matrix(), {1, 0, 0, 0, 0, -1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1}, "after setters");
}

TEST(Camera, WithoutADefinedViewKeepsThePreviousOne) {
  struct Case {
    const char* what;
    std::function<void(Camera&)> spoil;
  };
  const Case cases[] = {
      {"target at the position", [](Camera& c) { c.set_target(0, 0, 50); }},
      {"looking along (0, 1, 1)", [](Camera& c) { c.set_target(0, 2, 52); }},
      {"looking along (0, -1, -1)", [](Camera& c) { c.set_target(0, -3, 47); }},
      {"position not a number", [](Camera& c) { c.set_position(std::nanf(""), 0, 50); }},
      {"target infinitely far", [](Camera& c) { c.set_target(INFINITY, 0, 0); }},
  };
  for (const Case& c : cases) {
    Camera camera;
    camera.set_position(0, 0, 50);
    camera.set_target(0, 0, 0);
    camera.set_roll(10);
    const Matrix4 before = camera.view_matrix();
    c.spoil(camera);
    expect_matrix_near(camera.view_matrix(), before.m, c.what);
    // A good setting afterwards is taken again.
    camera.set_position(0, 0, 50);
    camera.set_target(0, 0, 0);
    camera.set_roll(0);
    expect_matrix_near(camera.view_matrix(), {1, 0, 0, 0, 0, -1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1}, c.what);
  }
}

TEST(Frustum, PlanesFor256Over640x480LeanInwardByATenThousandthOfARadian) {
  engine3d::Frustum f;
  engine3d::set_frustum(256, 640, 480, f);
  EXPECT_EQ(f.focal_length, 256);
  EXPECT_EQ(f.half_width, 320);
  EXPECT_EQ(f.half_height, 240);
  EXPECT_EQ(f.near_offset, 1.0f);
  expect_vector_near(f.near_normal, {0, 0, 1}, "near");
  expect_vector_near(f.left_normal, {0.624773f, 0, 0.780806f}, "left");
  expect_vector_near(f.right_normal, {-0.624773f, 0, 0.780806f}, "right");
  expect_vector_near(f.top_normal, {0, 0.729606f, 0.683868f}, "top");
  expect_vector_near(f.bottom_normal, {0, -0.729606f, 0.683868f}, "bottom");
}

void expect_same_frustum(const engine3d::Frustum& actual, const engine3d::Frustum& expected, const char* what) {
  EXPECT_EQ(actual.focal_length, expected.focal_length) << what;
  EXPECT_EQ(actual.half_width, expected.half_width) << what;
  EXPECT_EQ(actual.half_height, expected.half_height) << what;
  EXPECT_EQ(actual.near_offset, expected.near_offset) << what;
  const engine3d::Vector3 engine3d::Frustum::*normals[] = {
      &engine3d::Frustum::near_normal, &engine3d::Frustum::left_normal, &engine3d::Frustum::right_normal,
      &engine3d::Frustum::top_normal, &engine3d::Frustum::bottom_normal};
  for (auto normal : normals) {
    EXPECT_EQ((actual.*normal).x, (expected.*normal).x) << what;
    EXPECT_EQ((actual.*normal).y, (expected.*normal).y) << what;
    EXPECT_EQ((actual.*normal).z, (expected.*normal).z) << what;
  }
}

engine3d::Frustum frustum_of(float focal_length) {
  engine3d::Frustum f;
  engine3d::set_frustum(focal_length, 640, 480, f);
  return f;
}

TEST(Frustum, CameraKeepsTheFrustumOfItsFocalLengthOnTheScreen) {
  Camera camera;
  expect_same_frustum(camera.frustum(), frustum_of(256), "at construction");
  camera.set_focal_length(256);  // already set at construction
  expect_same_frustum(camera.frustum(), frustum_of(256), "the same focal length again");
  camera.set_focal_length(300);
  EXPECT_EQ(camera.focal_length(), 300);
  expect_same_frustum(camera.frustum(), frustum_of(300), "focal length 300");
  camera.set_focal_length(256);
  expect_same_frustum(camera.frustum(), frustum_of(256), "back to 256");
}

TEST(Frustum, EachCameraHasItsOwn) {
  Camera first;
  Camera second;
  second.set_focal_length(512);
  Camera third;  // constructed last, at 256
  expect_same_frustum(first.frustum(), frustum_of(256), "first");
  expect_same_frustum(second.frustum(), frustum_of(512), "second");
  expect_same_frustum(third.frustum(), frustum_of(256), "third");
}

}  // namespace
