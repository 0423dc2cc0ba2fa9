#include "protocol/cipher.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <bit>
#include <optional>

#include "crypto/crypto.h"

namespace trv81k {
namespace {

// The fixed key text's 32 character codes.
std::array<std::uint8_t, crypto::kAes256KeySize> packetKey() {
    static_assert(sizeof kPacketKey == crypto::kAes256KeySize + 1);
    std::array<std::uint8_t, crypto::kAes256KeySize> key{};
    std::copy_n(kPacketKey, key.size(), key.begin());
    return key;
}

// One ready context per thread and direction: the key is expanded once per thread and no
// buffer is shared between the sending and the receiving thread.
class CipherContext {
public:
    explicit CipherContext(bool encrypt) : aes_(packetKey(), encrypt) {}

    // Every 16-byte block on its own (ECB): no state is carried from one call to the next.
    void run(std::span<const std::uint8_t, kCipherSize> in,
             std::span<std::uint8_t, kCipherSize> out) {
        aes_.run(in, out);
    }

private:
    crypto::Aes256Ecb aes_;
};

CipherContext& encryptor() {
    thread_local CipherContext context(true);
    return context;
}

CipherContext& decryptor() {
    thread_local CipherContext context(false);
    return context;
}

// splitmix64: eight filler bytes a step, no dependency between the steps but the counter.
void fillFiller(std::uint64_t seed, PlainMessage& filler) {
    for (std::size_t i = 0; i < kPlainSize; i += 8) {
        seed += 0x9E3779B97F4A7C15ull;
        std::uint64_t z = seed;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        z ^= z >> 31;
        if constexpr (std::endian::native == std::endian::little) {
            const auto bytes = std::bit_cast<std::array<std::uint8_t, 8>>(z);
            std::copy(bytes.begin(), bytes.end(), filler.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            for (std::size_t j = 0; j < 8; ++j) {
                filler[i + j] = static_cast<std::uint8_t>(z >> (8 * j));
            }
        }
    }
}

// Byte 2i of the block is filler byte i, byte 2i+1 plain byte i.
void interleave(const PlainMessage& filler, const PlainMessage& plain, CipherBlock& out) {
#if defined(__SSE2__)
    static_assert(kPlainSize % 16 == 0);
    for (std::size_t i = 0; i < kPlainSize; i += 16) {
        const __m128i f = _mm_loadu_si128(reinterpret_cast<const __m128i*>(filler.data() + i));
        const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(plain.data() + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out.data() + 2 * i), _mm_unpacklo_epi8(f, p));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out.data() + 2 * i + 16),
                         _mm_unpackhi_epi8(f, p));
    }
#else
    for (std::size_t i = 0; i < kPlainSize; ++i) {
        out[2 * i] = filler[i];
        out[2 * i + 1] = plain[i];
    }
#endif
}

// Plain byte i is byte 2i+1 of the block; the filler at even positions is dropped.
void takeOddBytes(const CipherBlock& block, PlainMessage& plain) {
#if defined(__SSE2__)
    for (std::size_t i = 0; i < kPlainSize; i += 16) {
        const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block.data() + 2 * i));
        const __m128i high =
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(block.data() + 2 * i + 16));
        const __m128i odd = _mm_packus_epi16(_mm_srli_epi16(low, 8), _mm_srli_epi16(high, 8));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(plain.data() + i), odd);
    }
#else
    for (std::size_t i = 0; i < kPlainSize; ++i) {
        plain[i] = block[2 * i + 1];
    }
#endif
}

// The filler comes from a generator seeded with the time in whole seconds; the receiving side
// discards it unexamined.
void encryptInto(const PlainMessage& plain, std::time_t seconds,
                 std::span<std::uint8_t, kCipherSize> cipher) {
    // Every packet of one second gets the same filler: each thread keeps the last one.
    struct LastFiller {
        std::optional<std::time_t> seconds;
        PlainMessage bytes{};
    };
    thread_local LastFiller last;
    if (last.seconds != seconds) {
        fillFiller(static_cast<std::uint64_t>(seconds), last.bytes);
        last.seconds = seconds;
    }
    const PlainMessage& filler = last.bytes;
    CipherBlock interleaved;
    interleave(filler, plain, interleaved);
    encryptor().run(interleaved, cipher);
}

}  // namespace

CipherBlock encryptPacket(const PlainMessage& plain, std::time_t seconds) {
    CipherBlock cipher;
    encryptInto(plain, seconds, cipher);
    return cipher;
}

CipherBlock encryptPacket(const PlainMessage& plain) {
    return encryptPacket(plain, std::time(nullptr));
}

PlainMessage decryptPacket(std::span<const std::uint8_t> received) {
    CipherBlock work;
    if (received.size() >= kCipherSize) {
        decryptor().run(received.first<kCipherSize>(), work);
    } else {
        CipherBlock padded{};
        std::copy(received.begin(), received.end(), padded.begin());
        decryptor().run(padded, work);
    }
    PlainMessage plain;
    takeOddBytes(work, plain);
    return plain;
}

std::uint8_t checksum(std::span<const std::uint8_t, kCipherSize> cipher) {
    // Summed modulo 256 all along: the compiler adds sixteen bytes at a time where the target
    // has vector registers.
    std::uint8_t sum = 0;
    for (const std::uint8_t byte : cipher) {
        sum = static_cast<std::uint8_t>(sum + byte);
    }
    return sum;
}

Datagram sealPacket(const PlainMessage& plain, std::time_t seconds) {
    Datagram datagram;
    const auto cipher = std::span(datagram).first<kCipherSize>();
    encryptInto(plain, seconds, cipher);
    datagram[kCipherSize] = checksum(cipher);
    return datagram;
}

Datagram sealPacket(const PlainMessage& plain) {
    return sealPacket(plain, std::time(nullptr));
}

}  // namespace trv81k
