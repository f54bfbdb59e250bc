// zarn-tool obj check and obj render.
#include "tools/object/obj_command.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "base/frame_geometry.h"
#include "base/load_result.h"
#include "engine3d/intro_objects.h"
#include "engine3d/object_loader.h"
#include "engine3d/rasterizer.h"
#include "tools/cli/command_line.h"
#include "tools/object/object_report.h"
#include "tools/object/object_view.h"
#include "tools/files/output_file.h"
#include "tools/files/png_file.h"
#include "tools/cli/tool_command.h"

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

int check(const std::string& path) {
  auto object = std::make_unique<engine3d::Object3D>();
  if (!read_for_check(path.c_str(), *object)) return exit_failure;
  const ObjectReport report = inspect_object(*object);
  std::printf("%s: %d vertices, %d faces\n", path.c_str(), object->vertex_count(), object->face_count());
  std::printf("bounds: x %g to %g, y %g to %g, z %g to %g\n", report.low.x, report.high.x, report.low.y,
              report.high.y, report.low.z, report.high.z);
  std::printf("open edges: %lld\n", static_cast<long long>(report.open_edges));
  std::printf("edges of more than two faces: %lld\n", static_cast<long long>(report.overshared_edges));
  print_faces("faces turned inside out", report.inside_out_faces);
  print_faces("faces with no area (the intro refuses the file)", report.faces_without_normal);
  for (const std::string& defect : report.defects) std::printf("  %s\n", defect.c_str());
  const ObjectView view = view_of(*object);
  std::printf("%s\n", view.verdict.c_str());
  const bool ships = report.ships() && view.seen;
  std::printf("%s\n", ships ? "ok" : "not ready to ship");
  return ships ? exit_ok : exit_failure;
}

struct RenderOptions {
  std::string object;
  std::string out;
  std::string texture;  // none when empty
  std::int64_t time_ms = 0;
};

int render(const RenderOptions& options) {
  const auto time_ms = static_cast<std::uint32_t>(options.time_ms);
  auto objects = std::make_unique<engine3d::IntroObjects>();
  const base::LoadResult result = engine3d::load_intro_objects(*objects, options.object.c_str(), nullptr);
  if (!result.loaded()) {
    std::fprintf(stderr, "zarn-tool obj render: %s\n", result.reason.c_str());
    return exit_failure;
  }
  const char* texture = options.texture.c_str();
  if (!options.texture.empty() && !(engine3d::load_object_shades(objects->first, texture) &&
                                    engine3d::load_object_shades(objects->second, texture))) {
    std::fprintf(stderr, "zarn-tool obj render: %s is not an 8-bit bitmap of 258 bytes or more; drawing in grey\n",
                 texture);
  }
  if (!engine3d::allocate_depth_buffer()) {
    std::fprintf(stderr, "zarn-tool obj render: no memory for the depth buffer\n");
    return exit_failure;
  }
  engine3d::Camera camera;
  engine3d::place_intro_camera(camera);
  std::vector<std::uint16_t> frame(base::frame_pixel_count, 0);
  engine3d::draw_intro_objects(*objects, frame.data(), time_ms, camera);
  std::string failure;
  if (!write_png_rgb565(options.out, frame.data(), base::frame_width, base::frame_height, failure)) {
    std::fprintf(stderr, "zarn-tool obj render: %s\n", failure.c_str());
    return exit_failure;
  }
  int drawn = 0;
  for (std::uint16_t pixel : frame) drawn += pixel != 0;
  // A picture on standard output leaves the report to stderr.
  std::fprintf(options.out == standard_stream_path ? stderr : stdout, "%s: both objects at %u ms, %d pixels drawn\n",
               options.out.c_str(), time_ms, drawn);
  return exit_ok;
}

void define_check(CLI::App& obj, CommandRun& run) {
  CLI::App* command = obj.add_subcommand(
      "check",
      "checks a 3D object file as the intro reads it (exit 1 if refused, open, turned inside out or unseen)");
  auto path = std::make_shared<std::string>();
  command->add_option("FILE", *path, "the object file")->required();
  run_on_request(*command, run, path, check);
}

void define_render(CLI::App& obj, CommandRun& run) {
  CLI::App* command =
      obj.add_subcommand("render", "draws both objects as the intro shows them at a time, in grey or with a texture");
  auto options = std::make_shared<RenderOptions>();
  command->add_option("FILE", options->object, "the object file")->required();
  command->add_option("OUT.png", options->out, "the picture to write (- for standard output)")->required();
  add_whole_number_option(*command, "--time", options->time_ms, 0, UINT32_MAX,
                          "milliseconds on the intro's clock (default 0)")
      ->type_name("MS");
  command->add_option("--texture", options->texture, "an 8-bit bitmap whose palette colours the objects")
      ->type_name("BMP");
  run_on_request(*command, run, options, render);
}

void define_obj(CLI::App& command, CommandRun& run) {
  command.require_subcommand(1);
  define_check(command, run);
  define_render(command, run);
}

}  // namespace

const Command obj_command = {"obj", "checks a 3D object file, or draws it as the intro shows it", define_obj};


}  // namespace tools
