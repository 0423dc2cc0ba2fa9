#pragma once
// Bytes from hexadecimal text ("8ea2b7"), for the known-answer tests.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace trv81k::testing {

inline std::vector<std::uint8_t> fromHex(std::string_view hex) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(
            static_cast<std::uint8_t>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    }
    return bytes;
}

}  // namespace trv81k::testing
