// UTF-8 and code page 437.
#include "tools/nfo/code_page_437.h"

#include <array>

namespace tools {
namespace {

// Code page 437's upper half, 0x80 to 0xFF, as Unicode: accented letters, box drawing, blocks, Greek.
constexpr std::array<char16_t, 128> upper_half = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC,
    0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6, 0x00DC, 0x00A2,
    0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x2310,
    0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C,
    0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559,
    0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x03B1, 0x00DF,
    0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, 0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2,
    0x25A0, 0x00A0,
};

// Characters that look alike and are written with the code page's own: Greek beta and mu, the ohm sign.
struct Alias {
  char32_t code;
  std::uint8_t byte;
};
constexpr Alias aliases[] = {{0x03B2, 0xE1}, {0x03BC, 0xE6}, {0x2126, 0xEA}};

std::optional<std::uint8_t> cp437_byte(char32_t code) {
  if (code < 0x80) return static_cast<std::uint8_t>(code);
  for (std::size_t i = 0; i < upper_half.size(); ++i) {
    if (upper_half[i] == code) return static_cast<std::uint8_t>(0x80 + i);
  }
  for (const Alias& alias : aliases) {
    if (alias.code == code) return alias.byte;
  }
  return std::nullopt;
}

// Length of the sequence a lead byte opens, and the smallest code point it may carry; 0 for no lead byte.
struct Lead {
  int length;
  char32_t smallest;
};
Lead lead_of(unsigned char b) {
  if (b < 0x80) return {1, 0};
  if ((b & 0xE0) == 0xC0) return {2, 0x80};
  if ((b & 0xF0) == 0xE0) return {3, 0x800};
  if ((b & 0xF8) == 0xF0) return {4, 0x10000};
  return {0, 0};
}

constexpr char32_t byte_order_mark = 0xFEFF;

}  // namespace

std::optional<std::u32string> decode_utf8(std::string_view text, std::size_t* bad_at) {
  std::u32string codes;
  for (std::size_t at = 0; at < text.size();) {
    const auto b = static_cast<unsigned char>(text[at]);
    const Lead lead = lead_of(b);
    bool good = lead.length > 0 && at + lead.length <= text.size();
    char32_t code = lead.length == 1 ? b : b & (0x7F >> lead.length);
    for (int k = 1; good && k < lead.length; ++k) {
      const auto next = static_cast<unsigned char>(text[at + k]);
      good = (next & 0xC0) == 0x80;
      code = (code << 6) | (next & 0x3F);
    }
    good = good && code >= lead.smallest && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF);
    if (!good) {
      if (bad_at) *bad_at = at;
      return std::nullopt;
    }
    codes += code;
    at += lead.length;
  }
  return codes;
}

std::string encode_utf8(char32_t code) {
  std::string out;
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
  return out;
}

std::optional<std::vector<std::uint8_t>> nfo_bytes_of_utf8(std::string_view text, Cp437Problem& problem) {
  std::size_t bad_at = 0;
  const auto codes = decode_utf8(text, &bad_at);
  int line = 1, column = 1;
  if (!codes) {
    for (std::size_t i = 0; i < bad_at; ++i) line += text[i] == '\n';
    problem = {0, line, 0};
    return std::nullopt;
  }
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i < codes->size(); ++i) {
    const char32_t code = (*codes)[i];
    if (i == 0 && code == byte_order_mark) continue;
    if (code == '\r' && i + 1 < codes->size() && (*codes)[i + 1] == '\n') continue;
    if (code == '\n') {
      bytes.insert(bytes.end(), {'\r', '\n'});
      ++line;
      column = 1;
      continue;
    }
    const auto byte = cp437_byte(code);
    if (!byte) {
      problem = {code, line, column};
      return std::nullopt;
    }
    bytes.push_back(*byte);
    ++column;
  }
  return bytes;
}

std::string utf8_of_nfo_bytes(const std::vector<std::uint8_t>& bytes) {
  std::string text;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const std::uint8_t b = bytes[i];
    if (b == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    text += b < 0x80 ? std::string(1, static_cast<char>(b)) : encode_utf8(upper_half[b - 0x80]);
  }
  return text;
}

}  // namespace tools
