// Reading a group's kit with toml++.
#include "tools/kit/kit_file.h"

#include <toml++/toml.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <memory>

#include "base/asset_files.h"
#include "base/load_result.h"
#include "engine3d/object_loader.h"
#include "music/xm_loader.h"
#include "shell/nfo_check.h"
#include "tools/nfo/code_page_437.h"
#include "tools/cli/message_text.h"
#include "tools/files/input_file.h"
#include "tools/image/image_import.h"
#include "tools/object/object_import.h"
#include "tools/object/object_report.h"
#include "tools/object/object_view.h"

namespace tools::kit {
namespace {

namespace fs = std::filesystem;
using assets::AssetRecipe;

// What a key holds: text, a file's path (relative to the kit), a list of colours, or a shade 1..15.
enum class Kind { text, path, colours, shade };

struct KnownKey {
  const char* section;
  const char* name;
  Kind kind;
};

// Every key a kit may hold. Anything else is a mistake the group wants to hear about (a misspelt key
// would otherwise leave the default in place without a word).
constexpr KnownKey known_keys[] = {
    {"logo", "lettering", Kind::text},        {"logo", "tagline", Kind::text},
    {"logo", "image", Kind::path},            {"banner", "lettering", Kind::text},
    {"banner", "subtitle", Kind::text},       {"banner", "image", Kind::path},
    {"credits", "text", Kind::text},          {"credits", "image", Kind::path},
    {"blob", "image", Kind::path},            {"colours", "logo", Kind::colours},
    {"colours", "chrome", Kind::colours},     {"colours", "credits", Kind::colours},
    {"colours", "gold", Kind::colours},       {"colours", "scroll_font_top", Kind::shade},
    {"colours", "scroll_font_foot", Kind::shade}, {"scroll", "greetings", Kind::text},
    {"scroll", "credits", Kind::text},        {"nfo", "text", Kind::text},
    {"nfo", "file", Kind::path},              {"music", "file", Kind::path},
    {"object", "file", Kind::path},
};

constexpr std::size_t max_colour_stops = 16;
// The TOML parser's own account of a syntax error, as much of it as a message shows.
constexpr std::size_t toml_error_most_characters = 160;

const char* kind_words(Kind kind) {
  switch (kind) {
    case Kind::text: return "text in quotes";
    case Kind::path: return "a file name in quotes";
    case Kind::colours: return "a list of colours such as [\"#141e5a\", \"#ffffff\"]";
    case Kind::shade: return "a whole number from 1 to 15";
  }
  return "";
}

bool holds_kind(const toml::node& node, Kind kind) {
  switch (kind) {
    case Kind::text:
    case Kind::path: return node.is_string();
    case Kind::colours: return node.is_array();
    case Kind::shade: return node.is_integer();
  }
  return false;
}

const char* type_words(const toml::node& node) {
  switch (node.type()) {
    case toml::node_type::table: return "a table";
    case toml::node_type::array: return "a list";
    case toml::node_type::string: return "text";
    case toml::node_type::integer: return "a whole number";
    case toml::node_type::floating_point: return "a decimal number";
    case toml::node_type::boolean: return "true or false";
    default: return "a date or time";
  }
}

int line_of(const toml::node& node) { return static_cast<int>(node.source().begin.line); }

// Says one line of what was done on `progress`, when there is one to say it on.
void say(std::FILE* progress, const std::string& line) {
  if (progress) std::fprintf(progress, "%s\n", line.c_str());
}

bool lies_within(const fs::path& path, const fs::path& folder) {
  const fs::path relative = path.lexically_relative(folder);
  return !relative.empty() && *relative.begin() != "..";
}

// Reads one kit into one recipe; the first problem stops it.
class KitReader {
 public:
  KitReader(const toml::table& root, fs::path folder, std::FILE* progress, KitProblem& problem)
      : root_(root), folder_(std::move(folder)), progress_(progress), problem_(problem) {}

