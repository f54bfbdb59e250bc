// The Wavefront OBJ reader: one pass over the bytes, a statement at a time.
#include "tools/object/obj_reader.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <system_error>

namespace tools {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

struct TextPosition {
  std::size_t line, column;  // 1-based
};

// Walks the text by statements and words, keeping the line and column of where it is for messages. A
// backslash at the end of a line joins the next line to the statement, as a blank.
class Cursor {
 public:
  explicit Cursor(std::string_view text) : text_(text) {}

  bool at_end() const { return at_ == text_.size(); }
  std::size_t line() const { return line_; }
  TextPosition position() const { return {line_, at_ - line_start_ + 1}; }

  // True at the end of the statement: the end of the text, a line break or a comment.
  bool at_statement_end() const { return at_end() || text_[at_] == '\n' || text_[at_] == '#'; }

  void skip_blanks() {
    while (!at_end()) {
      if (is_blank(text_[at_])) {
        ++at_;
      } else if (const std::size_t joined = continuation_length(); joined > 0) {
        at_ += joined;
        new_line();
      } else {
        return;
      }
    }
  }

  // The next word of the statement, blanks before it skipped; empty at the statement's end.
  std::string_view word() {
    skip_blanks();
    const std::size_t start = at_;
    while (!at_statement_end() && !is_blank(text_[at_]) && continuation_length() == 0) ++at_;
    return text_.substr(start, at_ - start);
  }

  // Moves to the start of the next statement, past whatever is left of this one and its comment.
  void next_statement() {
    while (!word().empty()) {
    }
    while (!at_end() && text_[at_] != '\n') ++at_;
    if (!at_end()) {
      ++at_;
      new_line();
    }
  }

 private:
  // How many bytes a backslash line continuation takes at the cursor ("\\\n" or "\\\r\n"); 0 if none.
  std::size_t continuation_length() const {
    if (text_[at_] != '\\') return 0;
    if (at_ + 1 < text_.size() && text_[at_ + 1] == '\n') return 2;
    if (at_ + 2 < text_.size() && text_[at_ + 1] == '\r' && text_[at_ + 2] == '\n') return 3;
    return 0;
  }
  void new_line() {
    ++line_;
    line_start_ = at_;
  }

