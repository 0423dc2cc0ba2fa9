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

// Text that came from a device or a file, made safe for a terminal: C0 and C1 control
// characters, DEL and bytes that are not well-formed UTF-8 become '?', so no escape sequence
// (ESC [ 2 J, OSC 52 ...) reaches the terminal. The one function every such text goes
// through on its way to standard output or standard error.
std::string TerminalText(std::string_view utf8);
// The same for Latin-1 text (a device's name, SSID, firmware).
std::string TerminalLatin1(std::string_view latin1);
// A value as a message repeats it: terminal-safe and cut to `maxCharacters`, "..." marking
// the cut.
std::string ShownValue(std::string_view utf8, std::size_t maxCharacters = 60);

// Whether a Latin-1 text holds a control character (C0, DEL or C1): none can be typed into a
// field, and a device name, SSID or password holding one cannot be what the user wants.
bool HasControlCharacter(std::string_view latin1);

}  // namespace trv81k
