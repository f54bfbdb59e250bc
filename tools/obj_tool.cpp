// zarn-tool obj check and obj render.
#include "tools/obj_tool.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "base/frame_geometry.h"
#include "base/load_result.h"
#include "engine3d/intro_objects.h"
#include "engine3d/object_loader.h"
#include "engine3d/rasterizer.h"
#include "tools/number_arguments.h"
#include "tools/object_report.h"
#include "tools/output_file.h"
#include "tools/png_file.h"
#include "tools/tool_command.h"

namespace tools {
namespace {

// How many face numbers a line of the check lists before it stops.
constexpr std::size_t listed_faces = 10;

void print_faces(const char* what, const std::vector<std::int32_t>& faces) {
  std::printf("%s: %zu", what, faces.size());
  for (std::size_t n = 0; n < faces.size() && n < listed_faces; ++n) std::printf("%s%d", n ? ", " : " (faces ", faces[n]);
  if (!faces.empty()) std::printf("%s)", faces.size() > listed_faces ? ", ..." : "");
  std::printf("\n");
}

// Reads the file as the loader does, but keeps faces without a normal so that the check can list them.
bool read_for_check(const char* path, engine3d::Object3D& object) {
  std::string text;
  base::LoadResult result = engine3d::read_object_file(path, text);
  if (result.loaded()) result = engine3d::parse_object(text, object);
  if (!result.loaded()) std::fprintf(stderr, "zarn-tool obj check: %s: %s\n", path, result.reason.c_str());
  return result.loaded();
}

int check_main(int argc, char** argv) {
  if (argc != 1) {
    std::fprintf(stderr, "usage: zarn-tool obj check FILE\n");
    return exit_usage;
  }
  auto object = std::make_unique<engine3d::Object3D>();
  if (!read_for_check(argv[0], *object)) return exit_failure;
  const ObjectReport report = inspect_object(*object);
  std::printf("%s: %d vertices, %d faces\n", argv[0], object->vertex_count(), object->face_count());
  std::printf("bounds: x %g to %g, y %g to %g, z %g to %g\n", report.low.x, report.high.x, report.low.y,
              report.high.y, report.low.z, report.high.z);
  std::printf("open edges: %lld\n", static_cast<long long>(report.open_edges));
  std::printf("edges of more than two faces: %lld\n", static_cast<long long>(report.overshared_edges));
  print_faces("faces turned inside out", report.inside_out_faces);
  print_faces("faces with no area (the intro refuses the file)", report.faces_without_normal);
  for (const std::string& defect : report.defects) std::printf("  %s\n", defect.c_str());
  std::printf("%s\n", report.ships() ? "ok" : "not ready to ship");
  return report.ships() ? exit_ok : exit_failure;
}

struct RenderOptions {
  const char* object = nullptr;
  const char* out = nullptr;
  const char* texture = nullptr;
  std::uint32_t time_ms = 0;
};

// Digits and nothing else, no sign or space, that fit in 32 bits.
bool parse_time(const char* text, std::uint32_t& ms) {
  std::int64_t n = 0;
  if (!parse_whole_number(text, 0, UINT32_MAX, n)) return false;
  ms = static_cast<std::uint32_t>(n);
  return true;
}

// Fills `options`; false (after saying why) when the command line is wrong.
bool parse_render_options(int argc, char** argv, RenderOptions& options) {
  std::vector<const char*> files;
  for (int i = 0; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg != "--time" && arg != "--texture") {
      files.push_back(argv[i]);
      continue;
    }
    if (i + 1 >= argc) {
      std::fprintf(stderr, "zarn-tool obj render: %s needs a value\n", arg.c_str());
      return false;
    }
    const char* value = argv[++i];
    if (arg == "--texture") options.texture = value;
    if (arg == "--time" && !parse_time(value, options.time_ms)) {
      std::fprintf(stderr, "zarn-tool obj render: --time takes milliseconds from 0 to 4294967295, not '%s'\n", value);
      return false;
    }
  }
  if (files.size() != 2) {
    std::fprintf(stderr, "usage: zarn-tool obj render FILE OUT.png [--time MS] [--texture BMP]\n");
    return false;
  }
  options.object = files[0];
  options.out = files[1];
  return true;
}

int render_main(int argc, char** argv) {
  RenderOptions options;
  if (!parse_render_options(argc, argv, options)) return exit_usage;
  auto objects = std::make_unique<engine3d::IntroObjects>();
  const base::LoadResult result = engine3d::load_intro_objects(*objects, options.object, nullptr);
  if (!result.loaded()) {
    std::fprintf(stderr, "zarn-tool obj render: %s\n", result.reason.c_str());
    return exit_failure;
  }
  if (options.texture && !(engine3d::load_object_shades(objects->first, options.texture) &&
                           engine3d::load_object_shades(objects->second, options.texture))) {
    std::fprintf(stderr, "zarn-tool obj render: %s is not an 8-bit bitmap of 258 bytes or more; drawing in grey\n",
                 options.texture);
  }
  if (!engine3d::allocate_depth_buffer()) {
    std::fprintf(stderr, "zarn-tool obj render: no memory for the depth buffer\n");
    return exit_failure;
  }
  engine3d::Camera camera;
  engine3d::place_intro_camera(camera);
  std::vector<std::uint16_t> frame(base::frame_pixel_count, 0);
  engine3d::draw_intro_objects(*objects, frame.data(), options.time_ms, camera);
  std::string failure;
  if (!write_png_rgb565(options.out, frame.data(), base::frame_width, base::frame_height, failure)) {
    std::fprintf(stderr, "zarn-tool obj render: %s\n", failure.c_str());
    return exit_failure;
  }
  int drawn = 0;
  for (std::uint16_t pixel : frame) drawn += pixel != 0;
  // A picture on standard output leaves the report to stderr.
  std::fprintf(std::strcmp(options.out, standard_stream_path) == 0 ? stderr : stdout,
               "%s: both objects at %u ms, %d pixels drawn\n", options.out, options.time_ms, drawn);
  return exit_ok;
}

}  // namespace

int obj_main(int argc, char** argv) {
  if (argc >= 1 && std::strcmp(argv[0], "check") == 0) return check_main(argc - 1, argv + 1);
  if (argc >= 1 && std::strcmp(argv[0], "render") == 0) return render_main(argc - 1, argv + 1);
  std::fprintf(stderr, "usage: zarn-tool obj check FILE | obj render FILE OUT.png [--time MS] [--texture BMP]\n");
  return exit_usage;
}

}  // namespace tools
