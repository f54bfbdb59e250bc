// Whole-file reads and writes for the tools.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tools {

// The file's bytes ("-" reads standard input), or nothing when it cannot be read: then `failure`, if
// given, says why, naming the file. A directory cannot be read. Any other kind of file is read to its end,
// however long: this reads back what the tools wrote (a FIFO waits for its writer). A file a tool is
// given goes through read_input_file (input_file.h), bounded and regular only.
std::optional<std::vector<std::uint8_t>> read_file_bytes(const std::string& path, std::string* failure = nullptr);

// Writes `bytes` as the whole of `path` through an OutputFile, so a failed write leaves what was there
// untouched. False when it cannot be written: `failure` says why, naming the file.
bool write_file_bytes(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& failure);

}  // namespace tools
