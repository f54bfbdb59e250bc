// zarn-tool import image IN --as SLOT OUT.bmp and import object IN.obj OUT.3d.
#include "tools/kit/import_command.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "tools/assets/pictures.h"
#include "tools/cli/command_line.h"
#include "tools/cli/message_text.h"
#include "tools/files/file_bytes.h"
#include "tools/files/input_file.h"
#include "tools/files/output_file.h"
#include "tools/kit/imported_file.h"
#include "tools/cli/tool_command.h"

namespace tools {
namespace {

struct ImageRequest {
  std::string in;
  std::string slot;
  std::string out;
};

int fail(const char* command, const std::string& why) {
  std::fprintf(stderr, "zarn-tool import %s: %s\n", command, why.c_str());
  return exit_failure;
}

// Where the report goes: stdout, unless the data itself goes there.
std::FILE* report_stream(const std::string& out) { return out == standard_stream_path ? stderr : stdout; }

int image(const ImageRequest& request) {
  std::string failure;
  const auto file = read_input_file(request.in, picture_input, failure);
  if (!file) return fail("image", failure);
  const auto imported = import_picture_file(*file, cut_for_message(request.in), *image_slot_named(request.slot),
                                            assets::CreditsDesign{}.gold, failure);
  if (!imported) return fail("image", failure);
  if (!write_file_bytes(request.out, imported->file.bytes, failure)) return fail("image", failure);
  std::fprintf(report_stream(request.out), "%s\n%s: %dx%d, 8 bits\n", imported->summary.c_str(), request.out.c_str(),
               imported->width, imported->height);
  return exit_ok;
}

struct ObjectRequest {
  std::string in;
  std::string out;
};

int object(const ObjectRequest& request) {
  std::string failure;
  const auto file = read_input_file(request.in, obj_model_input, failure);
  if (!file) return fail("object", failure);
  std::vector<std::string> report;
  const auto made = import_object_file(std::string(file->begin(), file->end()), cut_for_message(request.in), report);
  if (!made) {
    for (const std::string& line : report) fail("object", line);
    return fail("object", request.out + " not written");
  }
  std::FILE* said = report_stream(request.out);
  for (const std::string& line : report) std::fprintf(said, "%s\n", line.c_str());
  if (!write_file_bytes(request.out, made->bytes, failure)) return fail("object", failure);
  std::fprintf(said, "%s: written\n", request.out.c_str());
  return exit_ok;
}

void define_image(CLI::App& import, CommandRun& run) {
  CLI::App* command = import.add_subcommand(
      "image", "makes a PNG or JPEG into the 8-bit bitmap of a picture slot: logo, banner, credits or blob");
  auto request = std::make_shared<ImageRequest>();
  command->add_option("IN", request->in, "the PNG or JPEG picture")->required();
  command->add_option("--as", request->slot, "the slot: logo (logo.bmp), banner (zarn.bmp), credits (credits.bmp), blob (blob.bmp)")
      ->required()
      ->type_name("SLOT")
      ->check(CLI::IsMember({"logo", "banner", "credits", "blob"}));
  command->add_option("OUT.bmp", request->out, "the bitmap to write")->required();
  run_on_request(*command, run, request, image);
}

void define_object(CLI::App& import, CommandRun& run) {
  CLI::App* command = import.add_subcommand(
      "object", "makes a Wavefront OBJ model into the intro's object file: triangulated, centred, scaled, checked");
  auto request = std::make_shared<ObjectRequest>();
  command->add_option("IN.obj", request->in, "the OBJ model")->required();
  command->add_option("OUT.3d", request->out, "the object file to write")->required();
  run_on_request(*command, run, request, object);
}

void define_import(CLI::App& command, CommandRun& run) {
  command.require_subcommand(1);
  define_image(command, run);
  define_object(command, run);
}

}  // namespace

const Command import_command = {"import", "makes a group's own picture or 3D model into a file the intro reads",
                                define_import};

}  // namespace tools
