// Values quoted in messages.
#include "tools/cli/message_text.h"

#include <algorithm>
#include <cstdio>

namespace tools {
namespace {

bool continues_utf8_character(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

bool plain_in_shell(char c) {
  const bool alphanumeric = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
  return alphanumeric || std::string_view("_-./,:+=@%").find(c) != std::string_view::npos;
}

}  // namespace

std::string cut_for_message(std::string_view text, std::size_t most) {
  std::string shown;
  std::size_t at = 0;
  for (std::size_t characters = 0; at < text.size(); ++characters) {
    if (characters == most) return shown + "…";
    const auto byte = static_cast<unsigned char>(text[at]);
    if (byte < ' ' || byte == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      shown += escaped;
      ++at;
      continue;
    }
    const std::size_t start = at++;
    while (at < text.size() && continues_utf8_character(text[at])) ++at;
    shown.append(text.substr(start, at - start));
  }
  return shown;
}

std::string quoted_for_message(std::string_view text, std::size_t most) {
  std::string quoted = "'";
  quoted += cut_for_message(text, most);
  quoted += '\'';
  return quoted;
}

std::string shell_quoted(std::string_view word) {
  if (!word.empty() && std::all_of(word.begin(), word.end(), plain_in_shell)) return std::string(word);
  std::string quoted = "'";
  for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace tools
