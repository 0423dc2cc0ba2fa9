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

namespace {

std::uint32_t packAddress(const Ipv4Address& address) {
    return static_cast<std::uint32_t>(address[0]) << 24 |
           static_cast<std::uint32_t>(address[1]) << 16 |
           static_cast<std::uint32_t>(address[2]) << 8 | address[3];
}

}  // namespace

ExchangeState::DeviceAnswers& ExchangeState::answersOf(int device) {
    return devices_[static_cast<std::size_t>(std::clamp<int>(device, 0, kMaxDevices - 1))];
}

const ExchangeState::DeviceAnswers& ExchangeState::answersOf(int device) const {
    return devices_[static_cast<std::size_t>(std::clamp<int>(device, 0, kMaxDevices - 1))];
}

void ExchangeState::noteRequestTo(int device, PacketKind kind, const Ipv4Address& from) {
    DeviceAnswers& answers = answersOf(device);
    if (kind == PacketKind::Authentication) {
        answers.client.store(packAddress(from), std::memory_order_release);
    }
    if (kind != PacketKind::CheckBPS) {
        answers.lastRequest.store(static_cast<int>(kind), std::memory_order_release);
    }
}

void ExchangeState::noteSearchRequest() {
    for (DeviceAnswers& answers : devices_) {
        answers.lastRequest.store(static_cast<int>(PacketKind::Search), std::memory_order_release);
        put(answers.loginAnswered, false);
    }
}

void ExchangeState::clearDevicePasswordAccepted(int device) {
    put(answersOf(device).passwordAccepted, false);
}

std::uint64_t ExchangeState::deviceLoginAnswers(int device) const {
    return answersOf(device).loginAnswers.load(std::memory_order_acquire);
}
bool ExchangeState::devicePasswordAccepted(int device) const {
    return get(answersOf(device).passwordAccepted);
}
bool ExchangeState::deviceLoggedIn(int device) const {
    return get(answersOf(device).loginAnswered) && get(answersOf(device).passwordAccepted);
}
std::uint64_t ExchangeState::devicePairingAnswers(int device) const {
    return answersOf(device).pairingAnswers.load(std::memory_order_acquire);
}
bool ExchangeState::devicePairingManaged(int device) const {
    return get(answersOf(device).pairingManaged);
}
std::uint64_t ExchangeState::deviceAcknowledgements(int device) const {
    return answersOf(device).acknowledgements.load(std::memory_order_acquire);
}
std::uint64_t ExchangeState::deviceConfigureRefusals(int device) const {
    return answersOf(device).configureRefusals.load(std::memory_order_acquire);
}

bool ExchangeState::recordLoginAnswer(const DeviceToken& token, const Ipv4Address& client,
                                      bool accepted) {
    bool taken = false;
    const int stored = table.count();
    for (int i = 0; i < stored; ++i) {
        DeviceAnswers& answers = answersOf(i);
        if (table.at(i).deviceToken != token ||
            answers.lastRequest.load(std::memory_order_acquire) !=
                static_cast<int>(PacketKind::Authentication) ||
            answers.client.load(std::memory_order_acquire) != packAddress(client)) {
            continue;
        }
        // The result is written before the flags and the count that announce it.
        put(answers.passwordAccepted, accepted);
        put(answers.loginAnswered, true);
        answers.loginAnswers.fetch_add(1, std::memory_order_acq_rel);
        if (table.at(i).deviceToken == selectedToken()) {
            put(bAuthOK, accepted);
            put(bGetAuthAck, true);
            authAnswers.fetch_add(1, std::memory_order_acq_rel);
        }
        taken = true;
    }
    return taken;
}

bool ExchangeState::recordPairingAnswer(const MacAddress& mac, bool managed) {
    if (mac == selectedMAC()) {
        // The state is written before the flags that announce it.
        put(bBPSActive, managed);
        put(selectedBPSAnswered, true);
    }
    put(bGetCheckBPSAck, true);
    const std::optional<int> device = table.find(mac);
    if (!device) {
        return false;
    }
    DeviceAnswers& answers = answersOf(*device);
    put(answers.pairingManaged, managed);
    answers.pairingAnswers.fetch_add(1, std::memory_order_acq_rel);
    return true;
}

bool ExchangeState::recordAcknowledgement(const MacAddress& mac) {
    bool taken = false;
    if (selectedIndex() >= 0 && mac == selectedMAC()) {
        put(bGetConfigureAck, true);
        put(bConfigureAckSeen, true);
        taken = true;
    }
    if (const std::optional<int> device = table.find(mac)) {
        answersOf(*device).acknowledgements.fetch_add(1, std::memory_order_acq_rel);
        taken = true;
    }
    return taken;
}

bool ExchangeState::recordConfigureRefusal(const MacAddress& mac) {
    if (const std::optional<int> device = table.find(mac)) {
        answersOf(*device).configureRefusals.fetch_add(1, std::memory_order_acq_rel);
        return true;
    }
    return false;
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

int ExchangeState::selectedDevice() const {
    return table.find(selectedMAC()).value_or(-1);
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
    for (DeviceAnswers& answers : devices_) {
        answers.lastRequest.store(0, std::memory_order_release);
        answers.client.store(0, std::memory_order_release);
        put(answers.loginAnswered, false);
        put(answers.passwordAccepted, false);
        answers.loginAnswers.store(0, std::memory_order_release);
        put(answers.pairingManaged, false);
        answers.pairingAnswers.store(0, std::memory_order_release);
        answers.acknowledgements.store(0, std::memory_order_release);
        answers.configureRefusals.store(0, std::memory_order_release);
    }
    table.clear();
    lastRequestKind.store(0, std::memory_order_release);
    selectedEntry.store(0, std::memory_order_release);
    selectedMACBits.store(0, std::memory_order_release);
    selectedTokenBits.store(0, std::memory_order_release);
    localIPBits.store(0, std::memory_order_release);
}

}  // namespace trv81k
