#pragma once
// The debug trace channel: one line of text to the trace viewer (trv81k-trace), if one runs.
// Each line travels as one 255-byte block over a Unix datagram socket in the abstract
// namespace named "TRACE Window": the text, its terminating zero byte, and the rest of the
// 256-byte line buffer up to 255 bytes. A text longer than 255 characters is cut. With no
// viewer the send fails at once and nothing else happens. Safe from any thread.

#include <string>

namespace trv81k {

inline constexpr char kTraceSocketName[] = "TRACE Window";
inline constexpr std::size_t kTraceLineBuffer = 256;
inline constexpr std::size_t kTraceBlockSize = 255;

void Trace(const char* text);
void Trace(const std::string& text);

}  // namespace trv81k
