// Text script reader.
#include "shell/script_reader.h"

#include <cstring>
#include <optional>
#include <vector>

#include "base/asset_files.h"
#include "base/regular_file.h"
#include "platform/platform.h"

namespace shell {
namespace {

// Lines are taken 255 characters at a time; a longer line comes as several pieces, each tested
// for the markers by itself.
constexpr std::size_t piece_length = 255;

// The most bytes a piece takes: 255 characters, or 254 and a CR LF.
constexpr std::size_t max_piece_bytes = piece_length + 1;
// The first line and the lines after it: no byte beyond these is ever looked at.
constexpr std::int64_t max_script_bytes = (1 + script_max_lines) * std::int64_t{max_piece_bytes};

// The script's bytes, taken one at a time.
class ScriptBytes {
 public:
  explicit ScriptBytes(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  // The next byte, or none at the end.
  std::optional<char> next() {
    if (position_ == bytes_.size()) return std::nullopt;
    return static_cast<char>(bytes_[position_++]);
  }
  void put_back() { --position_; }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t position_ = 0;
};

// Reads one piece of a line, line feed included, into `piece`; a carriage return right before the line
// feed is dropped, so files with CR LF endings read as LF files do. The piece is C text: a NUL ends it,
// and the bytes after the NUL up to the piece's end are dropped unseen. False at the end of the file.
bool read_piece(ScriptBytes& file, std::string& piece) {
  piece.clear();
  std::optional<char> c;
  while (piece.size() < piece_length && (c = file.next())) {
    if (*c == '\r') {
      const std::optional<char> after = file.next();
      if (after == '\n') c = '\n';
      else if (after) file.put_back();
    }
    piece.push_back(*c);
    if (*c == '\n') break;
  }
  const bool got_bytes = !piece.empty();
  piece.resize(std::strlen(piece.c_str()));
  return got_bytes;
}

void append_to_part(ScriptText& script, const std::string& line) {
  if (script.script_part_index >= script_part_count) return;
  std::string& part = script.parts[script.script_part_index];
  const std::size_t room = script_part_capacity - part.size();
  part.append(line, 0, room);
}

}  // namespace

ScriptText script_text;

base::LoadResult read_script_bytes(std::span<const std::uint8_t> bytes, ScriptText& script) {
  script = ScriptText{};
  ScriptBytes file(bytes);
  std::string line;
  if (!read_piece(file, line) || line.find("ZARNSTART") == std::string::npos) return base::LoadResult::success();
  for (int n = 0; n < script_max_lines && read_piece(file, line); ++n) {
    if (line.find("ZARNEND") != std::string::npos) break;
    if (line.find("ENDPART") != std::string::npos) {
      ++script.script_part_index;
    } else {
      append_to_part(script, line);
    }
  }
  return base::LoadResult::success();
}

base::LoadResult read_script_file(const char* path, ScriptText& script) {
  script = ScriptText{};
  std::vector<std::uint8_t> bytes;
  // A read error leaves the bytes that came, which read as a file that ends there.
  if (base::read_regular_file_start(path, max_script_bytes, bytes) == base::FileRead::cannot_open) {
    return base::LoadResult::cannot_open("cannot open the file");
  }
  return read_script_bytes(bytes, script);
}

int load_script() {
  if (read_script_file(base::script_file_name, script_text).loaded()) return 1;
  platform::message_box("Can't find data file zarn.dat", "ZARN");
  return 0;
}

}  // namespace shell
