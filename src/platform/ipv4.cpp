#include "platform/ipv4.h"

#include <cstdint>

namespace trv81k {

std::optional<Ipv4Address> ParseIPv4(std::string_view text) {
    // Four decimal numbers of 0 to 255 joined by dots, each without a leading zero (which
    // some systems read as octal): "10.0.0.1", never "10.0.0.01", "10.1" or " 10.0.0.1".
    Ipv4Address bytes{};
    std::size_t part = 0;
    std::size_t digits = 0;
    unsigned value = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '.') {
            if (digits == 0 || part >= bytes.size()) {
                return std::nullopt;
            }
            bytes[part++] = static_cast<std::uint8_t>(value);
            digits = 0;
            value = 0;
            continue;
        }
        const char c = text[i];
        if (c < '0' || c > '9' || (digits == 1 && value == 0)) {
            return std::nullopt;
        }
        value = value * 10 + static_cast<unsigned>(c - '0');
        if (++digits > 3 || value > 255) {
            return std::nullopt;
        }
    }
    if (part != bytes.size()) {
        return std::nullopt;
    }
    return bytes;
}

std::string FormatIPv4(const Ipv4Address& address) {
    std::string text;
    text.reserve(15);
    for (std::size_t i = 0; i < address.size(); ++i) {
        if (i > 0) {
            text += '.';
        }
        text += std::to_string(address[i]);
    }
    return text;
}

}  // namespace trv81k
