// Transform, culling, lighting, clipping and projection of objects.
#include "engine3d/3dengine.h"

#include <algorithm>

#include "base/fixed_point.h"
#include "base/shade_table.h"
#include "engine3d/3dengine_internal.h"

namespace engine3d {
namespace {

using base::truncate_to_int32;

// Intensity 1.0 is shade level 31 in 16.16.
constexpr float shade_scale = (base::shade_level_count - 1) * 65536.0f;
// The largest depth the 16-bit buffer holds, 32767, in 16.16. Points between the near plane (z = 1) and
// z = 2 would give 32768 … 65536, beyond 32 bits in 16.16; they are drawn at this depth instead.
constexpr float max_depth = 32767.0f * 65536.0f;

ClipVertex corner_of(const Object3D& object, std::int32_t vertex, float shade) {
  const Vector3 p = object.camera_positions[vertex];
  const TextureCoordinates t = object.texture_coordinates[vertex];
  return {p.x, p.y, p.z, t.u, t.v, shade};
}

// a + t·(b − a) for position, texture coordinates and shade.
ClipVertex between(const ClipVertex& a, const ClipVertex& b, float t) {
  return {a.x + t * (b.x - a.x), a.y + t * (b.y - a.y), a.z + t * (b.z - a.z),
          a.u + t * (b.u - a.u), a.v + t * (b.v - a.v), a.shade + t * (b.shade - a.shade)};
}

struct FrustumPlane {
  Vector3 normal;
  float offset;
};

// The planes of the frustum in the order faces are cut by them.
std::array<FrustumPlane, 5> frustum_planes(const Frustum& frustum) {
  return {{{frustum.near_normal, frustum.near_offset},
           {frustum.right_normal, 0},
           {frustum.top_normal, 0},
           {frustum.bottom_normal, 0},
           {frustum.left_normal, 0}}};
}

// Strictly inside every plane: the cuts pass a polygon of such vertices through unchanged. (A vertex
// exactly on a plane may come out of a cut twice.)
bool strictly_inside_frustum(Vector3 p, const Frustum& frustum) {
  for (const FrustumPlane& plane : frustum_planes(frustum)) {
    if (!(dot(plane.normal, p) > plane.offset)) return false;
  }
  return true;
}

// Appends unless the polygon is full, which clipping a triangle never makes it.
void append(ClipPolygon& polygon, const ClipVertex& vertex) {
  if (polygon.count < clip_polygon_capacity) polygon.vertices[polygon.count++] = vertex;
}

// Inlined where draw_object projects the vertices in view: a called projection returns its corner
// through memory in pieces, and reading it back whole waits for each piece to be stored.
[[gnu::always_inline]] inline ScreenCorner projected(const ClipVertex& c, const Frustum& frustum) {
  const float w = 65536.0f / c.z;
  const float x = frustum.half_width * 65536.0f + w * c.x * frustum.focal_length;
  const float y = frustum.half_height * 65536.0f + frustum.focal_length * c.y * w;  // larger y is lower
  return {truncate_to_int32(x), truncate_to_int32(y), truncate_to_int32(c.u * 65536.0f),
          truncate_to_int32(c.v * 65536.0f), truncate_to_int32(c.shade * shade_scale),
          truncate_to_int32(std::min(w * 65536.0f, max_depth))};
}

}  // namespace

ScreenCorner project(const ClipVertex& c, const Frustum& frustum) { return projected(c, frustum); }

int clip_polygon(Vector3 normal, float offset, const ClipPolygon& input, ClipPolygon& output) {
  output.count = 0;
  const int m = input.count;
  if (m < 1) return 0;
  std::array<float, clip_polygon_capacity> distance{};
  for (int k = 0; k < m; ++k) {
    const ClipVertex& v = input.vertices[k];
    distance[k] = dot(normal, {v.x, v.y, v.z});
  }
  for (int k = 0; k + 1 < m; ++k) {
    if (distance[k] >= offset) append(output, input.vertices[k]);
    if (crosses_plane(distance[k] - offset, distance[k + 1] - offset)) {
      const float t = (distance[k] - offset) / (distance[k] - distance[k + 1]);
      append(output, between(input.vertices[k], input.vertices[k + 1], t));
    }
  }
  // The closing edge is tested and cut from its end, the first vertex, backwards.
  const int last = m - 1;
  if (distance[last] >= offset) append(output, input.vertices[last]);
  if (crosses_plane(distance[0] - offset, distance[last] - offset)) {
    const float t = (distance[0] - offset) / (distance[0] - distance[last]);
    append(output, between(input.vertices[0], input.vertices[last], t));
  }
  return output.count;
}

bool clip_to_frustum(std::array<ClipPolygon, 2>& polygons, const Frustum& frustum) {
  int current = 0;
  for (const FrustumPlane& plane : frustum_planes(frustum)) {
    if (clip_polygon(plane.normal, plane.offset, polygons[current], polygons[1 - current]) < 3) return false;
    current = 1 - current;
  }
  return true;  // five planes: the result is in the second buffer
}

void draw_face(const Face& face, const Object3D& object, const FaceTarget& target) {
  // A face whose corners all lie inside the view keeps its three corners: no cuts, and the projections
  // draw_object made of them. The fan of a triangle is its corners i, k, j.
  if (object.in_view[face.i] && object.in_view[face.j] && object.in_view[face.k]) {
    const auto& screen = object.screen_corners;
    rasterize_triangle({{screen[face.i], screen[face.k], screen[face.j]}}, target.frame, object.texture,
                       object.shades, target.depth);
    return;
  }
  std::array<ClipPolygon, 2> polygons;
  polygons[0].vertices[0] = corner_of(object, face.i, face.shade0);
  polygons[0].vertices[1] = corner_of(object, face.j, face.shade1);
  polygons[0].vertices[2] = corner_of(object, face.k, face.shade2);
  polygons[0].count = 3;
  if (!clip_to_frustum(polygons, target.frustum)) return;

  // A fan from the first vertex; each triangle's corners run the other way round from the face's, which
  // is the winding the rasterizer fills.
  const ClipPolygon& result = polygons[1];
  const ScreenCorner first = project(result.vertices[0], target.frustum);
  ScreenCorner previous = project(result.vertices[1], target.frustum);
  for (int n = 2; n < result.count; ++n) {
    const ScreenCorner current = project(result.vertices[n], target.frustum);
    rasterize_triangle({{first, current, previous}}, target.frame, object.texture, object.shades, target.depth);
    previous = current;
  }
}

Matrix4 object_to_camera_matrix(const Object3D& object, Camera& camera) {
  Matrix4 world = multiply(object.scale, object.rotation);
  const Vector3 eye_position = camera.position();
  world.m[3] += object.translation.m[3] - eye_position.x;
  world.m[7] += object.translation.m[7] - eye_position.y;
  world.m[11] += object.translation.m[11] - eye_position.z;
  return multiply(camera.view_matrix(), world);
}

ScreenPoint screen_point_of(Vector3 camera_point, const Frustum& frustum) {
  const ScreenCorner corner = projected({camera_point.x, camera_point.y, camera_point.z, 0, 0, 0}, frustum);
  return {corner.x / 65536.0, corner.y / 65536.0};
}

void draw_object(Object3D& object, std::uint16_t* frame, Camera& camera, Vector3 light_direction,
                 DepthBuffer& depth) {
  object.object_to_camera = object_to_camera_matrix(object, camera);
  object.camera_to_object = invert_similarity(object.object_to_camera);
  const Vector3 light = normalize(transform_point(object.inverse_rotation, light_direction));
  const Vector3 eye = transform_point(object.camera_to_object, {0, 0, 0});

  // Visible faces have the eye on the side opposite their normal; a test with NaN counts as visible.
  // Each is linked in at the head, so the list runs in reverse file order.
  std::int32_t visible = no_face;
  for (std::int32_t n = 0; n < object.face_count(); ++n) {
    Face& face = object.faces[n];
    if (dot(face.normal, eye) >= face.offset) continue;
    object.marks[face.i] = object.marks[face.j] = object.marks[face.k] = 1;
    face.next = visible;
    visible = n;
  }
  // Only vertices of visible faces are lit and moved, each once.
  const Frustum& frustum = camera.frustum();
  for (std::int32_t v = 0; v < object.vertex_count(); ++v) {
    if (!object.marks[v]) continue;
    object.marks[v] = 0;
    const float intensity = dot(object.vertex_normals[v], light);
    object.intensities[v] = intensity >= min_intensity ? intensity : min_intensity;
    object.camera_positions[v] = transform_point(object.object_to_camera, object.positions[v]);
    object.in_view[v] = strictly_inside_frustum(object.camera_positions[v], frustum);
    if (object.in_view[v]) {
      object.screen_corners[v] = projected(corner_of(object, v, object.intensities[v]), frustum);
    }
  }
  const FaceTarget target{frame, depth, frustum};
  for (std::int32_t n = visible; n != no_face; n = object.faces[n].next) {
    Face& face = object.faces[n];
    face.shade0 = object.intensities[face.i];
    face.shade1 = object.intensities[face.j];
    face.shade2 = object.intensities[face.k];
    draw_face(face, object, target);
  }
}

}  // namespace engine3d
