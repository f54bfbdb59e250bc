// Text script reader.
#include "shell/script_reader.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "base/asset_files.h"
#include "base/regular_file.h"
#include "platform/platform.h"

namespace shell {
namespace {

// Lines are taken 255 characters at a time; a longer line comes as several pieces, each tested
// for the markers by itself.
constexpr std::size_t piece_length = 255;

// Reads one piece of a line, line feed included, into `piece`; a carriage return right before the line
// feed is dropped, so files with CR LF endings read as LF files do. The piece is C text: a NUL ends it,
// and the bytes after the NUL up to the piece's end are dropped unseen. False at the end of the file.
bool read_piece(std::FILE* file, std::string& piece) {
  piece.clear();
  int c = 0;
  while (piece.size() < piece_length && (c = std::fgetc(file)) != EOF) {
    if (c == '\r') {
      const int next = std::fgetc(file);
      if (next == '\n') c = '\n';
      else if (next != EOF) std::ungetc(next, file);
    }
    piece.push_back(static_cast<char>(c));
    if (c == '\n') break;
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

base::LoadResult read_script_file(const char* path, ScriptText& script) {
  script = ScriptText{};
  const base::OwnedFile file = base::open_regular_file(path);
  if (!file) return base::LoadResult::cannot_open("cannot open the file");
  std::string line;
  if (!read_piece(file.get(), line) || line.find("ZARNSTART") == std::string::npos) {
    return base::LoadResult::success();
  }
  for (int n = 0; n < script_max_lines && read_piece(file.get(), line); ++n) {
    if (line.find("ZARNEND") != std::string::npos) break;
    if (line.find("ENDPART") != std::string::npos) {
      ++script.script_part_index;
    } else {
      append_to_part(script, line);
    }
  }
  return base::LoadResult::success();
}

int load_script() {
  if (read_script_file(base::script_file_name, script_text).loaded()) return 1;
  platform::message_box("Can't find data file zarn.dat", "ZARN");
  return 0;
}

}  // namespace shell
