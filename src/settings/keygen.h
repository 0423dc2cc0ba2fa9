#pragma once
// WEP keys from a passphrase, as the device derives them.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace trv81k {

// Four 5-byte keys (bytes 0-4 are key 1) from a seed folded out of the passphrase. The
// passphrase must not be empty.
std::array<std::uint8_t, 20> Wep64KeysFromPassphrase(std::span<const std::uint8_t> passphrase);
// One 13-byte key: MD5 over the passphrase repeated to 64 bytes. Not empty either.
std::array<std::uint8_t, 13> Wep128KeyFromPassphrase(std::span<const std::uint8_t> passphrase);

// The key as the WEP page shows it: upper-case hexadecimal, two digits a byte. The passphrase
// is taken as 8-bit characters; an empty passphrase gives an empty text.
std::string Wep64KeyText(std::string_view passphrase);   // key 1: 10 digits
std::string Wep128KeyText(std::string_view passphrase);  // 26 digits

// Upper-case hexadecimal of any bytes.
std::string HexUpper(std::span<const std::uint8_t> bytes);

}  // namespace trv81k