  bool read(Kit& kit) {
    AssetRecipe& recipe = kit.recipe;
    const bool read = keys_are_known() && read_logo(recipe) && read_banner(recipe) && read_credits(recipe) &&
                      read_blob(recipe) && read_colours(recipe) && read_scroll(recipe) && read_nfo(recipe) &&
                      read_music(recipe) && read_object(recipe);
    kit.inputs.insert(kit.inputs.end(), inputs_.begin(), inputs_.end());
    return read;
  }

 private:
  bool fail(const std::string& key, int line, const std::string& why) {
    problem_ = {key, line, why};
    return false;
  }

  bool keys_are_known() {
    for (const auto& [section, node] : root_) {
      const std::string name(section.str());
      const toml::table* table = node.as_table();
      const bool known = std::any_of(std::begin(known_keys), std::end(known_keys),
                                     [&](const KnownKey& k) { return name == k.section; });
      if (!known) return fail(cut_for_message(name), line_of(node), "unknown key");
      if (!table) return fail(name, line_of(node), "must be a table ([" + name + "]), not " + type_words(node));
      for (const auto& [key, value] : *table) {
        if (!key_is_known(name, std::string(key.str()), value)) return false;
      }
    }
    return true;
  }

  bool key_is_known(const std::string& section, const std::string& key, const toml::node& value) {
    const std::string full = cut_for_message(section + "." + key);
    for (const KnownKey& k : known_keys) {
      if (section != k.section || key != k.name) continue;
      if (holds_kind(value, k.kind)) return true;
      return fail(full, line_of(value), std::string("must be ") + kind_words(k.kind) + ", not " + type_words(value));
    }
    return fail(full, line_of(value), "unknown key");
  }

  const toml::node* find(const char* section, const char* key) const {
    const toml::table* table = root_[section].as_table();
    return table ? table->get(key) : nullptr;
  }

  // The text at section.key, if the kit has it.
  std::optional<std::string> text(const char* section, const char* key) const {
    const toml::node* node = find(section, key);
    if (!node) return std::nullopt;
    return node->value<std::string>();
  }

  std::string full_key(const char* section, const char* key) const { return std::string(section) + "." + key; }
  int line(const char* section, const char* key) const {
    const toml::node* node = find(section, key);
    return node ? line_of(*node) : 0;
  }

  // A picture's lettering at section.key into `into`, checked against the picture; false after a problem.
  bool lettering(const char* section, const char* key, std::string& into,
                 const std::function<std::string(const std::string&)>& problem_of) {
    const auto value = text(section, key);
    if (!value) return true;
    if (const std::string why = problem_of(*value); !why.empty()) return fail(full_key(section, key), line(section, key), why);
    into = *value;
    return true;
  }

  // The picture of a slot from the kit's image key, if it has one; `lettering_keys` may not be given too.
  bool picture(const char* section, ImageSlot slot, std::initializer_list<const char*> lettering_keys,
               const std::vector<Rgb888>& gold, std::optional<IndexedImage>& into) {
    const auto path = text(section, "image");
    if (!path) return true;
    for (const char* key : lettering_keys) {
      if (find(section, key)) {
        return fail(full_key(section, "image"), line(section, "image"),
                    std::string("given with ") + section + "." + key + ": the picture replaces the lettering, keep one");
      }
    }
    const auto bytes = file_of(section, "image", picture_input);
    if (!bytes) return false;
    std::string failure;
    const auto imported = import_image(*bytes, cut_for_message(*path), slot, gold, failure);
    if (!imported) return fail(full_key(section, "image"), line(section, "image"), failure);
    say(progress_, imported->summary);
    into = imported->picture;
    return true;
  }

