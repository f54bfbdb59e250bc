// The object's pose.
#include "engine3d/object3d.h"

#include <cmath>

namespace engine3d {

void set_rotation(Object3D& object, float a, float b, float c) {
  const float ca = std::cos(a), sa = std::sin(a);
  const float cb = std::cos(b), sb = std::sin(b);
  const float cc = std::cos(c), sc = std::sin(c);
  object.rotation.m = {ca * cb - sa * sb * sc, -sa * cc, ca * sb + sa * sc * cb, 0,
                       sa * cb + ca * sb * sc, ca * cc,  sa * sb - ca * cb * sc, 0,
                       -sb * cc,               sc,       cb * cc,                0,
                       0,                      0,        0,                      1};
  object.inverse_rotation = invert_similarity(object.rotation);
}

void set_translation(Object3D& object, float x, float y, float z) {
  object.translation = Matrix4{};
  object.translation.m[3] = x;
  object.translation.m[7] = y;
  object.translation.m[11] = z;
}

void set_scale(Object3D& object, float sx, float sy, float sz) {
  object.scale.m = {sx, 0, 0, 0, 0, sy, 0, 0, 0, 0, sz, 0, 0, 0, 0, 1};
}

}  // namespace engine3d
