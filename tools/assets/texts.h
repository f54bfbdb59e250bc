// The text files of the default set: the scroll script and the group's NFO.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tools::assets {

// The default set's scroll lines: greetings on the upper one, credits on the lower one.
std::string default_greetings();
std::string default_credits();

// "zarn.dat": the greetings on the upper scroll line, the credits on the lower one, each one line in
// characters the scroll font has.
std::string make_script(const std::string& greetings = default_greetings(),
                        const std::string& credits = default_credits());

// Why a scroll line cannot go into the script as it is (a character the scroll font lacks, a line break,
// a marker of the script's own, too long), or empty.
std::string scroll_text_problem(const std::string& text);

// The default set's NFO text: code page 437 art and release notes with CR LF line ends, unsigned.
std::vector<std::uint8_t> default_nfo_text();

// "ZARN.NFO": the text with its checksum trailer, as `zarn-tool nfo sign` writes it.
std::vector<std::uint8_t> make_nfo(const std::vector<std::uint8_t>& text = default_nfo_text());

}  // namespace tools::assets