  // The bytes of the file named at section.key, found from the kit's folder, at most `limit` of them. A
  // kit is shared between people: building one must read no file of the builder's own, so a file the kit
  // names lies in the kit's folder or below it, also when a symbolic link on the way points elsewhere.
  std::optional<std::vector<std::uint8_t>> file_of(const char* section, const char* key, InputLimit limit) {
    const std::string name = *text(section, key);
    const fs::path path = folder_ / name;
    const std::string shown = cut_for_message(name);
    if (fs::path(name).has_root_path()) {
      fail(full_key(section, key), line(section, key),
           shown + " is an absolute path; a kit names only files in its own folder or below it");
      return std::nullopt;
    }
    const auto folder = resolved_path(folder_), file = resolved_path(path);
    if (folder && file && !lies_within(*file, *folder)) {
      fail(full_key(section, key), line(section, key),
           shown + " lies outside the kit's folder; a kit names only files in its own folder or below it");
      return std::nullopt;
    }
    std::string failure;
    auto bytes = read_input_file(path.string(), limit, failure);
    // Where the links cannot be followed the read fails too (a loop); a file read all the same is not
    // taken, as where it lies cannot be told.
    if (bytes && !(folder && file)) {
      bytes.reset();
      failure = "cannot tell where " + shown + " lies";
    }
    if (!bytes) {
      fail(full_key(section, key), line(section, key), failure);
      return std::nullopt;
    }
    say(progress_, "read " + shown + " (" + std::to_string(bytes->size()) + " bytes)");
    inputs_.push_back(*file);
    return bytes;
  }

  bool read_logo(AssetRecipe& recipe) {
    return lettering("logo", "lettering", recipe.logo.lettering,
                     [](const std::string& t) { return assets::logo_lettering_problem(t, false); }) &&
           lettering("logo", "tagline", recipe.logo.tagline,
                     [](const std::string& t) { return assets::logo_lettering_problem(t, true); }) &&
           picture("logo", ImageSlot::logo, {"lettering", "tagline"}, {}, recipe.logo_picture);
  }

  bool read_banner(AssetRecipe& recipe) {
    return lettering("banner", "lettering", recipe.banner.lettering,
                     [](const std::string& t) { return assets::banner_lettering_problem(t, false); }) &&
           lettering("banner", "subtitle", recipe.banner.subtitle,
                     [](const std::string& t) { return assets::banner_lettering_problem(t, true); }) &&
           picture("banner", ImageSlot::banner, {"lettering", "subtitle"}, {}, recipe.banner_picture);
  }

  // The gold is read before the strip, since an imported strip carries the gold rule too.
  bool read_credits(AssetRecipe& recipe) {
    if (!colour_list("gold", recipe.credits.gold, false)) return false;
    return lettering("credits", "text", recipe.credits.text, assets::credits_text_problem) &&
           picture("credits", ImageSlot::credits, {"text"}, recipe.credits.gold, recipe.credits_picture);
  }

  bool read_blob(AssetRecipe& recipe) { return picture("blob", ImageSlot::blob, {}, {}, recipe.blob_picture); }

  // A colour list at colours.key into `into`: two to sixteen "#rrggbb" stops, each at least as bright as
  // the one before when `rising`.
  bool colour_list(const char* key, std::vector<Rgb888>& into, bool rising) {
    const toml::node* node = find("colours", key);
    if (!node) return true;
    const toml::array& list = *node->as_array();
    const std::string full = full_key("colours", key);
    if (list.size() < 2 || list.size() > max_colour_stops) {
      return fail(full, line_of(*node), "needs from 2 to " + std::to_string(max_colour_stops) + " colours");
    }
    std::vector<Rgb888> stops;
    for (const toml::node& item : list) {
      const auto colour = colour_of(item);
      if (!colour) return fail(full, line_of(item), "each colour is \"#rrggbb\" (six hexadecimal digits)");
      if (rising && !stops.empty() && brightness(*colour) < brightness(stops.back())) {
        return fail(full, line_of(item),
                    "each colour must be at least as bright (red + green + blue) as the one before: the lit logo "
                    "reads the relief from the palette's brightness");
      }
      stops.push_back(*colour);
    }
    into = stops;
    return true;
  }

  static int brightness(Rgb888 c) { return c.r + c.g + c.b; }

