#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "../hex_text.h"
#include "known_vectors.h"
#include "protocol/cipher.h"

namespace trv81k {
namespace {

using testing::fromHex;

PlainMessage patternMessage() {
    PlainMessage plain;
    for (std::size_t i = 0; i < plain.size(); ++i) {
        plain[i] = static_cast<std::uint8_t>((i * 7 + 3) & 0xFF);
    }
    return plain;
}

TEST(Cipher, MatchesIndependentlyComputedCiphertext) {
    const auto expectedSearch = fromHex(kSearchSeed1700000000);
    const CipherBlock search = encryptPacket(buildSearchRequest(), 1700000000);
    EXPECT_TRUE(
        std::equal(search.begin(), search.end(), expectedSearch.begin(), expectedSearch.end()));

    const auto expectedPattern = fromHex(kPatternSeed0);
    const CipherBlock pattern = encryptPacket(patternMessage(), 0);
    EXPECT_TRUE(
        std::equal(pattern.begin(), pattern.end(), expectedPattern.begin(), expectedPattern.end()));

    const auto zeroPlain = fromHex(kZeroCipherPlain);
    const PlainMessage decrypted = decryptPacket(std::vector<std::uint8_t>(640, 0));
    EXPECT_TRUE(std::equal(decrypted.begin(), decrypted.end(), zeroPlain.begin(), zeroPlain.end()));
}

TEST(Cipher, RoundTripIgnoresFillerAndSeed) {
    const PlainMessage plain = patternMessage();
    for (std::time_t seconds :
         {std::time_t{0}, std::time_t{1}, std::time_t{1700000000}, std::time(nullptr)}) {
        EXPECT_EQ(decryptPacket(encryptPacket(plain, seconds)), plain) << seconds;
    }
    // Same second, same bytes; the next second, other filler and so other bytes.
    EXPECT_EQ(encryptPacket(plain, 42), encryptPacket(plain, 42));
    EXPECT_NE(encryptPacket(plain, 42), encryptPacket(plain, 43));
}

TEST(Cipher, ShortDatagramIsDecryptedWithZerosInPlaceOfMissingBytes) {
    const Datagram sealed = sealPacket(patternMessage(), 7);
    for (std::size_t length : {std::size_t{0}, std::size_t{1}, std::size_t{15}, std::size_t{16},
                               std::size_t{333}, std::size_t{639}}) {
        std::vector<std::uint8_t> padded(sealed.begin(),
                                         sealed.begin() + static_cast<std::ptrdiff_t>(length));
        const PlainMessage fromShort = decryptPacket(padded);
        padded.resize(640, 0);
        EXPECT_EQ(fromShort, decryptPacket(padded)) << length;
    }
    // Bytes from 640 on, the checksum included, play no part.
    std::vector<std::uint8_t> longer(sealed.begin(), sealed.end());
    longer.resize(740, 0xEE);
    EXPECT_EQ(decryptPacket(longer), patternMessage());
}

TEST(Cipher, ChecksumIsTheByteSumModulo256) {
    CipherBlock block{};
    EXPECT_EQ(checksum(block), 0);
    block.fill(0xFF);
    EXPECT_EQ(checksum(block), 0x80);
    const Datagram sealed = sealPacket(buildSearchRequest(), 1700000000);
    EXPECT_EQ(sealed[640], 0x9A);  // from the independent computation
}

TEST(Cipher, ThreadsEncryptAndDecryptAtTheSameTime) {
    const PlainMessage plain = patternMessage();
    const Datagram sealed = sealPacket(plain, 5);
    const CipherBlock expected = encryptPacket(plain, 5);
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 2000; ++i) {
                if (t % 2 == 0) {
                    if (encryptPacket(plain, 5) != expected) {
                        ++failures;
                    }
                } else if (decryptPacket(sealed) != plain) {
                    ++failures;
                }
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(failures.load(), 0);
}

}  // namespace
}  // namespace trv81k
