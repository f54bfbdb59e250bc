// Generating the default asset set.
#include "tools/assets/asset_set.h"

#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "tools/assets/contact_sheet.h"
#include "tools/assets/font_sheets.h"
#include "tools/assets/mesh.h"
#include "tools/assets/music_score.h"
#include "tools/assets/pictures.h"
#include "tools/assets/texts.h"
#include "tools/command_line.h"
#include "tools/file_bytes.h"
#include "tools/tool_command.h"

namespace tools::assets {
namespace {

bool write_file(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes, std::FILE* progress) {
  std::string failure;
  if (!write_file_bytes(path.string(), bytes, failure)) {
    std::fprintf(stderr, "zarn-tool assets: %s\n", failure.c_str());
    return false;
  }
  std::fprintf(progress, "%8zu  %s\n", bytes.size(), path.c_str());
  return true;
}

std::vector<std::uint8_t> bytes_of(const std::string& text) { return {text.begin(), text.end()}; }

}  // namespace

bool generate_assets(const std::filesystem::path& dir, std::FILE* progress) {
  std::error_code error;
  std::filesystem::create_directories(dir, error);
  if (error) {
    std::fprintf(stderr, "zarn-tool assets: cannot make %s: %s\n", dir.c_str(), error.message().c_str());
    return false;
  }
  const auto logo = make_logo();
  const auto banner = make_banner();
  const auto credits = make_credits();
  const auto large_font = make_large_font_sheet();
  const auto small_font = make_small_font_sheet();
  if (!logo || !banner || !credits || !large_font || !small_font) {
    std::fprintf(stderr, "zarn-tool assets: cannot read the DejaVu fonts (Debian package fonts-dejavu-core)\n");
    return false;
  }
  const IndexedImage blob = make_blob();
  const Mesh knot = make_knot_mesh();
  if (const std::string problem = mesh_problem(knot); !problem.empty()) {
    std::fprintf(stderr, "zarn-tool assets: the knot mesh is broken: %s\n", problem.c_str());
    return false;
  }
  std::vector<std::uint8_t> tune;
  try {
    tune = music::write_xm(make_tune());
  } catch (const std::exception& fault) {
    std::fprintf(stderr, "zarn-tool assets: the tune cannot be composed: %s\n", fault.what());
    return false;
  }
  const bool written =
      write_file(dir / "logo.bmp", encode_bmp8(*logo), progress) &&
      write_file(dir / "blob.bmp", encode_bmp8(blob), progress) &&
      write_file(dir / "zarn.bmp", encode_bmp8(*banner), progress) &&
      write_file(dir / "credits.bmp", encode_bmp8(*credits), progress) &&
      write_file(dir / "chars.bmp", encode_bmp8(*large_font), progress) &&
      write_file(dir / "chars2.bmp", encode_bmp8(*small_font), progress) &&
      write_file(dir / "zarn.dat", bytes_of(make_script()), progress) &&
      write_file(dir / "3d-obj.3d", bytes_of(object_file_text(knot)), progress) &&
      write_file(dir / "ZARN.NFO", make_nfo(), progress) &&
      write_file(dir / "music.xm", tune, progress);
  if (!written) return false;
  const SheetPictures pictures{*logo, *banner, *credits, blob, *large_font, *small_font};
  return write_file(dir / "preview.png", make_contact_sheet(pictures), progress);
}

namespace {

int make_assets(const std::string& folder) { return generate_assets(folder, stdout) ? exit_ok : exit_failure; }

void define_assets(CLI::App& command, CommandRun& run) {
  auto folder = std::make_shared<std::string>();
  command.add_option("OUTDIR", *folder, "the folder to make them in")->required();
  run_on_request(command, run, folder, make_assets);
}

}  // namespace

const Command assets_command = {"assets", "makes the default asset set (pictures, fonts, script, object, NFO)",
                                define_assets};

}  // namespace tools::assets
