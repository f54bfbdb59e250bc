// What the intro's camera shows of an object over the intro's motion.
#include "tools/object/object_view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <vector>

#include "base/frame_geometry.h"
#include "engine3d/3dengine.h"
#include "engine3d/intro_objects.h"
#include "engine3d/object_loader.h"

namespace tools {
namespace {

using engine3d::Object3D;

// Both poses follow the light, which turns once every 2π·1500 ms (9.4 s): one turn sampled every 100 ms
// (the light, and the rotation angles with it, move 0.07 radian a step) sees every pose the intro's first
// minute shows, at a sixth of the work for the largest objects the loader takes.
constexpr std::uint32_t pose_step_ms = 100;
constexpr std::uint32_t sampled_ms = 9500;

// Below 16 pixels across at its largest, 1/40 of the frame's width, the object is a speck: its faces are a
// pixel or two each and neither its shape nor its light can be made out. The default knot spans about
// ten times that.
constexpr double min_span_px = 16;
// With less than half of its screen extent within the frame at every pose, the viewer never sees most of
// the object: only a clipped close-up of some part of it.
constexpr double min_share_in_frame = 0.5;

// The indices of the vertices the faces use: the only ones drawn.
std::vector<std::int32_t> drawn_vertices(const Object3D& object) {
  std::vector<std::int32_t> vertices;
  vertices.reserve(object.faces.size() * 3);
  for (const engine3d::Face& face : object.faces) vertices.insert(vertices.end(), {face.i, face.j, face.k});
  std::sort(vertices.begin(), vertices.end());
  vertices.erase(std::unique(vertices.begin(), vertices.end()), vertices.end());
  return vertices;
}

struct ScreenBox {
  double left = std::numeric_limits<double>::infinity();
  double top = std::numeric_limits<double>::infinity();
  double right = -std::numeric_limits<double>::infinity();
  double bottom = -std::numeric_limits<double>::infinity();

  void take(engine3d::ScreenPoint p) {
    left = std::min(left, p.x);
    right = std::max(right, p.x);
    top = std::min(top, p.y);
    bottom = std::max(bottom, p.y);
  }
};

// The share of [low, high] within [0, limit]; a point counts whole when it lies within.
double share_within(double low, double high, double limit) {
  if (!(high > low)) return low >= 0 && low <= limit ? 1 : 0;
  return std::max(0.0, std::min(high, limit) - std::max(low, 0.0)) / (high - low);
}

struct PoseView {
  bool at_eye = false;  // part of the object nearer than the near plane
  double span_px = 0;
  double share_in_frame = 0;
};

// The object's screen extent at one pose, `posed` holding the pose and `object` the vertices.
PoseView view_at_pose(const Object3D& posed, const Object3D& object, const std::vector<std::int32_t>& vertices,
                      engine3d::Camera& camera) {
  const engine3d::Matrix4 to_camera = engine3d::object_to_camera_matrix(posed, camera);
  const engine3d::Frustum& frustum = camera.frustum();
  ScreenBox box;
  std::size_t near_eye = 0;
  for (const std::int32_t v : vertices) {
    const engine3d::Vector3 p = engine3d::transform_point(to_camera, object.positions[v]);
    if (!(engine3d::dot(frustum.near_normal, p) > frustum.near_offset)) {
      ++near_eye;
      continue;
    }
    box.take(engine3d::screen_point_of(p, frustum));
  }
  PoseView view;
  if (near_eye == vertices.size()) return view;  // wholly behind the eye: nothing of it in the frame
  // Around the eye, the near plane cuts it open and what is left reaches out of every side of the frame.
  view.at_eye = near_eye > 0;
  if (view.at_eye) return view;
  view.span_px = std::max(box.right - box.left, box.bottom - box.top);
  view.share_in_frame = share_within(box.left, box.right, base::frame_width) *
                        share_within(box.top, box.bottom, base::frame_height);
  return view;
}

void take(ObjectView& view, const PoseView& pose) {
  ++view.poses;
  view.poses_in_frame += pose.at_eye || pose.share_in_frame > 0;
  view.poses_at_eye += pose.at_eye;
  view.largest_span_px = std::max(view.largest_span_px, pose.span_px);
  view.best_share_in_frame = std::max(view.best_share_in_frame, pose.share_in_frame);
}

// "in the frame at 192 of 192 poses, 151.7 pixels across at most, at best 100% of it within the frame",
// the size left out when no pose had it wholly in front of the eye.
std::string figures(const ObjectView& view) {
  char text[200];
  std::snprintf(text, sizeof text, "in the frame at %d of %d poses", view.poses_in_frame, view.poses);
  std::string line = text;
  if (view.poses_at_eye > 0) line += ", reaching the eye at " + std::to_string(view.poses_at_eye);
  if (view.poses_at_eye == view.poses) return line;
  std::snprintf(text, sizeof text, ", %.1f pixels across at most, at best %.0f%% of it within the frame",
                view.largest_span_px, view.best_share_in_frame * 100);
  return line + text;
}

// Why a viewer sees nothing of it; empty when the intro shows it.
std::string why_unseen(const ObjectView& view) {
  if (view.poses_in_frame == 0) return "it never comes within the frame";
  if (view.best_share_in_frame < min_share_in_frame) {
    return "too large: less than " + std::to_string(static_cast<int>(min_share_in_frame * 100)) +
           "% of it lies within the frame at any pose";
  }
  if (view.largest_span_px < min_span_px) {
    return "too small: a speck under " + std::to_string(static_cast<int>(min_span_px)) + " pixels across";
  }
  return "";
}

}  // namespace

ObjectView view_of(const Object3D& object) {
  const std::vector<std::int32_t> vertices = drawn_vertices(object);
  engine3d::Camera camera;
  engine3d::place_intro_camera(camera);
  // The poses are taken by copies that hold no mesh: posing reads and writes only the matrices.
  auto posed = std::make_unique<engine3d::IntroObjects>();
  posed->first.scale = posed->second.scale = object.scale;
  ObjectView view;
  for (std::uint32_t ms = 0; ms <= sampled_ms; ms += pose_step_ms) {
    engine3d::pose_intro_objects(*posed, ms);
    for (const Object3D* copy : {&posed->first, &posed->second}) {
      take(view, view_at_pose(*copy, object, vertices, camera));
    }
  }
  const std::string why = why_unseen(view);
  view.seen = why.empty();
  view.verdict = (view.seen ? "the intro shows it: " : "the intro shows nothing of it: " + why + "; ") + figures(view);
  return view;
}

std::string unseen_object_text(std::string_view text) {
  auto object = std::make_unique<Object3D>();
  if (!engine3d::parse_object(text, *object).loaded()) return "";
  const ObjectView view = view_of(*object);
  return view.seen ? "" : view.verdict;
}

}  // namespace tools
