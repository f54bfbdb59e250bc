// Text for the intro's NFO file: UTF-8 as text editors write it, and code page 437, the character set
// NFO files are drawn in (box drawing, blocks and shades for the art).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tools {

// The code points of UTF-8 text; none when it is not valid UTF-8 (a stray byte, an overlong form, a
// surrogate), and then `bad_at`, if given, is the byte offset where it goes wrong.
std::optional<std::u32string> decode_utf8(std::string_view text, std::size_t* bad_at = nullptr);

// The UTF-8 bytes of one code point.
std::string encode_utf8(char32_t code);

// What cannot be written in code page 437: the character and its line and column (both from 1).
struct Cp437Problem {
  char32_t character = 0;
  int line = 0;
  int column = 0;
};

// UTF-8 text in code page 437, each line end (LF or CR LF) written CR LF as NFO files have them; a byte
// order mark at the start is dropped. Nothing when a character has no place in code page 437: `problem`
// names the first one.
std::optional<std::vector<std::uint8_t>> nfo_bytes_of_utf8(std::string_view text, Cp437Problem& problem);

// Code page 437 bytes as UTF-8 text, CR LF line ends as LF: what a text editor shows of an NFO file.
std::string utf8_of_nfo_bytes(const std::vector<std::uint8_t>& bytes);

}  // namespace tools
