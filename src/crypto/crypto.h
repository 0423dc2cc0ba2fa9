#pragma once
// The two primitives the programs need from a crypto library: AES-256 in ECB mode and MD5.
// Linux builds take them from OpenSSL's libcrypto, Windows builds from CNG (bcrypt); both give
// the same bytes, so nothing above this header knows which one it runs on.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

namespace trv81k::crypto {

inline constexpr std::size_t kAesBlockSize = 16;
inline constexpr std::size_t kAes256KeySize = 32;

// One expanded key for one direction. The library refusing AES-256-ECB with a valid key is a
// broken installation, not bad input: the constructor aborts then. Not to be shared between
// threads.
class Aes256Ecb {
public:
    Aes256Ecb(std::span<const std::uint8_t, kAes256KeySize> key, bool encrypt);
    ~Aes256Ecb();
    Aes256Ecb(const Aes256Ecb&) = delete;
    Aes256Ecb& operator=(const Aes256Ecb&) = delete;

    // Every 16-byte block on its own, no padding: `in` and `out` have the same size, a multiple
    // of 16. Aborts when the library fails on them.
    void run(std::span<const std::uint8_t> in, std::span<std::uint8_t> out);

private:
    struct State;
    std::unique_ptr<State> state_;
};

// The MD5 digest; empty when the library offers no MD5 (a FIPS-only configuration).
std::optional<std::array<std::uint8_t, 16>> Md5(std::span<const std::uint8_t> data);

}  // namespace trv81k::crypto
