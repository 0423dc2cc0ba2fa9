#pragma once
// IPv4 addresses as the programs hold them: four bytes in dotted order, first number first
// (network byte order), and their dotted text.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace trv81k {

using Ipv4Address = std::array<std::uint8_t, 4>;

// A strict dotted quad ("192.168.0.1"; no leading zeros, no short forms, no spaces).
std::optional<Ipv4Address> ParseIPv4(std::string_view text);
// "%d.%d.%d.%d".
std::string FormatIPv4(const Ipv4Address& address);

}  // namespace trv81k
