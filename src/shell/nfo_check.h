// The check of the release group's NFO file: a 32-bit checksum of the group's own design over all but
// the last 18 bytes, compared with eight hexadecimal digits stored in those last bytes.
//
// Trailer layout (the last 18 bytes, n = file size): bytes n-11..n-8 and n-6..n-3 hold the digits in two
// groups of four, upper or lower case; the other trailer bytes may hold anything. Signed files carry
// "\r\nCRC: hhhh-hhhh\r\n".
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace shell {

inline constexpr std::size_t nfo_trailer_size = 18;
// Far above any real NFO (a few kilobytes of text art). A larger file fails at once instead of holding the
// frame thread while it is read: the check runs inside one frame of the NFO screen.
inline constexpr long long nfo_max_bytes = 1 << 20;

enum NfoVerdict : std::int32_t { nfo_verdict_missing = 0, nfo_verdict_passed = 1, nfo_verdict_failed = 2 };

// The checksum, fed the covered bytes in order, in as many pieces as convenient.
class NfoChecksum {
 public:
  void add(const std::uint8_t* bytes, std::size_t count);
  std::uint32_t sum() const { return sum_; }

 private:
  std::uint32_t sum_ = 0;
  std::uint32_t index_ = 0;  // 1-based position of the next byte, wrapping like the 32-bit counter it is
};

struct NfoCheckResult {
  NfoVerdict verdict = nfo_verdict_missing;
  std::string file;      // the file that was checked, empty when none opened
  std::string computed;  // the checksum as eight lower-case digits
  std::string expected;  // the digits the trailer holds (shorter when a group holds a zero byte)
};

// Checksum of a whole file's bytes: everything before the 18-byte trailer (nothing for files up to 18 bytes).
std::uint32_t nfo_checksum(const std::vector<std::uint8_t>& file);

// The expected digits from the last bytes of a file of `size` bytes; `tail` holds its last min(size, 18) bytes.
std::string nfo_expected_text(const std::vector<std::uint8_t>& tail, std::uint64_t size);

// "%08x" of the sum.
std::string nfo_checksum_text(std::uint32_t sum);

// Verdict of the bytes of the file `name`: passed when the trailer's digits equal the checksum, case
// aside. Files shorter than 11 bytes cannot hold the digits and fail; files larger than nfo_max_bytes
// fail at once, unchecked.
NfoCheckResult check_nfo_bytes(std::span<const std::uint8_t> file, std::string_view name);

// Checks one file as check_nfo_bytes checks its bytes; verdict missing when it is not a regular file that
// opens, failed at once, unread, when it is larger than nfo_max_bytes.
NfoCheckResult check_nfo_file(const char* path);

// Checks the first of the NFO file names in the current directory that is a regular file and opens.
NfoCheckResult check_nfo_files();

// The file with its 18-byte trailer written so that it passes: an existing "\r\nCRC: hhhh-hhhh\r\n" trailer
// is replaced, otherwise one is appended. The bytes before the trailer are never changed.
std::vector<std::uint8_t> sign_nfo(const std::vector<std::uint8_t>& file);

// Whether the file ends with a trailer in the signed layout.
bool has_signed_trailer(const std::vector<std::uint8_t>& file);

}  // namespace shell
