#pragma once
// The debug trace channel: one line of text to the trace viewer, if one runs. Each line travels
// as one 255-byte block: the text, its terminating zero byte, and the rest of the 256-byte line
// buffer up to 255 bytes. A text longer than 254 characters is cut to 254, so that its zero byte
// always lies inside the block. The bytes after the terminating zero are always zero, so no
// stale memory of the calling process reaches the viewer. With no viewer the send fails at once
// and nothing else happens. Safe from any thread.
//
// Linux: a Unix datagram socket in the abstract namespace named "TRACE Window" (trv81k-trace
// reads it). The send never waits: a viewer that stops reading lets its queue fill up, and
// further lines are dropped instead of holding up the thread that traces. Abstract socket names
// belong to a network namespace: the viewer sees the lines of programs that run in the same
// namespace only.
//
// Windows: WM_COPYDATA (dwData 0) to the top-level window of class "TMainFrame" titled
// "TRACE Window", the viewer the wizard has always had. A window message is delivered
// synchronously; a viewer that does not answer within a fifth of a second (or hangs) loses the
// line. Window names belong to a desktop: without a window station (a service) there is no
// viewer to find.

#include <array>
#include <cstddef>
#include <string>

#ifndef _WIN32
struct sockaddr_un;
#endif

namespace trv81k {

inline constexpr char kTraceSocketName[] = "TRACE Window";
inline constexpr char kTraceWindowClass[] = "TMainFrame";
inline constexpr char kTraceWindowTitle[] = "TRACE Window";
inline constexpr std::size_t kTraceLineBuffer = 256;
inline constexpr std::size_t kTraceBlockSize = 255;

// A null pointer is sent as an empty line. Returns nothing and reports nothing.
void Trace(const char* text);
// The text up to its first zero byte; an empty string is sent as an empty line.
void Trace(const std::string& text);

// The line buffer of one call: the text cut to 254 characters, its zero byte, zeros after.
std::array<char, kTraceLineBuffer> TraceLine(const char* text);

#ifndef _WIN32
// Fills the viewer's socket address (abstract namespace: a zero byte, then the name, no
// trailing zero) and returns the address length to pass to bind() or sendto().
std::size_t MakeTraceAddress(::sockaddr_un& address);
#endif

}  // namespace trv81k
