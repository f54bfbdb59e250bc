// NFO checksum, verdict and signing.
#include "shell/nfo_check.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "base/asset_files.h"
#include "base/regular_file.h"

namespace shell {
namespace {

// Fewest bytes that hold both digit groups.
constexpr std::uint64_t nfo_min_size = 11;
constexpr char signed_trailer_start[] = "\r\nCRC: ";  // 7 bytes before the first digit group

bool same_ignoring_case(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

std::uint64_t covered_size(std::uint64_t size) { return size > nfo_trailer_size ? size - nfo_trailer_size : 0; }

NfoCheckResult verdict_of(std::uint64_t size, std::uint32_t sum, const std::vector<std::uint8_t>& tail) {
  NfoCheckResult result;
  result.computed = nfo_checksum_text(sum);
  if (size < nfo_min_size) {
    result.verdict = nfo_verdict_failed;
    return result;
  }
  result.expected = nfo_expected_text(tail, size);
  result.verdict = same_ignoring_case(result.expected, result.computed) ? nfo_verdict_passed : nfo_verdict_failed;
  return result;
}

bool is_hex_digit(std::uint8_t c) { return std::isxdigit(c) != 0; }

}  // namespace

void NfoChecksum::add(const std::uint8_t* bytes, std::size_t count) {
  for (std::size_t k = 0; k < count; ++k) {
    ++index_;
    sum_ = 17u * (sum_ + ((index_ + 13u * bytes[k]) ^ 0xBBu) % 1001u);
  }
}

std::uint32_t nfo_checksum(const std::vector<std::uint8_t>& file) {
  NfoChecksum checksum;
  checksum.add(file.data(), covered_size(file.size()));
  return checksum.sum();
}

std::string nfo_expected_text(const std::vector<std::uint8_t>& tail, std::uint64_t size) {
  // Each group is read up to its first zero byte; the bytes after the groups (n-7, n-2) end them.
  const std::uint64_t tail_start = size - tail.size();
  auto group = [&](std::uint64_t first) {
    std::string text;
    for (std::uint64_t p = first; p < first + 4 && p >= tail_start && tail[p - tail_start] != 0; ++p) {
      text.push_back(static_cast<char>(tail[p - tail_start]));
    }
    return text;
  };
  if (size < nfo_min_size) return {};
  return group(size - 11) + group(size - 6);
}

std::string nfo_checksum_text(std::uint32_t sum) {
  char text[9];
  std::snprintf(text, sizeof text, "%08x", sum);
  return text;
}

NfoCheckResult check_nfo_bytes(std::span<const std::uint8_t> file, std::string_view name) {
  if (file.size() > static_cast<std::uint64_t>(nfo_max_bytes)) return {nfo_verdict_failed, std::string(name), {}, {}};
  NfoChecksum checksum;
  checksum.add(file.data(), covered_size(file.size()));
  const std::span<const std::uint8_t> tail = file.last(std::min<std::size_t>(file.size(), nfo_trailer_size));
  NfoCheckResult result = verdict_of(file.size(), checksum.sum(), {tail.begin(), tail.end()});
  result.file = name;
  return result;
}

NfoCheckResult check_nfo_file(const char* path) {
  std::vector<std::uint8_t> bytes;
  switch (base::read_regular_file(path, nfo_max_bytes, bytes)) {
    case base::FileRead::cannot_open: return {};
    case base::FileRead::too_large: return {nfo_verdict_failed, path, {}, {}};
    case base::FileRead::read:
    case base::FileRead::cannot_read: break;  // a read error checks what was read
  }
  return check_nfo_bytes(bytes, path);
}

NfoCheckResult check_nfo_files() {
  for (const char* name : base::nfo_file_names) {
    NfoCheckResult result = check_nfo_file(name);
    if (!result.file.empty()) return result;
  }
  return {};
}

bool has_signed_trailer(const std::vector<std::uint8_t>& file) {
  if (file.size() < nfo_trailer_size) return false;
  const std::uint8_t* t = file.data() + file.size() - nfo_trailer_size;
  for (std::size_t i = 0; i < 7; ++i) {
    if (t[i] != static_cast<std::uint8_t>(signed_trailer_start[i])) return false;
  }
  for (std::size_t i : {7, 8, 9, 10, 12, 13, 14, 15}) {
    if (!is_hex_digit(t[i])) return false;
  }
  return t[11] == '-' && t[16] == '\r' && t[17] == '\n';
}

std::vector<std::uint8_t> sign_nfo(const std::vector<std::uint8_t>& file) {
  std::vector<std::uint8_t> signed_file(file.begin(),
                                        has_signed_trailer(file) ? file.end() - nfo_trailer_size : file.end());
  NfoChecksum checksum;
  checksum.add(signed_file.data(), signed_file.size());
  const std::string digits = nfo_checksum_text(checksum.sum());
  const std::string trailer = signed_trailer_start + digits.substr(0, 4) + "-" + digits.substr(4) + "\r\n";
  signed_file.insert(signed_file.end(), trailer.begin(), trailer.end());
  return signed_file;
}

}  // namespace shell
