// The one way the tools read a file they are given: as the intro reads its own. A group's files come from
// strangers, and a name may stand for a FIFO, a device, a folder or a symbolic link loop: each is refused
// at once, never opened, so that nothing blocks and nothing grows without end. A regular file's size is
// checked against its slot's limit before a byte is read, and it is read in one pass into a buffer of
// that size.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "engine3d/object_loader.h"
#include "music/memory_file.h"
#include "shell/nfo_check.h"

namespace tools {

// The largest file each kind of input may be. Each is far above what its slot can use, and far below
// what would cost the machine.
struct InputLimit {
  const char* what;       // "a picture file": the words of the refusal
  std::int64_t max_bytes;
};
inline constexpr InputLimit kit_file_input{"a kit file", std::int64_t{1} << 20};  // a page of text, many times over
// The largest picture the import decodes (32 million pixels) stored without compression as RGBA, with
// room for its framing: a picture the import can take is never refused for its file's size.
inline constexpr InputLimit picture_input{"a picture file", std::int64_t{160} << 20};
// A Wavefront model at the object file's face limit, exported with texture coordinates and normals.
inline constexpr InputLimit obj_model_input{"a Wavefront model", std::int64_t{256} << 20};
inline constexpr InputLimit object_file_input{"an object file", engine3d::object_max_file_bytes};
// Code page 437 takes at most three bytes a character in UTF-8, and the NFO itself at most 1 MiB.
inline constexpr InputLimit nfo_text_input{"an NFO text", 3 * shell::nfo_max_bytes};
inline constexpr InputLimit nfo_input{"an NFO", shell::nfo_max_bytes};
inline constexpr InputLimit module_input{"a module", music::memory_file_max_size};
inline constexpr InputLimit font_input{"a font file", std::int64_t{64} << 20};

// The bytes of the regular file at `path` ("-" reads standard input, up to the limit and no further), or
// nothing: then `failure` says why in one line, naming the file: what it is when it is not a regular file
// ("is a FIFO, not a file"), or that it is larger than the limit.
std::optional<std::vector<std::uint8_t>> read_input_file(const std::string& path, InputLimit limit,
                                                         std::string& failure);

// Where `path` lies, absolute, with every symbolic link of it followed as far as they lead ("" is the
// current folder); nothing when that cannot be told (a loop of links, a folder that cannot be searched).
std::optional<std::filesystem::path> resolved_path(const std::filesystem::path& path);

}  // namespace tools
