// The steps of draw_object, kept apart from the engine's interface: only 3dengine.cpp and the tests that
// check clipping and projection one step at a time include this header.
#pragma once

#include <array>
#include <cstdint>

#include "engine3d/camera.h"
#include "engine3d/object3d.h"
#include "engine3d/rasterizer.h"
#include "engine3d/vector_math.h"

namespace engine3d {

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

// What draw_object hands down to each face: where it is drawn and what it is clipped and projected by.
struct FaceTarget {
  std::uint16_t* frame;  // 640x480 RGB565
  DepthBuffer& depth;
  const Frustum& frustum;
};

// Clips, projects and rasterizes one face whose corners draw_object has just moved, lit and, where they
// lie in view, projected.
void draw_face(const Face& face, const Object3D& object, const FaceTarget& target);

// Clips the polygon in polygons[0] by the frustum's near, right, top, bottom and left planes in turn,
// back and forth between the two buffers; true when what remains, in polygons[1], is at least a triangle.
bool clip_to_frustum(std::array<ClipPolygon, 2>& polygons, const Frustum& frustum);

// The screen corner of a clipped camera-space vertex, through the frustum: 16.16 pixels, 16.16 texels,
// shade 31·65536 for intensity 1, and depth 65536 / z in 16.16, held to the largest depth the 16-bit
// buffer stores for points nearer than z = 2.
ScreenCorner project(const ClipVertex& vertex, const Frustum& frustum);

// Keeps the part of `input` where normal · p ≥ offset, as `output`; returns its vertex count. A vertex
// lying exactly on the plane may come out twice; the repeat only makes triangles of no area.
int clip_polygon(Vector3 normal, float offset, const ClipPolygon& input, ClipPolygon& output);

// Whether an edge from signed distance a to signed distance b crosses the plane: a vertex exactly on the
// plane ends a crossing but never starts one.
constexpr bool crosses_plane(float a, float b) { return (a > 0 && b <= 0) || (a < 0 && b >= 0); }

}  // namespace engine3d
