// The default kit, written from the default set's own values so that the two cannot drift apart.
#include "tools/kit/kit_template.h"

#include <cstdio>
#include <vector>

#include "tools/assets/asset_set.h"
#include "tools/nfo/code_page_437.h"

namespace tools::kit {
namespace {


// A TOML basic string: quotes and backslashes escaped.
std::string quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

std::string colour_list(const std::vector<Rgb888>& colours) {
  std::string out = "[";
  for (std::size_t i = 0; i < colours.size(); ++i) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%s\"#%02x%02x%02x\"", i ? ", " : "", colours[i].r, colours[i].g, colours[i].b);
    out += hex;
  }
  return out + "]";
}

// The NFO text as a TOML literal block: its first line break is the one after the opening quotes, which
// TOML drops, so the text keeps the empty line it starts with.
std::string nfo_block(const std::vector<std::uint8_t>& nfo_text) { return "'''\n" + utf8_of_nfo_bytes(nfo_text) + "'''"; }

}  // namespace

std::string default_kit_text() {
  const assets::AssetRecipe d;
  std::string kit;
  kit += "# A kit for the ZARN intro: what goes into the files it reads, for `zarn-tool kit build KIT.toml OUTDIR`.\n"
         "# Every key may be left out, and then keeps the value of the default set shown here. File names are\n"
         "# relative to this file's folder. Text is UTF-8; lines starting with # are comments.\n"
         "\n"
         "[logo]\n"
         "# The big embossed lettering of the lit logo (640x480) and the line below it.\n"
         "lettering = " + quoted(d.logo.lettering) + "\n"
         "tagline = " + quoted(d.logo.tagline) + "\n"
         "# Or a picture of your own instead of both (PNG or JPEG, fitted into 640x480; its brightness becomes\n"
         "# the relief the moving light shows):\n"
         "# image = \"logo.png\"\n"
         "\n"
         "[banner]\n"
         "# The chrome banner at the top of the NFO screen (640x150) and the subtitle under it.\n"
         "lettering = " + quoted(d.banner.lettering) + "\n"
         "subtitle = " + quoted(d.banner.subtitle) + "\n"
         "# image = \"banner.png\"\n"
         "\n"
         "[credits]\n"
         "# The strip at the foot of the NFO screen (400x40), below a gold rule.\n"
         "text = " + quoted(d.credits.text) + "\n"
         "# image = \"credits.png\"\n"
         "\n"
         "[blob]\n"
         "# The ten glowing blobs are a soft round glow unless you give a picture (fitted into 28x28;\n"
         "# transparent pixels stay transparent):\n"
         "# image = \"blob.png\"\n"
         "\n"
         "[colours]\n"
         "# Colours as \"#rrggbb\", 2 to 16 of them, run smoothly into one another.\n"
         "# The lettered logo, from the plate's deepest colour to the letter tops; each at least as bright as\n"
         "# the one before, since the light reads the relief from the brightness.\n"
         "logo = " + colour_list(d.logo.colours) + "\n"
         "# The banner's chrome gradient, from the dark floor below its horizon to the bright sky.\n"
         "chrome = " + colour_list(d.banner.chrome) + "\n"
         "# The credits strip's lettering, dark to bright.\n"
         "credits = " + colour_list(d.credits.chrome) + "\n"
         "# The gold rule on the credits strip, from its dark ends to its brightest colour, which is also the\n"
         "# colour of the two 3D objects.\n"
         "gold = " + colour_list(d.credits.gold) + "\n"
         "# The scroll font's shading, 1 to 15, at the top of each letter and at its foot (the intro colours\n"
         "# the shades green itself).\n"
         "scroll_font_top = " + std::to_string(d.scroll_font.top) + "\n"
         "scroll_font_foot = " + std::to_string(d.scroll_font.foot) + "\n"
         "\n"
         "[scroll]\n"
         "# The two scrolling lines of the intro, each one line of letters, digits, spaces and . , : ' - + * ? ! / ( ).\n"
         "greetings = " + quoted(d.greetings) + "\n"
         "credits = " + quoted(d.credits_line) + "\n"
         "\n"
         "[nfo]\n"
         "# The NFO file ZARN.NFO, signed so that the intro's check passes. Written in UTF-8 and converted to\n"
         "# code page 437, the NFO character set: box drawing, blocks and shades such as \u2588 \u2580 \u2584 \u2593 \u2592 \u2591.\n"
         "# Or in a file of its own instead: file = \"group.nfo.txt\"\n"
         "text = " + nfo_block(d.nfo_text) + "\n"
         "\n"
         "[music]\n"
         "# An XM module of your own; without it the intro plays its built-in tune \"Emberline\".\n"
         "# file = \"tune.xm\"\n"
         "\n"
         "[object]\n"
         "# The 3D object: a Wavefront model (.obj; triangulated, centred, scaled and its faces turned for the\n"
         "# intro) or an object file (.3d); without it the built-in trefoil knot.\n"
         "# file = \"model.obj\"\n";
  return kit;
}

}  // namespace tools::kit
