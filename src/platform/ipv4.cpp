#include "platform/ipv4.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <algorithm>
#include <cstring>

namespace trv81k {

std::optional<Ipv4Address> ParseIPv4(std::string_view text) {
    std::array<char, 16> terminated{};  // "255.255.255.255" and its zero byte
    if (text.size() >= terminated.size() || text.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    std::copy(text.begin(), text.end(), terminated.begin());
    ::in_addr parsed{};
    if (::inet_pton(AF_INET, terminated.data(), &parsed) != 1) {
        return std::nullopt;
    }
    Ipv4Address bytes;
    static_assert(sizeof(parsed) == sizeof(bytes));
    std::memcpy(bytes.data(), &parsed, bytes.size());
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
