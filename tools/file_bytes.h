// Whole-file reads and writes for the tools.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tools {

// The file's bytes, or nothing when it cannot be read.
std::optional<std::vector<std::uint8_t>> read_file_bytes(const std::string& path);

// Writes the bytes to a temporary file beside `path` and renames it over `path`, so a failed write
// never leaves a half-written file. False (after saying why on stderr) on failure.
bool replace_file_bytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace tools
