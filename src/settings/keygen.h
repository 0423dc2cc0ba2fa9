#pragma once
// WEP keys from a passphrase, as the device derives them.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace trv81k {

// Four 5-byte keys (bytes 0-4 are key 1) from a seed folded out of the passphrase. The
// passphrase should not be empty (the WEP page never asks for it); an empty one folds to the
// seed 0 like any other passphrase whose bytes cancel out.
std::array<std::uint8_t, 20> Wep64KeysFromPassphrase(std::span<const std::uint8_t> passphrase);
// One 13-byte key: MD5 over the passphrase repeated to 64 bytes. Not empty either: an empty
// passphrase has nothing to repeat and gives 13 zero bytes. Throws std::runtime_error when the
// crypto library offers no MD5 (a FIPS-only configuration, for example).
std::array<std::uint8_t, 13> Wep128KeyFromPassphrase(std::span<const std::uint8_t> passphrase);

// The key as the WEP page shows it: upper-case hexadecimal, two digits a byte. The passphrase
// is taken as 8-bit characters (Latin-1, one byte a character); an empty passphrase gives an
// empty text. Neither throws: the 128-bit text is empty as well when MD5 is not available, so
// the key check refuses it instead of a wrong key reaching the device.
std::string Wep64KeyText(std::string_view passphrase);   // key 1: 10 digits
std::string Wep128KeyText(std::string_view passphrase);  // 26 digits

// Upper-case hexadecimal of any bytes.
std::string HexUpper(std::span<const std::uint8_t> bytes);

}  // namespace trv81k