  std::string_view text_;
  std::size_t at_ = 0;
  std::size_t line_ = 1;
  std::size_t line_start_ = 0;
};

// Statements that carry nothing the intro draws (texture coordinates, normals, names, groups, smoothing,
// materials): skipped without a word.
bool is_skipped_quietly(std::string_view keyword) {
  for (const char* known : {"vt", "vn", "vp", "o", "g", "s", "usemtl", "mtllib"}) {
    if (keyword == known) return true;
  }
  return false;
}

// A decimal number's order of magnitude from its digits and exponent: positive when it is 1 or more. Tells
// an overflow from an underflow, which from_chars reports alike.
long long decimal_order(std::string_view digits_and_exponent) {
  long long order = 0;
  bool seen_point = false, seen_nonzero = false;
  std::size_t at = 0;
  for (; at < digits_and_exponent.size() && digits_and_exponent[at] != 'e' && digits_and_exponent[at] != 'E';
       ++at) {
    const char c = digits_and_exponent[at];
    if (c == '.') {
      seen_point = true;
    } else if (!seen_nonzero && c == '0') {
      if (seen_point) --order;
    } else {
      seen_nonzero = true;
      if (!seen_point) ++order;
    }
  }
  if (at < digits_and_exponent.size()) {
    long long exponent = 0;
    std::from_chars(digits_and_exponent.data() + at + 1, digits_and_exponent.data() + digits_and_exponent.size(),
                    exponent);
    order += exponent;  // a saturated exponent is still far beyond a double either way
  }
  return order;
}

// Whether `word` is a plain decimal number: [+-]digits[.digits][e[+-]digits], digits on at least one side
// of the point. Nothing else (no hexadecimal, no "inf" or "nan") reaches from_chars.
bool is_decimal_number(std::string_view word) {
  std::size_t at = 0;
  if (at < word.size() && (word[at] == '+' || word[at] == '-')) ++at;
  std::size_t digits = 0;
  while (at < word.size() && is_digit(word[at])) ++at, ++digits;
  if (at < word.size() && word[at] == '.') {
    ++at;
    while (at < word.size() && is_digit(word[at])) ++at, ++digits;
  }
  if (digits == 0) return false;
  if (at < word.size() && (word[at] == 'e' || word[at] == 'E')) {
    ++at;
    if (at < word.size() && (word[at] == '+' || word[at] == '-')) ++at;
    std::size_t exponent_digits = 0;
    while (at < word.size() && is_digit(word[at])) ++at, ++exponent_digits;
    if (exponent_digits == 0) return false;
  }
  return at == word.size();
}

// A coordinate the object file can hold: a finite float. Nothing for anything else; a number too small for
// a double is 0.
std::optional<double> coordinate_value(std::string_view word) {
  if (!is_decimal_number(word)) return std::nullopt;
  const bool negative = word.front() == '-';
  if (word.front() == '+' || negative) word.remove_prefix(1);
  double value = 0;
  const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
  if (error == std::errc::result_out_of_range) {
    if (decimal_order(word) > 0) return std::nullopt;
    value = 0;
  } else if (error != std::errc() || end != word.data() + word.size()) {
    return std::nullopt;
  }
  if (!(std::fabs(value) <= FLT_MAX)) return std::nullopt;
  return negative ? -value : value;
}

// Beyond any vertex count a file can reach; larger numbers are held at this.
constexpr long long saturated_index = 1LL << 40;

// An OBJ index, [-]digits, saturated; nothing when `text` is not one.
std::optional<long long> index_value(std::string_view text) {
  const bool negative = !text.empty() && text.front() == '-';
  if (negative) text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  long long value = 0;
  for (const char c : text) {
    if (!is_digit(c)) return std::nullopt;
    value = std::min(value * 10 + (c - '0'), saturated_index);
  }
  return negative ? -value : value;
}

// The vertex number of a face corner written i, i/t, i//n or i/t/n. The texture and normal numbers are not
// used, but they must be numbers.
std::optional<long long> corner_vertex_number(std::string_view word) {
  const std::size_t slash = word.find('/');
  const auto vertex = index_value(word.substr(0, slash));
  if (!vertex || slash == std::string_view::npos) return vertex;
  const std::string_view rest = word.substr(slash + 1);
  const std::size_t second = rest.find('/');
  if (second == std::string_view::npos) return index_value(rest) ? vertex : std::nullopt;
  const std::string_view texture = rest.substr(0, second), normal = rest.substr(second + 1);
  if ((!texture.empty() && !index_value(texture)) || !index_value(normal)) return std::nullopt;
  return vertex;
}

// A statement the reader does not carry over, counted for the note.
struct SkippedStatement {
  std::string keyword;
  std::size_t first_line;
  std::size_t count;
};
// Kinds of statement named one by one; more are counted together. Keeps the notes short for any file.
constexpr std::size_t max_named_skipped = 8;
constexpr std::size_t max_keyword_shown = 16;

// The keyword as it can be shown: printable ASCII, cut short.
std::string shown_keyword(std::string_view keyword) {
  std::string shown;
  for (const char c : keyword.substr(0, max_keyword_shown)) shown += (c > ' ' && c < 127) ? c : '?';
  if (keyword.size() > max_keyword_shown) shown += "...";
  return shown;
}

class Reader {
 public:
  Reader(std::string_view text, std::string_view name, const ObjLimits& limits)
      : cursor_(text), name_(name), limits_(limits) {}

  ObjRead read() {
    while (!cursor_.at_end()) {
      const TextPosition start = (cursor_.skip_blanks(), cursor_.position());
      const std::string_view keyword = cursor_.word();
      bool read = true;
      if (keyword == "v") {
        read = vertex(start);
      } else if (keyword == "f") {
        read = face(start);
      } else if (!keyword.empty() && !is_skipped_quietly(keyword)) {
        count_skipped(keyword);
      }
      if (!read) return {std::nullopt, std::move(refusal_)};
      cursor_.next_statement();
    }
    add_skipped_notes();
    return {std::move(model_), {}};
  }

