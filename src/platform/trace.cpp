// The debug trace channel: the line buffer. The send is the system's side.

#include "platform/trace.h"

#include <cstring>

namespace trv81k {

std::array<char, kTraceLineBuffer> TraceLine(const char* text) {
    // The text is cut to 254 characters, so that its zero byte is inside the 255 bytes that are
    // sent: a line of 255 characters would otherwise reach the viewer without an end.
    std::array<char, kTraceLineBuffer> line{};
    static_assert(kTraceBlockSize <= kTraceLineBuffer);
    if (text != nullptr) {
        const void* end = std::memchr(text, '\0', kTraceBlockSize - 1);
        const std::size_t length =
            end != nullptr ? static_cast<std::size_t>(static_cast<const char*>(end) - text)
                           : kTraceBlockSize - 1;
        std::memcpy(line.data(), text, length);
    }
    return line;
}

void Trace(const std::string& text) {
    Trace(text.c_str());
}

}  // namespace trv81k
