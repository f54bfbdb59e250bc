// Vector and matrix arithmetic.
#include "engine3d/vector_math.h"

#include <cmath>

namespace engine3d {

Vector3 normalize(Vector3 v) {
  const float length = std::sqrt(dot(v, v));
  if (!(length > 0)) return {};
  return v * (1.0f / length);
}

Vector3 transform_point(const Matrix4& matrix, Vector3 p) {
  const auto& m = matrix.m;
  return {m[0] * p.x + m[1] * p.y + m[2] * p.z + m[3], m[4] * p.x + m[5] * p.y + m[6] * p.z + m[7],
          m[8] * p.x + m[9] * p.y + m[10] * p.z + m[11]};
}

Matrix4 multiply(const Matrix4& a, const Matrix4& b) {
  Matrix4 product;
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) {
      float sum = 0;
      for (int k = 0; k < 4; ++k) sum += a.m[row * 4 + k] * b.m[k * 4 + column];
      product.m[row * 4 + column] = sum;
    }
  }
  return product;
}

Matrix4 invert_similarity(const Matrix4& matrix) {
  const auto& m = matrix.m;
  const float k = 1.0f / (m[0] * m[0] + m[1] * m[1] + m[2] * m[2]);
  Matrix4 inverse;
  auto& r = inverse.m;
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < 3; ++column) r[row * 4 + column] = k * m[column * 4 + row];
  }
  const Vector3 moved = transform_point(inverse, {m[3], m[7], m[11]});  // r's translation is still 0 here
  r[3] = -moved.x;
  r[7] = -moved.y;
  r[11] = -moved.z;
  r[12] = r[13] = r[14] = 0;
  r[15] = 1;
  return inverse;
}

}  // namespace engine3d
