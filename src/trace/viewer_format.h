#pragma once
// How the trace viewer shows a received block: a local time stamp and the line, made safe for a
// terminal.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace trv81k {

// The line of a block: its bytes up to the first zero byte, at most 255 of them. Printable
// ASCII stays as it is, a backslash becomes "\\", every other byte (control characters,
// DEL, bytes from 0x80 up) becomes "\xNN" with upper-case hexadecimal digits.
std::string EscapeTraceLine(std::span<const std::uint8_t> block);

// "HH:MM:SS.mmm" in local time.
std::string LocalTimeStamp(std::chrono::system_clock::time_point when);

// One output line without its newline: time stamp, a space, with `showLength` the block's
// length as "[N] ", then the escaped line. `receivedLength` is the datagram's real size, which
// may be larger than the bytes given.
std::string FormatTraceOutput(std::chrono::system_clock::time_point when,
                              std::span<const std::uint8_t> block, std::size_t receivedLength,
                              bool showLength);

}  // namespace trv81k
