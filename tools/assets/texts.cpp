// The scroll script and the NFO.
#include "tools/assets/texts.h"

#include "shell/nfo_check.h"

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

}  // namespace

std::string make_script() {
  return "ZARNSTART\n"
         "zarn greets all sceners who still draw their pixels by hand ... hello to the trackers, "
         "the coders, the pixel pushers and the swappers of old ... respect to every group that "
         "ships an intro beside its release ... keep the scene alive!\n"
         "ENDPART\n"
         "code: zarn ... graphics: zarn ... music: zarn ... a bump-mapped logo, blobs, two scrollers, "
         "particles and two knots, all software rendered at 640x480 ... press escape to leave.\n"
         "ZARNEND\n";
}

std::vector<std::uint8_t> make_nfo() {
  const std::string text = to_code_page_437(std::string(nfo_art) + nfo_notes);
  return shell::sign_nfo({text.begin(), text.end()});
}

}  // namespace tools::assets
