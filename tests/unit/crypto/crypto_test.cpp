// The known answers both backends (OpenSSL, CNG) must give: FIPS-197 appendix C.3 for
// AES-256 and the test suite of RFC 1321 for MD5.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "../hex_text.h"
#include "crypto/crypto.h"

namespace trv81k::crypto {
namespace {

using testing::fromHex;

std::vector<std::uint8_t> bytesOf(std::string_view text) {
    return {text.begin(), text.end()};
}

TEST(Aes256Ecb, GivesTheFips197Answer) {
    std::array<std::uint8_t, kAes256KeySize> key{};
    for (std::size_t i = 0; i < key.size(); ++i) {
        key[i] = static_cast<std::uint8_t>(i);
    }
    const std::vector<std::uint8_t> plain = fromHex("00112233445566778899aabbccddeeff");
    const std::vector<std::uint8_t> expected = fromHex("8ea2b7ca516745bfeafc49904b496089");
    // Two blocks: ECB encrypts each on its own, so the second equals the first.
    std::vector<std::uint8_t> twice = plain;
    twice.insert(twice.end(), plain.begin(), plain.end());
    std::vector<std::uint8_t> cipher(twice.size());
    Aes256Ecb(key, true).run(twice, cipher);
    EXPECT_EQ(std::vector(cipher.begin(), cipher.begin() + 16), expected);
    EXPECT_EQ(std::vector(cipher.begin() + 16, cipher.end()), expected);

    std::vector<std::uint8_t> back(cipher.size());
    Aes256Ecb(key, false).run(cipher, back);
    EXPECT_EQ(back, twice);
}

TEST(Md5, GivesTheRfc1321Answers) {
    const std::array<std::pair<std::string_view, std::string_view>, 4> cases{{
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    }};
    for (const auto& [text, digest] : cases) {
        const auto result = Md5(bytesOf(text));
        ASSERT_TRUE(result.has_value()) << text;
        EXPECT_EQ(std::vector(result->begin(), result->end()), fromHex(digest)) << text;
    }
}

}  // namespace
}  // namespace trv81k::crypto
