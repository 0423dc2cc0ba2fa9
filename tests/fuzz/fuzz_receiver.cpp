// The receiver's datagram handling against any bytes. The first input byte chooses the state
// the datagram meets and whether it arrives encrypted (through handleDatagram, as on the wire)
// or as a plain message (so the fuzzer reaches every answer layout without breaking AES).
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "protocol/cipher.h"
#include "protocol/handle_datagram.h"
#include "protocol/wire.h"

namespace {

using namespace trv81k;

DeviceInfo seedDevice(int n) {
    DeviceInfo d;
    d.deviceId = {1, 2, 3, 4, 5, static_cast<std::uint8_t>(n)};
    d.macAddress = {0, 0x1A, 0x2B, 0x3C, 0x4D, static_cast<std::uint8_t>(n)};
    d.deviceToken = {9, 9, 9, static_cast<std::uint8_t>(n)};
    d.deviceNameLength = 2;
    d.deviceName = {'A', static_cast<std::uint8_t>('0' + n % 10)};
    return d;
}

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::uint8_t mode = data[0];
    std::span<const std::uint8_t> bytes(data + 1, size - 1);
    bytes = bytes.first(std::min(bytes.size(), kReceiveBufferSize));

    static ExchangeState state;  // large: not on the stack
    state.reset();
    state.setLocalIP({10, 81, 0, 1});
    const int stored = (mode & 0x06) == 0 ? 0 : (mode & 0x06) == 2 ? 3 : 32;
    for (int i = 0; i < stored; ++i) {
        state.table.append(seedDevice(i));
    }
    if (mode & 0x08) {
        state.choose(stored > 0 ? 1 % stored : 0);
    } else {
        state.selectedIndex = -1;
    }
    state.requestKind = (mode >> 4) & 0x03;

    const int before = state.table.count();
    HandleResult result;
    if (mode & 0x01) {
        result = handleDatagram(bytes, state);
    } else {
        PlainMessage plain{};
        std::copy_n(bytes.begin(), std::min(bytes.size(), plain.size()), plain.begin());
        result = handlePlainMessage(plain, state);
    }

    // What must hold whatever arrived.
    const int after = state.table.count();
    check(after >= before && after <= static_cast<int>(kMaxDevices));
    check(after == before + (result.outcome == DatagramOutcome::SearchStored ? 1 : 0));
    for (int i = 0; i < after; ++i) {
        const DeviceInfo& d = state.table.at(i);
        check(d.ssidLength <= kMaxTextLength && d.deviceNameLength <= kMaxTextLength);
        check(d.auxNameLength <= kMaxTextLength && d.auxTextLength <= kMaxAuxTextLength);
        for (int j = 0; j < i; ++j) {
            check(state.table.at(j).deviceId != d.deviceId);
        }
    }
    if (state.bGetAuthAck) {
        check(state.requestKind == static_cast<int>(PacketKind::Authentication));
    }
    if (state.bConfigureAckSeen) {
        check(state.bGetConfigureAck);
    }
    return 0;
}
