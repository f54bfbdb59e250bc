// The text files of the default set: the scroll script and the group's NFO.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tools::assets {

// "zarn.dat": greetings on the upper scroll line, credits on the lower one, in characters the scroll
// font has.
std::string make_script();

// "ZARN.NFO": code page 437 art and release notes with CR LF line ends, signed.
std::vector<std::uint8_t> make_nfo();

}  // namespace tools::assets
