// How the trace viewer shows a received block.

#include "trace/viewer_format.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "platform/trace.h"

namespace trv81k {

std::string EscapeTraceLine(std::span<const std::uint8_t> block) {
    const auto limited = block.first(std::min(block.size(), kTraceBlockSize));
    const auto end = std::find(limited.begin(), limited.end(), std::uint8_t{0});
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(static_cast<std::size_t>(end - limited.begin()));
    for (auto byte = limited.begin(); byte != end; ++byte) {
        const std::uint8_t value = *byte;
        if (value == '\\') {
            text += "\\\\";
        } else if (value >= 0x20 && value < 0x7F) {
            text += static_cast<char>(value);
        } else {
            text += "\\x";
            text += kHex[value >> 4];
            text += kHex[value & 0x0F];
        }
    }
    return text;
}

std::string LocalTimeStamp(std::chrono::system_clock::time_point when) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(
                            when - std::chrono::system_clock::from_time_t(seconds))
                            .count();
    std::tm local{};
#ifdef _WIN32
    if (::localtime_s(&local, &seconds) != 0) {
        return "??:??:??.???";
    }
#else
    if (::localtime_r(&seconds, &local) == nullptr) {
        return "??:??:??.???";
    }
#endif
    char text[16];
    std::snprintf(text, sizeof(text), "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min,
                  local.tm_sec, static_cast<int>(std::clamp<long long>(millis, 0, 999)));
    return text;
}

std::string FormatTraceOutput(std::chrono::system_clock::time_point when,
                              std::span<const std::uint8_t> block, std::size_t receivedLength,
                              bool showLength) {
    std::string output = LocalTimeStamp(when);
    output += ' ';
    if (showLength) {
        output += '[';
        output += std::to_string(receivedLength);
        output += "] ";
    }
    output += EscapeTraceLine(block);
    return output;
}

}  // namespace trv81k
