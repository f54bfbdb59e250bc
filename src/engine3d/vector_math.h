// Single-precision vectors and 4x4 matrices: the arithmetic every part of the 3D engine shares.
#pragma once

#include <array>

namespace engine3d {

struct Vector3 {
  float x = 0;
  float y = 0;
  float z = 0;
};

constexpr Vector3 operator+(Vector3 a, Vector3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
constexpr Vector3 operator-(Vector3 a, Vector3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
constexpr Vector3 operator*(Vector3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }

constexpr float dot(Vector3 a, Vector3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// (a.y·b.z − a.z·b.y, a.z·b.x − a.x·b.z, a.x·b.y − a.y·b.x).
constexpr Vector3 cross(Vector3 a, Vector3 b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// v scaled by the reciprocal of its length; a vector of no length (or not a number) gives (0, 0, 0), so a
// vertex whose face normals cancel out keeps a zero normal instead of spreading NaN into the lighting.
Vector3 normalize(Vector3 v);

// True for a vector of length about 1, as normalize() gives; false for (0, 0, 0), NaN or infinity.
constexpr bool is_unit(Vector3 v) {
  const float squared = dot(v, v);
  return squared > 0.5f && squared < 1.5f;
}

// Sixteen floats m0 … m15, row-major, applied to column vectors; the fourth row stays (0, 0, 0, 1).
struct Matrix4 {
  std::array<float, 16> m{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};  // the identity
};

// (m0·x + m1·y + m2·z + m3, m4·x + m5·y + m6·z + m7, m8·x + m9·y + m10·z + m11).
Vector3 transform_point(const Matrix4& matrix, Vector3 p);

// a·b: the product that applies b first.
Matrix4 multiply(const Matrix4& a, const Matrix4& b);

// The inverse of a rotation times a uniform scale (with any translation): the transposed 3x3 part divided
// by the squared length of the first row, and the translation moved back through it.
Matrix4 invert_similarity(const Matrix4& matrix);

}  // namespace engine3d
