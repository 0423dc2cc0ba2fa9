#include "protocol/exchange_state.h"

#include <algorithm>

namespace trv81k {
namespace {

template <std::size_t N>
std::uint64_t packBytes(const std::array<std::uint8_t, N>& bytes) {
    static_assert(N <= 8);
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < N; ++i) {
        bits |= std::uint64_t{bytes[i]} << (8 * i);
    }
    return bits;
}

template <std::size_t N>
std::array<std::uint8_t, N> unpackBytes(std::uint64_t bits) {
    std::array<std::uint8_t, N> bytes{};
    for (std::size_t i = 0; i < N; ++i) {
        bytes[i] = static_cast<std::uint8_t>(bits >> (8 * i));
    }
    return bytes;
}

}  // namespace

bool DeviceTable::contains(const DeviceId& id) const {
    const int stored = deviceCount.load(std::memory_order_relaxed);
    return std::any_of(entries.begin(), entries.begin() + stored,
                       [&id](const DeviceInfo& entry) { return entry.deviceId == id; });
}

bool DeviceTable::append(const DeviceInfo& device) {
    const int stored = deviceCount.load(std::memory_order_relaxed);
    if (stored >= static_cast<int>(kMaxDevices)) {
        return false;
    }
    entries[static_cast<std::size_t>(stored)] = device;
    deviceCount.store(stored + 1, std::memory_order_release);
    return true;
}

void DeviceTable::clear() {
    entries.fill(DeviceInfo{});
    deviceCount.store(0, std::memory_order_release);
}

MacAddress ExchangeState::selectedMAC() const {
    return unpackBytes<6>(selectedMACBits.load(std::memory_order_acquire));
}
void ExchangeState::setSelectedMAC(const MacAddress& mac) {
    selectedMACBits.store(packBytes(mac), std::memory_order_release);
}
DeviceToken ExchangeState::selectedToken() const {
    return unpackBytes<4>(selectedTokenBits.load(std::memory_order_acquire));
}
void ExchangeState::setSelectedToken(const DeviceToken& token) {
    selectedTokenBits.store(static_cast<std::uint32_t>(packBytes(token)),
                            std::memory_order_release);
}
Ipv4Bytes ExchangeState::localIP() const {
    return unpackBytes<4>(localIPBits.load(std::memory_order_acquire));
}
void ExchangeState::setLocalIP(const Ipv4Bytes& address) {
    localIPBits.store(static_cast<std::uint32_t>(packBytes(address)), std::memory_order_release);
}

const DeviceInfo* ExchangeState::choose(int index) {
    if (index < 0 || index >= table.count()) {
        return nullptr;
    }
    const DeviceInfo& entry = table.at(index);
    selectedIndex.store(index, std::memory_order_release);
    setSelectedMAC(entry.macAddress);
    setSelectedToken(entry.deviceToken);
    return &entry;
}

bool ExchangeState::hasSelection() const {
    const int index = selectedIndex.load(std::memory_order_acquire);
    return index >= 0 && index < table.count();
}

void ExchangeState::reset() {
    for (auto* flag : {&bGetSearchAck, &bPairingDeviceFound, &bGetAuthAck, &bAuthOK,
                       &bGetConfigureAck, &bConfigureAckSeen, &bGetCheckBPSAck, &bBPSActive}) {
        flag->store(false, std::memory_order_release);
    }
    table.clear();
    requestKind.store(0, std::memory_order_release);
    selectedIndex.store(0, std::memory_order_release);
    selectedMACBits.store(0, std::memory_order_release);
    selectedTokenBits.store(0, std::memory_order_release);
    localIPBits.store(0, std::memory_order_release);
}

}  // namespace trv81k