 private:
  bool vertex(TextPosition start) {
    if (model_.vertices.size() >= limits_.max_vertices) {
      return refuse(start, "more than " + std::to_string(limits_.max_vertices) +
                                " vertices, the most the object file takes");
    }
    std::array<double, 3> xyz{};
    for (std::size_t axis = 0; axis < 3; ++axis) {
      const std::string_view axis_name = std::array{"x", "y", "z"}[axis];
      const TextPosition at = (cursor_.skip_blanks(), cursor_.position());
      const std::string_view word = cursor_.word();
      if (word.empty()) return refuse(at, "the " + std::string(axis_name) + " coordinate is missing");
      const auto value = coordinate_value(word);
      if (!value) return refuse(at, "the " + std::string(axis_name) + " coordinate is not a finite number");
      // The object file holds floats; rounding here also welds what will be one vertex there.
      xyz[axis] = static_cast<float>(*value);
    }
    model_.vertices.push_back({xyz[0], xyz[1], xyz[2]});
    return true;
  }

  bool face(TextPosition start) {
    const std::size_t first_corner = model_.corners.size();
    for (;;) {
      const TextPosition at = (cursor_.skip_blanks(), cursor_.position());
      const std::string_view word = cursor_.word();
      if (word.empty()) break;
      const auto number = corner_vertex_number(word);
      if (!number) return refuse(at, "a face corner is written i, i/t, i//n or i/t/n");
      const auto index = vertex_index(*number);
      if (!index) {
        return refuse(at, "vertex " + std::to_string(*number) + " does not exist: " +
                              std::to_string(model_.vertices.size()) + " vertices are read so far");
      }
      if (model_.corners.size() - first_corner >= 2 && ++triangles_ > limits_.max_triangles) {
        return refuse(at, "the faces make more than " + std::to_string(limits_.max_triangles) +
                              " triangles, the most the object file takes");
      }
      model_.corners.push_back(*index);
    }
    const std::size_t corners = model_.corners.size() - first_corner;
    if (corners < 3) return refuse(start, "a face needs three corners or more");
    model_.faces.push_back({first_corner, corners, start.line});
    return true;
  }

  // The 0-based vertex an OBJ index names: 1 is the first vertex, -1 the last read so far.
  std::optional<int> vertex_index(long long number) const {
    const auto count = static_cast<long long>(model_.vertices.size());
    if (number > 0 && number <= count) return static_cast<int>(number - 1);
    if (number < 0 && -number <= count) return static_cast<int>(count + number);
    return std::nullopt;
  }

  void count_skipped(std::string_view keyword) {
    for (SkippedStatement& skipped : skipped_) {
      if (skipped.keyword == keyword) {
        ++skipped.count;
        return;
      }
    }
    if (skipped_.size() < max_named_skipped) {
      skipped_.push_back({std::string(keyword), cursor_.line(), 1});
    } else {
      ++other_skipped_;
    }
  }

  void add_skipped_notes() {
    for (const SkippedStatement& skipped : skipped_) {
      model_.notes.push_back(where(skipped.first_line) + std::to_string(skipped.count) + " '" +
                             shown_keyword(skipped.keyword) +
                             "' statements not carried over (the first here): only faces are drawn");
    }
    if (other_skipped_ > 0) {
      model_.notes.push_back(std::string(name_) + ": " + std::to_string(other_skipped_) +
                             " statements of other kinds not carried over");
    }
  }

  std::string where(std::size_t line) const { return std::string(name_) + ":" + std::to_string(line) + ": "; }

  bool refuse(TextPosition at, const std::string& why) {
    refusal_ = std::string(name_) + ":" + std::to_string(at.line) + ":" + std::to_string(at.column) + ": " + why;
    return false;
  }

  Cursor cursor_;
  std::string_view name_;
  ObjLimits limits_;
  ObjModel model_;
  std::size_t triangles_ = 0;
  std::vector<SkippedStatement> skipped_;
  std::size_t other_skipped_ = 0;
  std::string refusal_;
};

}  // namespace

ObjRead read_obj(std::span<const std::uint8_t> bytes, std::string_view name, const ObjLimits& limits) {
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  return Reader(text, name, limits).read();
}

}  // namespace tools