  static std::optional<Rgb888> colour_of(const toml::node& item) {
    const auto text = item.value<std::string>();
    if (!text || text->size() != 7 || (*text)[0] != '#') return std::nullopt;
    for (std::size_t i = 1; i < 7; ++i) {
      if (!std::isxdigit(static_cast<unsigned char>((*text)[i]))) return std::nullopt;
    }
    const unsigned long value = std::stoul(text->substr(1), nullptr, 16);
    return Rgb888{static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 8),
               static_cast<std::uint8_t>(value)};
  }

  bool shade(const char* key, int& into) {
    const toml::node* node = find("colours", key);
    if (!node) return true;
    const std::int64_t value = node->as_integer()->get();
    if (value < 1 || value > 15) return fail(full_key("colours", key), line_of(*node), "must be from 1 to 15");
    into = static_cast<int>(value);
    return true;
  }

  bool read_colours(AssetRecipe& recipe) {
    return colour_list("logo", recipe.logo.colours, true) && colour_list("chrome", recipe.banner.chrome, false) &&
           colour_list("credits", recipe.credits.chrome, false) && shade("scroll_font_top", recipe.scroll_font.top) &&
           shade("scroll_font_foot", recipe.scroll_font.foot);
  }

  bool scroll_line(const char* key, std::string& into) {
    const auto value = text("scroll", key);
    if (!value) return true;
    if (const std::string why = assets::scroll_text_problem(*value); !why.empty()) {
      return fail(full_key("scroll", key), line("scroll", key), why);
    }
    into = *value;
    return true;
  }

  bool read_scroll(AssetRecipe& recipe) {
    return scroll_line("greetings", recipe.greetings) && scroll_line("credits", recipe.credits_line);
  }

  bool read_nfo(AssetRecipe& recipe) {
    const bool inline_text = find("nfo", "text") != nullptr;
    const bool from_file = find("nfo", "file") != nullptr;
    if (inline_text && from_file) return fail("nfo.file", line("nfo", "file"), "given with nfo.text: keep one");
    if (!inline_text && !from_file) return true;
    const char* key = inline_text ? "text" : "file";
    std::string utf8;
    if (inline_text) {
      utf8 = *text("nfo", "text");
    } else {
      const auto bytes = file_of("nfo", "file", nfo_text_input);
      if (!bytes) return false;
      utf8.assign(bytes->begin(), bytes->end());
    }
    Cp437Problem problem;
    auto cp437 = nfo_bytes_of_utf8(utf8, problem);
    if (!cp437) return fail(full_key("nfo", key), line("nfo", key), conversion_words(problem));
    if (cp437->size() + shell::nfo_trailer_size > static_cast<std::size_t>(shell::nfo_max_bytes)) {
      return fail(full_key("nfo", key), line("nfo", key), "is over 1 MiB, and the intro fails such an NFO unread");
    }
    recipe.nfo_text = std::move(*cp437);
    return true;
  }

  static std::string conversion_words(const Cp437Problem& problem) {
    const std::string where = "line " + std::to_string(problem.line) + " of the text";
    if (problem.character == 0) return where + " is not UTF-8";
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(problem.character));
    return where + ", column " + std::to_string(problem.column) + ": '" + encode_utf8(problem.character) + "' (" +
           code + ") has no place in code page 437, the NFO's character set";
  }

  bool read_music(AssetRecipe& recipe) {
    if (!find("music", "file")) return true;
    auto bytes = file_of("music", "file", module_input);
    if (!bytes) return false;
    // Loaded as the intro loads it: a module the intro refuses would leave the intro silent.
    base::LoadResult result;
    const music::OwnedModule module = music::load_module(*bytes, result);
    if (!module) return fail("music.file", line("music", "file"), "the intro's loader refuses it: " + result.reason);
    say(progress_, cut_for_message(*text("music", "file")) + ": loads as the intro loads it");
    recipe.music = std::move(*bytes);
    return true;
  }

  static bool ends_with(std::string name, const char* suffix) {
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    const std::string s(suffix);
    return name.size() >= s.size() && name.compare(name.size() - s.size(), s.size(), s) == 0;
  }

