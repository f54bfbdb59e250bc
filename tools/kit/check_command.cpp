// Checking a folder as the intro will see it.
#include "tools/kit/check_command.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "base/asset_files.h"
#include "base/frame_geometry.h"
#include "base/image.h"
#include "engine3d/object_loader.h"
#include "engine3d/object_texture.h"
#include "music/xm_loader.h"
#include "scene/bitmap_font.h"
#include "scene/effect_tables.h"
#include "shell/bmp_reader.h"
#include "shell/nfo_check.h"
#include "shell/nfo_screen.h"
#include "shell/script_reader.h"
#include "tools/cli/command_line.h"
#include "tools/files/in_folder.h"
#include "tools/object/object_report.h"
#include "tools/object/object_view.h"

namespace tools {
namespace {

namespace fs = std::filesystem;

// Where the screens draw the pictures, and so the largest each can be before the frame's edge cuts it.
struct DrawnArea {
  int max_width, max_height;
};
constexpr DrawnArea blob_area{30, 120};       // ten blobs with their corners up to column 610, row 360
constexpr DrawnArea banner_area{640, 170};    // at the top of the NFO screen, above its lines at row 170
constexpr DrawnArea credits_area{base::frame_width - shell::credits_strip_x,
                                 base::frame_height - shell::credits_strip_y};
// The glyph sheets hold their cells from the top left: 20 x 3 cells of 16x24, and 40 x 2 cells of 8x14.
constexpr DrawnArea large_sheet{320, 72};
constexpr DrawnArea small_sheet{320, 28};

// A name the intro cannot open (a loop of links among them) is a file that is not present, as the intro
// finds it.
FileCheck row(const char* file, const std::string& reader, const std::string& intro, FileOutcome outcome) {
  std::error_code error;
  return {file, fs::is_regular_file(file, error), reader, intro, outcome};
}

std::string size_words(const base::Image& image) {
  return std::to_string(image.width) + "x" + std::to_string(image.row_count()) + ", " +
         std::to_string(image.bits_per_pixel) + " bits";
}

// The bitmap as load_bmp reads it, or why not; none-empty `image` only when it loaded.
std::string read_bitmap(const char* file, base::Image& image) {
  const base::LoadResult result = shell::read_bmp_file(file, image);
  if (result.status == base::LoadStatus::cannot_open) return "cannot be opened";
  if (!result.loaded()) return "refused: " + result.reason;
  return size_words(image);
}

bool fits(const base::Image& image, DrawnArea area) {
  return image.width <= area.max_width && image.row_count() <= area.max_height;
}

std::string area_words(DrawnArea area) {
  return std::to_string(area.max_width) + "x" + std::to_string(area.max_height);
}

FileCheck check_script() {
  shell::ScriptText script;
  const base::LoadResult result = shell::read_script_file(base::script_file_name, script);
  if (!result.loaded()) {
    return row(base::script_file_name, "cannot be opened", "shows \"Can't find data file zarn.dat\" and ends", FileOutcome::ends);
  }
  const std::string& upper = script.parts[0];
  const std::string& lower = script.parts[1];
  const std::string reader = "script: upper line " + std::to_string(upper.size()) + " characters, lower " +
                             std::to_string(lower.size());
  if (upper.empty() && lower.empty()) {
    return row(base::script_file_name, reader + " (no ZARNSTART on its first line?)", "runs with both scroll lines empty",
               FileOutcome::falls_back);
  }
  scene::create_large_font();
  const auto no_glyph = [](char c) { return c != '\n' && scene::large_font.glyph(static_cast<unsigned char>(c)).width == 0; };
  const auto missing = std::count_if(upper.begin(), upper.end(), no_glyph) + std::count_if(lower.begin(), lower.end(), no_glyph);
  if (missing > 0) {
    return row(base::script_file_name, reader, "scrolls them, leaving out " + std::to_string(missing) +
               " characters the scroll font has no glyph for", FileOutcome::falls_back);
  }
  if (upper.empty() || lower.empty()) {
    return row(base::script_file_name, reader, std::string("scrolls them, the ") + (upper.empty() ? "upper" : "lower") +
               " line empty", FileOutcome::falls_back);
  }
  return row(base::script_file_name, reader, "scrolls them", FileOutcome::as_intended);
}

FileCheck check_music() {
  base::LoadResult result;
  const music::OwnedModule module = music::load_module_file(base::music_file_name, result);
  if (!module) {
    const std::string reader = result.status == base::LoadStatus::cannot_open ? "cannot be opened"
                                                                               : "refused: " + result.reason;
    return row(base::music_file_name, reader, "runs without music", FileOutcome::falls_back);
  }
  return row(base::music_file_name,
             "XM module, " + std::to_string(module->channel_count) + " channels, " +
                 std::to_string(module->song_length) + " orders",
             "plays it from the intro's first frame", FileOutcome::as_intended);
}

FileCheck check_font(const char* file, DrawnArea sheet, const char* drawn) {
  base::Image image;
  const std::string reader = read_bitmap(file, image);
  if (image.empty() || image.bits_per_pixel != 8) {
    return row(file, reader, std::string("draws no ") + drawn + " (the sheet must be an 8-bit bitmap)",
               FileOutcome::falls_back);
  }
  if (image.width < sheet.max_width || image.row_count() < sheet.max_height) {
    return row(file, reader, std::string("draws the ") + drawn + " with the glyphs beyond the sheet missing (it needs " +
               area_words(sheet) + ")", FileOutcome::falls_back);
  }
  return row(file, reader, std::string("draws the ") + drawn + " with it", FileOutcome::as_intended);
}

FileCheck check_logo() {
  base::Image image;
  const std::string reader = read_bitmap(base::logo_file_name, image);
  if (!scene::logo_is_usable(image)) {
    return row(base::logo_file_name, reader, "draws a black logo (it needs 640x480, 8 bits, with a palette)",
               FileOutcome::falls_back);
  }
  return row(base::logo_file_name, reader, "lights it as the bump-mapped logo", FileOutcome::as_intended);
}

// A shaded image: blob.bmp, zarn.bmp, credits.bmp.
FileCheck check_shaded(const char* file, DrawnArea area, const char* drawn) {
  base::Image image;
  const std::string reader = read_bitmap(file, image);
  if (image.empty() || image.bits_per_pixel != 8) {
    return row(file, reader, std::string("draws no ") + drawn + " (it must be an 8-bit bitmap)", FileOutcome::falls_back);
  }
  if (!fits(image, area)) {
    return row(file, reader, std::string("draws the ") + drawn + " cut at the frame's edge (it fits in " +
               area_words(area) + ")", FileOutcome::falls_back);
  }
  return row(file, reader, std::string("draws the ") + drawn, FileOutcome::as_intended);
}

// credits.bmp is also the 3D objects' texture.
FileCheck check_credits() {
  FileCheck strip = check_shaded(base::credits_file_name, credits_area, "credits strip");
  auto object = std::make_unique<engine3d::Object3D>();
  if (!engine3d::load_object_shades(*object, base::credits_file_name)) {
    strip.intro += "; the 3D objects in grey (their colour is pixel byte 257 of an 8-bit strip)";
    strip.outcome = FileOutcome::falls_back;
  }
  return strip;
}

FileCheck check_object() {
  auto object = std::make_unique<engine3d::Object3D>();
  const base::LoadResult result = engine3d::load_object(engine3d::object_file_name, *object);
  if (!result.loaded()) {
    const bool missing = result.status == base::LoadStatus::cannot_open;
    return row(engine3d::object_file_name, missing ? "cannot be opened" : "refused: " + result.reason,
               std::string("shows \"") + engine3d::object_failure_message(result) + "\" and ends", FileOutcome::ends);
  }
  const std::string reader = "object: " + std::to_string(object->vertex_count()) + " vertices, " +
                             std::to_string(object->face_count()) + " faces";
  const std::string flaws = flaws_text(inspect_object(*object));
  if (!flaws.empty()) {
    return row(engine3d::object_file_name, reader + "; " + flaws,
               "draws both objects with holes or faces missing (zarn-tool obj check says where)", FileOutcome::falls_back);
  }
  const ObjectView view = view_of(*object);
  if (!view.seen) return row(engine3d::object_file_name, reader, view.verdict, FileOutcome::falls_back);
  return row(engine3d::object_file_name, reader + ", closed, faces inward", "draws both objects",
             FileOutcome::as_intended);
}

FileCheck check_nfo() {
  const shell::NfoCheckResult result = shell::check_nfo_files();
  const shell::VerdictText& text = shell::verdict_text(result.verdict);
  const std::string verdict = std::string("shows \"") + text.verdict + "\"";
  if (result.verdict == shell::nfo_verdict_missing) {
    return {base::nfo_file_names[0], false, "none of ZARN.NFO, ZARNVEKO.NFO, ZARNQIX.NFO opens", verdict + "; Escape ends it",
            FileOutcome::ends};
  }
  std::string reader = "checksum " + result.computed + ", trailer " + (result.expected.empty() ? "-" : result.expected);
  FileCheck check{result.file, true, reader, verdict, FileOutcome::as_intended};
  if (result.computed.empty()) check.reader = "over 1 MiB: failed unread";
  if (result.verdict == shell::nfo_verdict_passed) {
    check.intro += "; space goes on to the intro";
    return check;
  }
  check.intro += "; Escape ends it (zarn-tool nfo sign " + result.file + " signs it)";
  check.outcome = FileOutcome::ends;
  return check;
}

const char* outcome_mark(FileOutcome outcome) {
  switch (outcome) {
    case FileOutcome::as_intended: return "ok";
    case FileOutcome::falls_back: return "FLAW";
    case FileOutcome::ends: return "ENDS";
  }
  return "";
}

std::size_t widest(const std::vector<FileCheck>& checks, std::string FileCheck::*field, std::size_t heading) {
  std::size_t width = heading;
  for (const FileCheck& c : checks) width = std::max(width, (c.*field).size());
  return width;
}

void print_table(const std::vector<FileCheck>& checks) {
  const int file_width = static_cast<int>(widest(checks, &FileCheck::file, 4));
  const int reader_width = static_cast<int>(widest(checks, &FileCheck::reader, 13));
  std::printf("%-4s  %-*s  %-7s  %-*s  %s\n", "", file_width, "file", "present", reader_width, "the reader",
              "the intro");
  for (const FileCheck& c : checks) {
    std::printf("%-4s  %-*s  %-7s  %-*s  %s\n", outcome_mark(c.outcome), file_width, c.file.c_str(),
                c.present ? "yes" : "no", reader_width, c.reader.c_str(), c.intro.c_str());
  }
}

int check(const std::string& dir) {
  std::error_code error;
  if (!fs::is_directory(dir, error)) {
    std::fprintf(stderr, "zarn-tool check: %s is not a folder\n", dir.c_str());
    return exit_failure;
  }
  std::string cannot_enter;
  const std::vector<FileCheck> checks = check_folder(dir, &cannot_enter);
  if (checks.empty()) {
    std::fprintf(stderr, "zarn-tool check: %s\n", cannot_enter.c_str());
    return exit_failure;
  }
  print_table(checks);
  const bool intended = std::all_of(checks.begin(), checks.end(),
                                    [](const FileCheck& c) { return c.outcome == FileOutcome::as_intended; });
  std::printf("%s\n", intended ? "the intro runs as intended" : "the intro would not run as intended");
  return intended ? exit_ok : exit_failure;
}

void define_check(CLI::App& command, CommandRun& run) {
  auto dir = std::make_shared<std::string>();
  command.add_option("DIR", *dir, "the folder the intro would start from")->required();
  run_on_request(command, run, dir, check);
}

}  // namespace

std::vector<FileCheck> check_folder(const std::string& dir, std::string* cannot_enter) {
  // The checks run from inside the folder: the intro opens its files by bare name from where it starts.
  const InFolder folder(dir);
  if (!folder.entered()) {
    if (cannot_enter) *cannot_enter = folder.failure();
    return {};
  }
  return {check_script(),
          check_music(),
          check_font(base::large_font_file_name, large_sheet, "scroll lines"),
          check_font(base::small_font_file_name, small_sheet, "NFO screen's text"),
          check_logo(),
          check_shaded(base::blob_file_name, blob_area, "blobs"),
          check_shaded(base::banner_file_name, banner_area, "NFO screen's banner"),
          check_credits(),
          check_object(),
          check_nfo()};
}

const Command check_command = {"check", "reads every file of a folder as the intro does and says what it will do",
                               define_check};

}  // namespace tools
