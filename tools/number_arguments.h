// Numbers on the tools' command lines, read strictly: digits as written, nothing before or after them, no
// NaN or infinity, no value the option cannot take. "3x", " 12", "+12", "1e3" and an overflow are errors.
#pragma once

#include <cstdint>

namespace tools {

// A whole number of decimal digits within [low, high].
bool parse_whole_number(const char* text, std::int64_t low, std::int64_t high, std::int64_t& value);

// A decimal number such as "12" or "0.5", above 0 and at most `high`.
bool parse_positive_decimal(const char* text, double high, double& value);

}  // namespace tools