  bool read_object(AssetRecipe& recipe) {
    if (!find("object", "file")) return true;
    const std::string file = *text("object", "file");
    const std::string name = cut_for_message(file);
    if (!ends_with(file, ".obj") && !ends_with(file, ".3d")) {
      return fail("object.file", line("object", "file"), "must name a Wavefront model (.obj) or an object file (.3d)");
    }
    const bool wavefront = ends_with(file, ".obj");
    const auto bytes = file_of("object", "file", wavefront ? obj_model_input : object_file_input);
    if (!bytes) return false;
    const std::string content(bytes->begin(), bytes->end());
    const bool taken = wavefront ? obj_model(name, content, recipe) : object_file(name, content, recipe);
    return taken && shown_by_intro(name, *recipe.object_text);
  }

  // An object the intro's camera shows nothing of (a speck, a clipped close-up, off the frame) is refused.
  bool shown_by_intro(const std::string& name, const std::string& object_text) {
    const std::string unseen = unseen_object_text(object_text);
    return unseen.empty() || fail("object.file", line("object", "file"), name + ": " + unseen);
  }

  bool obj_model(const std::string& name, const std::string& content, AssetRecipe& recipe) {
    std::vector<std::string> report;
    auto imported = import_object(content, name, report);
    if (!imported) {
      std::string why;
      for (std::size_t i = 0; i < report.size(); ++i) why += (i ? "; " : "") + report[i];
      return fail("object.file", line("object", "file"), why);
    }
    for (const std::string& said : report) say(progress_, said);
    recipe.object_text = std::move(*imported);
    return true;
  }

  // An object file is taken as it is, once the intro's parser and the obj check pass it.
  bool object_file(const std::string& name, const std::string& content, AssetRecipe& recipe) {
    auto object = std::make_unique<engine3d::Object3D>();
    const base::LoadResult parsed = engine3d::parse_object(content, *object);
    if (!parsed.loaded()) return fail("object.file", line("object", "file"), name + ": " + parsed.reason);
    if (!inspect_object(*object).ships()) {
      return fail("object.file", line("object", "file"),
                  name + " is open, inside out or has faces with no area (zarn-tool obj check " + name + " says where)");
    }
    recipe.object_text = content;
    return true;
  }

  const toml::table& root_;
  fs::path folder_;
  std::FILE* progress_;
  KitProblem& problem_;
  std::vector<fs::path> inputs_;  // every file read so far, with its links followed
};

}  // namespace

std::string problem_line(const fs::path& kit, const KitProblem& problem) {
  std::string line = cut_for_message(kit.string());
  if (problem.line > 0) line += " line " + std::to_string(problem.line);
  return line + ", " + problem.key + ": " + problem.why;
}

std::optional<Kit> read_kit_text(std::string_view text, const fs::path& path, std::FILE* progress,
                                 KitProblem& problem) {
  toml::table root;
  try {
    root = toml::parse(text, path.string());
  } catch (const toml::parse_error& error) {
    // The parser's words may quote the bad text, line break and all: cut, they stay on one line.
    problem = {"TOML", static_cast<int>(error.source().begin.line),
               cut_for_message(error.description(), toml_error_most_characters)};
    return std::nullopt;
  }
  Kit kit;
  KitReader reader(root, path.parent_path(), progress, problem);
  if (!reader.read(kit)) return std::nullopt;
  return kit;
}

std::optional<Kit> read_kit(const fs::path& path, std::FILE* progress, KitProblem& problem) {
  std::string failure;
  const auto bytes = read_input_file(path.string(), kit_file_input, failure);
  const auto canonical = resolved_path(path);
  if (!bytes || !canonical) {
    problem = {"kit", 0, bytes ? "cannot tell where " + cut_for_message(path.string()) + " lies" : failure};
    return std::nullopt;
  }
  say(progress, "read " + cut_for_message(path.string()) + " (" + std::to_string(bytes->size()) + " bytes)");
  auto kit = read_kit_text(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()), path,
                           progress, problem);
  if (kit) kit->inputs.insert(kit->inputs.begin(), *canonical);
  return kit;
}

}  // namespace tools::kit
