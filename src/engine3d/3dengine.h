// Posing and drawing an object: back-face culling, per-vertex lighting by one directional light, the move
// into camera space, clipping against the view frustum, projection, and the hand-off to the rasterizer.
#pragma once

#include <array>
#include <cstdint>

#include "engine3d/camera.h"
#include "engine3d/object3d.h"
#include "engine3d/vector_math.h"

namespace engine3d {

// World-space direction the light travels in; the caller normalizes it before drawing. A vertex whose
// normal points along it is lit fully.
extern Vector3 light_direction;

// Lowest lighting intensity: the side turned away from the light is dim, never black.
inline constexpr float min_intensity = 0.1f;

// A corner of a face being clipped: camera-space position, texture coordinates and lighting intensity.
// No default values: the polygon buffers are scratch that every face overwrites.
struct ClipVertex {
  float x;
  float y;
  float z;
  float u;
  float v;
  float shade;
};

// Clipping a triangle by the five planes adds at most two vertices per plane: 13 at most.
inline constexpr int clip_polygon_capacity = 20;

struct ClipPolygon {
  std::array<ClipVertex, clip_polygon_capacity> vertices;
  int count = 0;
};

// rotation := Rz(a)·Rx(c)·Ry(b) (radians, Ry applied first); inverse rotation := its inverse.
void set_rotation(Object3D& object, float a, float b, float c);
// Places the object at (x, y, z).
void set_translation(Object3D& object, float x, float y, float z);
// scale := diagonal (sx, sy, sz, 1). Only a uniform scale keeps the culling exact.
void set_scale(Object3D& object, float sx, float sy, float sz);

// Draws the object's faces that turn towards the eye, lit by `light_direction`, through `camera` and the
// global frustum, into the 640x480 frame, depth-tested against the global depth buffer. The caller clears
// the depth buffer once per frame before the first object.
void draw_object(Object3D& object, std::uint16_t* frame, Camera& camera);

// Clips, projects and rasterizes one face whose corners draw_object has just moved, lit and, where they
// lie in view, projected.
void draw_face(const Face& face, const Object3D& object, std::uint16_t* frame);

// Clips the polygon in polygons[0] by the global frustum's near, right, top, bottom and left planes in
// turn, back and forth between the two buffers; true when what remains, in polygons[1], is at least a
// triangle.
bool clip_to_frustum(std::array<ClipPolygon, 2>& polygons);

// The screen corner of a clipped camera-space vertex, through the global frustum: 16.16 pixels, 16.16
// texels, shade 31·65536 for intensity 1, and depth 65536 / z in 16.16, held to the largest depth the
// 16-bit buffer stores for points nearer than z = 2.
ScreenCorner project(const ClipVertex& vertex);

// Keeps the part of `input` where normal · p ≥ offset, as `output`; returns its vertex count. A vertex
// lying exactly on the plane may come out twice; the repeat only makes triangles of no area.
int clip_polygon(Vector3 normal, float offset, const ClipPolygon& input, ClipPolygon& output);

// Whether an edge from signed distance a to signed distance b crosses the plane: a vertex exactly on the
// plane ends a crossing but never starts one.
constexpr bool crosses_plane(float a, float b) { return (a > 0 && b <= 0) || (a < 0 && b >= 0); }

}  // namespace engine3d
