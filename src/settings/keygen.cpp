#include "settings/keygen.h"

#include <algorithm>
#include <optional>
#include <stdexcept>

#include "crypto/crypto.h"

namespace trv81k {

namespace {

constexpr std::size_t kBlockSize = 64;

// MD5 of the 64-byte block; empty when the crypto library refuses (MD5 not available, for
// example under a FIPS-only configuration).
std::optional<std::array<std::uint8_t, 16>> Md5OfBlock(
    const std::array<std::uint8_t, kBlockSize>& block) {
    return crypto::Md5(block);
}

// The 128-bit key, empty when MD5 failed. An empty passphrase gives the all-zero key: there
// is nothing to repeat into the block.
std::optional<std::array<std::uint8_t, 13>> Wep128Key(std::span<const std::uint8_t> passphrase) {
    std::array<std::uint8_t, 13> key{};
    if (passphrase.empty()) {
        return key;
    }
    std::array<std::uint8_t, kBlockSize> block{};
    for (std::size_t i = 0; i < block.size(); ++i) {
        block[i] = passphrase[i % passphrase.size()];
    }
    const auto digest = Md5OfBlock(block);
    if (!digest) {
        return std::nullopt;
    }
    std::copy_n(digest->begin(), key.size(), key.begin());
    return key;
}

// The characters of a text as 8-bit values.
std::span<const std::uint8_t> AsBytes(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

}  // namespace

std::array<std::uint8_t, 20> Wep64KeysFromPassphrase(std::span<const std::uint8_t> passphrase) {
    std::array<std::uint8_t, 4> seed{};
    for (std::size_t i = 0; i < passphrase.size(); ++i) {
        seed[i % seed.size()] ^= passphrase[i];
    }
    std::uint32_t x =
        static_cast<std::uint32_t>(seed[0]) | (static_cast<std::uint32_t>(seed[1]) << 8) |
        (static_cast<std::uint32_t>(seed[2]) << 16) | (static_cast<std::uint32_t>(seed[3]) << 24);
    std::array<std::uint8_t, 20> keys{};
    for (auto& byte : keys) {
        x = x * 214013u + 2531011u;  // unsigned: wraps modulo 2^32
        byte = static_cast<std::uint8_t>((x >> 16) & 0xFFu);
    }
    return keys;
}

std::array<std::uint8_t, 13> Wep128KeyFromPassphrase(std::span<const std::uint8_t> passphrase) {
    const auto key = Wep128Key(passphrase);
    if (!key) {
        throw std::runtime_error("MD5 is not available from the crypto library");
    }
    return *key;
}

std::string Wep64KeyText(std::string_view passphrase) {
    if (passphrase.empty()) {
        return {};
    }
    const auto keys = Wep64KeysFromPassphrase(AsBytes(passphrase));
    return HexUpper(std::span(keys).first<5>());
}

std::string Wep128KeyText(std::string_view passphrase) {
    if (passphrase.empty()) {
        return {};
    }
    const auto key = Wep128Key(AsBytes(passphrase));
    return key ? HexUpper(*key) : std::string();
}

std::string HexUpper(std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const std::uint8_t byte : bytes) {
        text.push_back(kDigits[byte >> 4]);
        text.push_back(kDigits[byte & 0x0F]);
    }
    return text;
}

}  // namespace trv81k
