// The scroll script and the NFO.
#include "tools/assets/texts.h"

#include <cstdio>

#include "shell/nfo_check.h"
#include "shell/script_reader.h"
#include "tools/assets/font_sheets.h"
#include "tools/cli/message_text.h"
#include "tools/nfo/code_page_437.h"

namespace tools::assets {
namespace {

// The art is written with stand-ins for the code page 437 blocks, so this file stays plain text.
std::string to_code_page_437(const std::string& art) {
  std::string out;
  for (char c : art) {
    switch (c) {
      case '#': out += '\xDB'; break;  // full block
      case '^': out += '\xDF'; break;  // upper half block
      case '_': out += '\xDC'; break;  // lower half block
      case '%': out += '\xB2'; break;  // dark shade
      case '=': out += '\xB1'; break;  // medium shade
      case '~': out += '\xB0'; break;  // light shade
      case '\n': out += "\r\n"; break;
      default: out += c;
    }
  }
  return out;
}

const char nfo_art[] =
    "\n"
    "      ~=%#########%=~  _######_      #########_     ##_     ##\n"
    "      ^^^^^^^^^##%=~  ##^    ^##     ##^    ^##     ###_    ##\n"
    "            _##%=~    ##      ##     ##      ##     ##^##_  ##\n"
    "          _##%=~      ##########     #########^     ##  ^##_##\n"
    "        _##%=~        ##      ##     ##   ^##_      ##    ^###\n"
    "      _##########%=~  ##      ##     ##     ^##_    ##      ##\n"
    "      ^^^^^^^^^^^^^   ^^      ^^     ^^       ^^    ^^      ^^\n"
    "\n"
    "   ~~~~~~======%%%%%%%%%%%%  R E L E A S E   G R O U P  %%%%%%%%%%%%======~~~~~~\n"
    "\n";

const char nfo_notes[] =
    "   RELEASE ........ zarn intro, the tools around it, and this very file\n"
    "   TYPE ........... software rendered intro, 640x480 in 16 bits\n"
    "   MUSIC .......... our own tracker module, played by our own replay\n"
    "   DATE ........... 2026\n"
    "\n"
    "   NOTES\n"
    "\n"
    "   Start the intro from this folder. It checks this file first: should\n"
    "   the check fail, the release is not the one we packed. Space goes on,\n"
    "   Escape leaves.\n"
    "\n"
    "   Everything you see was drawn pixel by pixel, with no help from the\n"
    "   graphics card: a bump-mapped logo under a moving light, glowing blobs,\n"
    "   two scrollers, a particle fountain and a pair of lit knots.\n"
    "\n"
    "   GREETINGS\n"
    "\n"
    "   to every scener who still counts cycles, to the trackers who still\n"
    "   count rows, and to you, who read NFO files to the very end.\n"
    "\n"
    "   ~~~~~~======%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%======~~~~~~\n";

bool continues_utf8_character(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The character that starts at byte `at` of `text` (column `column`) as a person can find it in the kit:
// itself where it shows, and always its code point. The scroll font has printable ASCII only.
std::string missing_glyph_words(const std::string& text, std::size_t at, std::size_t column) {
  const std::string where = " at column " + std::to_string(column);
  const auto byte = static_cast<unsigned char>(text[at]);
  if (byte > ' ' && byte <= '~') return std::string("holds '") + text[at] + "'" + where + ", which the scroll font has no glyph for";
  std::size_t end = at + 1;
  while (end < text.size() && continues_utf8_character(text[end])) ++end;
  const auto decoded = decode_utf8(std::string_view(text).substr(at, end - at));
  char code[16];
  if (!decoded || decoded->size() != 1) {
    std::snprintf(code, sizeof code, "0x%02X", byte);
    return std::string("holds byte ") + code + where + ", which is not UTF-8 text";
  }
  const char32_t character = decoded->front();
  std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(character));
  const std::string shown = character == '\t' ? "a tab" : character < ' ' || character == 0x7F
                                                         ? "a control character"
                                                         : quoted_for_message(text.substr(at, end - at));
  return "holds " + shown + " (" + code + ")" + where + "; the scroll font has plain ASCII characters only";
}

}  // namespace

std::string default_greetings() {
  return "zarn greets all sceners who still draw their pixels by hand ... hello to the trackers, "
         "the coders, the pixel pushers and the swappers of old ... respect to every group that "
         "ships an intro beside its release ... keep the scene alive!";
}

std::string default_credits() {
  return "code: zarn ... graphics: zarn ... music: zarn ... a bump-mapped logo, blobs, two scrollers, "
         "particles and two knots, all software rendered at 640x480 ... press escape to leave.";
}

std::string make_script(const std::string& greetings, const std::string& credits) {
  return "ZARNSTART\n" + greetings + "\nENDPART\n" + credits + "\nZARNEND\n";
}

std::string scroll_text_problem(const std::string& text) {
  if (text.size() + 1 > shell::script_part_capacity) {
    return "is " + std::to_string(text.size()) + " characters long; a scroll line holds at most " +
           std::to_string(shell::script_part_capacity - 1);
  }
  // The script reader takes a line 255 characters at a time and looks for its markers in each piece.
  for (const char* marker : {"ZARNSTART", "ENDPART", "ZARNEND"}) {
    if (text.find(marker) != std::string::npos) return std::string("holds the script's marker ") + marker;
  }
  std::size_t column = 0;
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (!continues_utf8_character(text[at])) ++column;
    if (!large_font_has(text[at])) return missing_glyph_words(text, at, column);
  }
  return {};
}

std::vector<std::uint8_t> default_nfo_text() {
  const std::string text = to_code_page_437(std::string(nfo_art) + nfo_notes);
  return {text.begin(), text.end()};
}

std::vector<std::uint8_t> make_nfo(const std::vector<std::uint8_t>& text) { return shell::sign_nfo(text); }

}  // namespace tools::assets
