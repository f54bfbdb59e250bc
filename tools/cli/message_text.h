// Values quoted in the tools' messages. A value comes from a stranger's file or command line and may be
// megabytes long; a message is one line a person reads.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tools {

// `text` as it is when it has at most `most` characters, otherwise its first `most` characters and "…";
// never cut inside a UTF-8 character. A control character is shown as "\x0A", so that the message stays
// one line.
std::string cut_for_message(std::string_view text, std::size_t most = 60);

// `text` cut as cut_for_message cuts it, in single quotes: 'ACME'.
std::string quoted_for_message(std::string_view text, std::size_t most = 60);

// `word` as a POSIX shell reads it back as one word: as it is when it holds only characters no shell
// treats specially, otherwise in single quotes.
std::string shell_quoted(std::string_view word);

}  // namespace tools
