#pragma once
// The texts a device stores are 8-bit, one byte a character (Latin-1). The command line and
// the terminal speak UTF-8; these turn one into the other.

#include <optional>
#include <string>
#include <string_view>

namespace trv81k {

// Empty when the UTF-8 is not well formed (truncated or overlong sequences, surrogates, code
// points above U+10FFFF, stray continuation bytes) or names a character above U+00FF.
std::optional<std::string> Utf8ToLatin1(std::string_view utf8);
// Always succeeds: every Latin-1 byte is a character.
std::string Latin1ToUtf8(std::string_view latin1);

}  // namespace trv81k
