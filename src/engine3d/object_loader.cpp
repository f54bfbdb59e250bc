// Object file loader and the normals it derives.
#include "engine3d/object_loader.h"

#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <string>
#include <type_traits>
#include <vector>

#include "base/regular_file.h"
#include "engine3d/object_texture.h"

namespace engine3d {
namespace {

// No number we accept is longer; a longer token is refused without being converted.
constexpr std::size_t max_number_length = 64;

base::LoadResult refused_at(int line, const std::string& what) {
  return base::LoadResult::refused("line " + std::to_string(line) + ": " + what);
}

// Whitespace as the C library's formatted input skips it: space, \t, \n, \v, \f and \r. A table, so that
// the scan over every character of the file takes one load per character rather than six comparisons.
constexpr std::array<bool, 256> whitespace = [] {
  std::array<bool, 256> table{};
  for (const unsigned char c : {' ', '\t', '\n', '\v', '\f', '\r'}) table[c] = true;
  return table;
}();
bool is_space(char c) { return whitespace[static_cast<unsigned char>(c)]; }

// The whitespace-separated tokens of object text, and the line the last one is on.
class TokenReader {
 public:
  explicit TokenReader(std::string_view text) : text_(text) {}

  // The next token, or an empty one at the end of the text.
  std::string_view next() {
    const char* at = text_.data() + pos_;
    const char* const end = text_.data() + text_.size();
    while (at != end && is_space(*at)) ++at;
    const char* const start = at;
    while (at != end && !is_space(*at)) ++at;
    pos_ = static_cast<std::size_t>(at - text_.data());
    return {start, static_cast<std::size_t>(at - start)};
  }
  // Counted only when asked, for a message: the line breaks before the position.
  int line() const {
    int line = 1;
    const char* const end = text_.data() + pos_;
    for (const char* at = text_.data(); at != end && (at = static_cast<const char*>(std::memchr(at, '\n', end - at)));
         ++at) {
      ++line;
    }
    return line;
  }
  std::size_t remaining() const { return text_.size() - pos_; }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

// A token as a C string for the conversions; false when it is too long to be one of our numbers.
bool copy_token(std::string_view token, char (&buffer)[max_number_length + 1]) {
  if (token.size() > max_number_length) return false;
  std::memcpy(buffer, token.data(), token.size());
  buffer[token.size()] = '\0';
  return true;
}

// "%i": decimal, hexadecimal after 0x, octal after a leading 0, optionally signed; the whole token.
bool parse_int(std::string_view token, std::int32_t& value) {
  char buffer[max_number_length + 1];
  if (token.empty() || !copy_token(token, buffer)) return false;
  char* end = nullptr;
  errno = 0;
  const long long parsed = std::strtoll(buffer, &end, 0);
  if (end != buffer + token.size() || errno == ERANGE) return false;
  if (parsed < std::numeric_limits<std::int32_t>::min() || parsed > std::numeric_limits<std::int32_t>::max()) {
    return false;
  }
  value = static_cast<std::int32_t>(parsed);
  return true;
}

// "%f", the whole token, finite: infinity and NaN are not coordinates.
bool parse_float(std::string_view token, float& value) {
  char buffer[max_number_length + 1];
  if (token.empty() || !copy_token(token, buffer)) return false;
  char* end = nullptr;
  const float parsed = std::strtof(buffer, &end);
  if (end != buffer + token.size() || !std::isfinite(parsed)) return false;
  value = parsed;
  return true;
}

// Reads the next number of the text into `value`; on failure says which field (named by `describe`,
// called only then) is missing or not a number.
template <typename Number, typename Describe>
bool read_field(TokenReader& reader, Number& value, const Describe& describe, base::LoadResult& result) {
  const std::string_view token = reader.next();
  if (token.empty()) {
    result = refused_at(reader.line(), describe() + " is missing: the file ends early");
    return false;
  }
  bool ok = false;
  if constexpr (std::is_same_v<Number, float>) ok = parse_float(token, value);
  else ok = parse_int(token, value);
  if (!ok) {
    const std::string shown(token.substr(0, max_number_length));
    result = refused_at(reader.line(), describe() + " is not a number: '" + shown + "'");
  }
  return ok;
}

bool check_count(std::int32_t count, std::int32_t maximum, const char* what, int line, base::LoadResult& result) {
  if (count < 0) result = refused_at(line, std::string(what) + " " + std::to_string(count) + " is negative");
  else if (count > maximum) {
    result = refused_at(line, std::string(what) + " " + std::to_string(count) + " is above the maximum " +
                                 std::to_string(maximum));
  }
  return result.loaded();
}

// Sizes the arrays the drawing fills for every vertex read.
void allocate_draw_arrays(Object3D& object) {
  const std::size_t vertices = object.positions.size();
  object.texture_coordinates.resize(vertices);
  object.camera_positions.resize(vertices);
  object.vertex_normals.resize(vertices);
  object.intensities.resize(vertices);
  object.marks.assign(vertices, 0);
  object.in_view.resize(vertices);
  object.screen_corners.resize(vertices);
}

bool read_vertices(TokenReader& reader, std::int32_t count, Object3D& object, base::LoadResult& result) {
  static const char* const axes[] = {"x", "y", "z"};
  for (std::int32_t n = 0; n < count; ++n) {
    Vector3 p;
    float* const coordinates[] = {&p.x, &p.y, &p.z};
    for (int a = 0; a < 3; ++a) {
      const auto describe = [&] { return "vertex " + std::to_string(n) + " " + axes[a]; };
      if (!read_field(reader, *coordinates[a], describe, result)) return false;
    }
    object.positions.push_back(p);
  }
  return true;
}

bool read_faces(TokenReader& reader, std::int32_t count, Object3D& object, base::LoadResult& result) {
  static const char* const fields[] = {"corner i", "corner j", "corner k", "extra number"};
  for (std::int32_t n = 0; n < count; ++n) {
    Face face;
    std::int32_t* const values[] = {&face.i, &face.j, &face.k, &face.extra};
    for (int f = 0; f < 4; ++f) {
      const auto describe = [&] { return "face " + std::to_string(n) + " " + fields[f]; };
      if (!read_field(reader, *values[f], describe, result)) return false;
      if (f < 3 && (*values[f] < 0 || *values[f] >= object.vertex_count())) {
        result = refused_at(reader.line(), describe() + " is vertex " + std::to_string(*values[f]) +
                                              " of only " + std::to_string(object.vertex_count()));
        return false;
      }
    }
    object.faces.push_back(face);
  }
  return true;
}

// Makes the record a newly made one again, in place: no temporary of its size (the texture and the
// shade table alone take 80 KiB) is made and copied over it.
void empty_object(Object3D& object) {
  std::destroy_at(&object);
  std::construct_at(&object);
}

// normalize((Pi − Pj) × (Pi − Pk)): (0, 0, 0) for a face with no area.
Vector3 normal_of(const Object3D& object, const Face& face) {
  const Vector3 pi = object.positions[face.i];
  return normalize(cross(pi - object.positions[face.j], pi - object.positions[face.k]));
}

// A failed load leaves the object empty (it draws nothing) and names the file in its reason. Only a
// refusal for a face without a normal comes with faces: parse_object leaves the object empty when it
// refuses.
base::LoadResult failed_as(std::string_view name, base::LoadResult result, Object3D& object) {
  if (object.face_count() != 0) empty_object(object);
  result.reason = std::string(name) + ": " + result.reason;
  return result;
}

base::LoadResult longer_than_the_limit() {
  return base::LoadResult::refused("the file is longer than " + std::to_string(object_max_file_bytes) + " bytes");
}

// The whole file at `path`, its size checked before it is read.
base::LoadResult read_object_bytes(const char* path, std::vector<std::uint8_t>& bytes) {
  switch (base::read_regular_file(path, object_max_file_bytes, bytes)) {
    case base::FileRead::read: return base::LoadResult::success();
    case base::FileRead::cannot_open: return base::LoadResult::cannot_open("cannot open the file");
    case base::FileRead::cannot_read: return base::LoadResult::cannot_open("cannot read the file");
    case base::FileRead::too_large: break;
  }
  return longer_than_the_limit();
}

}  // namespace

const char* object_failure_message(const base::LoadResult& result) {
  return result.status == base::LoadStatus::cannot_open ? object_missing_message : object_malformed_message;
}

base::LoadResult read_object_file(const char* path, std::string& text) {
  std::vector<std::uint8_t> bytes;
  const base::LoadResult result = read_object_bytes(path, bytes);
  text.assign(bytes.begin(), bytes.end());
  return result;
}

base::LoadResult parse_object(std::string_view text, Object3D& object) {
  empty_object(object);
  TokenReader reader(text);
  base::LoadResult result;
  std::int32_t vertices = 0;
  std::int32_t faces = 0;
  if (!read_field(reader, vertices, [] { return std::string("vertex count"); }, result) ||
      !check_count(vertices, object_max_vertices, "vertex count", reader.line(), result) ||
      !read_field(reader, faces, [] { return std::string("face count"); }, result) ||
      !check_count(faces, object_max_faces, "face count", reader.line(), result)) {
    return result;
  }
  // Every number takes at least one character and one separator: a header that announces more than
  // the rest of the file can hold is refused before anything is allocated for it.
  const std::int64_t numbers = std::int64_t{3} * vertices + std::int64_t{4} * faces;
  if (numbers * 2 > static_cast<std::int64_t>(reader.remaining())) {
    return refused_at(reader.line(), "the counts (" + std::to_string(vertices) + " vertices, " +
                                        std::to_string(faces) + " faces) do not fit in the rest of the file");
  }
  // Each array is sized only once the numbers before it have been read: a file that breaks off early
  // costs no more than what it held.
  try {
    object.positions.reserve(vertices);
    if (read_vertices(reader, vertices, object, result)) {
      object.faces.reserve(faces);
      if (read_faces(reader, faces, object, result)) {
        allocate_draw_arrays(object);
        return result;
      }
    }
  } catch (const std::bad_alloc&) {
    result = refused_at(reader.line(), "not enough memory for the object");
  }
  empty_object(object);
  return result;
}

std::string face_defect(const Object3D& object, std::int32_t index) {
  const Face& face = object.faces[index];
  const std::string name = "face " + std::to_string(index);
  if (face.i == face.j || face.i == face.k) return name + " uses vertex " + std::to_string(face.i) + " twice";
  if (face.j == face.k) return name + " uses vertex " + std::to_string(face.j) + " twice";
  const Vector3 normal = normal_of(object, face);
  if (!is_unit(normal) || !std::isfinite(dot(normal, object.positions[face.i]))) {
    return name + " has no normal: its corners lie on one line (or too far apart to compute one)";
  }
  return {};
}

void compute_normals(Object3D& object) {
  for (Vector3& n : object.vertex_normals) n = {};
  for (Face& face : object.faces) {
    const Vector3 normal = normal_of(object, face);
    face.normal = normal;
    // Every face counts the same, whatever its area or the angle at the vertex.
    object.vertex_normals[face.i] = object.vertex_normals[face.i] + normal;
    object.vertex_normals[face.j] = object.vertex_normals[face.j] + normal;
    object.vertex_normals[face.k] = object.vertex_normals[face.k] + normal;
    face.offset = dot(normal, object.positions[face.i]);
  }
  for (Vector3& n : object.vertex_normals) n = normalize(n);
}

base::LoadResult load_object_bytes(std::span<const std::uint8_t> bytes, std::string_view name, Object3D& object) {
  if (bytes.size() > static_cast<std::uint64_t>(object_max_file_bytes)) {
    empty_object(object);
    return failed_as(name, longer_than_the_limit(), object);
  }
  base::LoadResult result = parse_object({reinterpret_cast<const char*>(bytes.data()), bytes.size()}, object);
  for (std::int32_t n = 0; result.loaded() && n < object.face_count(); ++n) {
    std::string defect = face_defect(object, n);
    if (!defect.empty()) result = base::LoadResult::refused(std::move(defect));
  }
  if (!result.loaded()) return failed_as(name, std::move(result), object);
  // The record starts with the identity pose (scale 1, position 0, rotation 0) and all marks 0.
  compute_normals(object);
  set_fallback_texture(object);
  return result;
}

base::LoadResult load_object(const char* path, Object3D& object) {
  std::vector<std::uint8_t> bytes;
  base::LoadResult result = read_object_bytes(path, bytes);
  if (!result.loaded()) {
    empty_object(object);
    return failed_as(path, std::move(result), object);
  }
  return load_object_bytes(bytes, path, object);
}

}  // namespace engine3d
