// Reads the text script "zarn.dat": a start line with "ZARNSTART", parts separated by lines holding
// "ENDPART", and a line holding "ZARNEND". Parts 0 and 1 are the texts of the intro's two scroll lines.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "base/load_result.h"

namespace shell {

inline constexpr int script_part_count = 20;
// Characters a part holds, line feeds included; what goes beyond is cut.
inline constexpr std::size_t script_part_capacity = 16383;
// Lines read after the start line; later lines are never read.
inline constexpr int script_max_lines = 1000;

struct ScriptText {
  std::array<std::string, script_part_count> parts;
  std::int32_t script_part_index = 0;  // the part that lines are appended to
};

extern ScriptText script_text;

// Reads "zarn.dat" from the current directory into `script_text`. Returns 1 (also when the start marker
// is missing), or 0 after showing "Can't find data file zarn.dat" when it cannot be opened.
int load_script();

// Reads a script file's bytes into `script`. Every file is taken, also one without the start marker,
// which leaves every part empty.
base::LoadResult read_script_bytes(std::span<const std::uint8_t> bytes, ScriptText& script);

// Reads the script file at `path` into `script` as read_script_bytes reads its bytes; cannot_open when it
// is not a regular file that opens.
base::LoadResult read_script_file(const char* path, ScriptText& script);

}  // namespace shell
