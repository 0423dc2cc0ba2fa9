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

std::optional<int> DeviceTable::find(const MacAddress& mac) const {
    const int stored = count();
    for (int i = 0; i < stored; ++i) {
        if (entries[static_cast<std::size_t>(i)].macAddress == mac) {
            return i;
        }
    }
    return std::nullopt;
}

bool DeviceTable::append(const DeviceInfo& device, const Adapter& arrivedOn) {
    const int stored = deviceCount.load(std::memory_order_relaxed);
    if (stored >= static_cast<int>(kMaxDevices)) {
        return false;
    }
    entries[static_cast<std::size_t>(stored)] = device;
    adapters[static_cast<std::size_t>(stored)] = arrivedOn;
    deviceCount.store(stored + 1, std::memory_order_release);
    return true;
}

void DeviceTable::clear() {
    entries.fill(DeviceInfo{});
    adapters.fill(Adapter{});
    deviceCount.store(0, std::memory_order_release);
}

void ExchangeState::clearPairing() {
    put(bGetCheckBPSAck, false);
    put(bBPSActive, false);
    put(selectedBPSAnswered, false);
}

void ExchangeState::setRequestKind(PacketKind kind) {
    lastRequestKind.store(static_cast<int>(kind), std::memory_order_release);
}

void ExchangeState::recordLoginAnswer(bool accepted) {
    put(bAuthOK, accepted);
    put(bGetAuthAck, true);
    authAnswers.fetch_add(1, std::memory_order_acq_rel);
}

void ExchangeState::recordPairingAnswer() {
    put(bGetCheckBPSAck, true);
}

void ExchangeState::recordSelectedPairingState(bool managed) {
    // The state is written before the flags that announce it.
    put(bBPSActive, managed);
    put(selectedBPSAnswered, true);
    put(bGetCheckBPSAck, true);
}

void ExchangeState::recordConfigureAcknowledged() {
    put(bGetConfigureAck, true);
    put(bConfigureAckSeen, true);
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
Ipv4Address ExchangeState::localIP() const {
    return unpackBytes<4>(localIPBits.load(std::memory_order_acquire));
}
void ExchangeState::setLocalIP(const Ipv4Address& address) {
    localIPBits.store(static_cast<std::uint32_t>(packBytes(address)), std::memory_order_release);
}

const DeviceInfo* ExchangeState::choose(int index) {
    if (index < 0 || index >= table.count()) {
        return nullptr;
    }
    const DeviceInfo& entry = table.at(index);
    setSelectedIndex(index);
    setSelectedMAC(entry.macAddress);
    setSelectedToken(entry.deviceToken);
    return &entry;
}

bool ExchangeState::hasSelection() const {
    const int index = selectedIndex();
    return index >= 0 && index < table.count();
}

ExchangeState::Flags ExchangeState::flags() const {
    return Flags{get(bGetSearchAck),   get(bPairingDeviceFound), get(bGetAuthAck),
                 get(bAuthOK),         get(bGetConfigureAck),    get(bConfigureAckSeen),
                 get(bGetCheckBPSAck), get(bBPSActive)};
}

void ExchangeState::setFlags(const Flags& f) {
    put(bGetSearchAck, f.bGetSearchAck);
    put(bPairingDeviceFound, f.bPairingDeviceFound);
    put(bGetAuthAck, f.bGetAuthAck);
    put(bAuthOK, f.bAuthOK);
    put(bGetConfigureAck, f.bGetConfigureAck);
    put(bConfigureAckSeen, f.bConfigureAckSeen);
    put(bGetCheckBPSAck, f.bGetCheckBPSAck);
    put(bBPSActive, f.bBPSActive);
}

void ExchangeState::reset() {
    for (auto* flag :
         {&bGetSearchAck, &bPairingDeviceFound, &bGetAuthAck, &bAuthOK, &bGetConfigureAck,
          &bConfigureAckSeen, &bGetCheckBPSAck, &bBPSActive, &selectedBPSAnswered}) {
        put(*flag, false);
    }
    authAnswers.store(0, std::memory_order_release);
    table.clear();
    lastRequestKind.store(0, std::memory_order_release);
    selectedEntry.store(0, std::memory_order_release);
    selectedMACBits.store(0, std::memory_order_release);
    selectedTokenBits.store(0, std::memory_order_release);
    localIPBits.store(0, std::memory_order_release);
}

}  // namespace trv81k
