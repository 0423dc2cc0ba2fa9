#pragma once
// The packet cipher: a 320-byte plain message interleaved with filler bytes and encrypted with
// AES-256 in ECB mode under the fixed key shared by every device. Each call works on its own
// buffers, so the sending and the receiving thread may use it at the same time.

#include <cstdint>
#include <ctime>
#include <span>

#include "protocol/wire.h"

namespace trv81k {

// The fixed key text: its 32 character codes are the 32 key bytes.
inline constexpr char kPacketKey[] = "k3v9q1m7x2p8w4n6r0t5y1u8i3o6a9sd";

// Encrypts one plain message. The filler generator is seeded with `seconds`, so two messages
// encrypted within the same second get the same filler.
CipherBlock encryptPacket(const PlainMessage& plain, std::time_t seconds);
CipherBlock encryptPacket(const PlainMessage& plain);  // seeded with the current time

// Decrypts the first 640 bytes of a received datagram; a shorter datagram is decrypted with
// zero bytes in place of the missing ones. Bytes from 640 on are ignored.
PlainMessage decryptPacket(std::span<const std::uint8_t> received);

// Sum of the 640 cipher bytes modulo 256.
std::uint8_t checksum(std::span<const std::uint8_t, kCipherSize> cipher);

// The whole datagram: encrypted message and checksum byte.
Datagram sealPacket(const PlainMessage& plain, std::time_t seconds);
Datagram sealPacket(const PlainMessage& plain);

}  // namespace trv81k
