// Strict number arguments.
#include "tools/number_arguments.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace tools {
namespace {

bool starts_with_digit(const char* text) { return text && *text >= '0' && *text <= '9'; }

}  // namespace

bool parse_whole_number(const char* text, std::int64_t low, std::int64_t high, std::int64_t& value) {
  if (!starts_with_digit(text)) return false;
  const char* end = text + std::strlen(text);
  std::int64_t n = 0;
  const auto [stop, error] = std::from_chars(text, end, n);
  if (error != std::errc() || stop != end || n < low || n > high) return false;
  value = n;
  return true;
}

bool parse_positive_decimal(const char* text, double high, double& value) {
  if (!starts_with_digit(text)) return false;
  const char* end = text + std::strlen(text);
  double s = 0;
  const auto [stop, error] = std::from_chars(text, end, s, std::chars_format::fixed);
  if (error != std::errc() || stop != end || !std::isfinite(s) || !(s > 0) || s > high) return false;
  value = s;
  return true;
}

}  // namespace tools
