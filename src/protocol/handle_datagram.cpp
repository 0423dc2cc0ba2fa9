#include "protocol/handle_datagram.h"

#include <algorithm>

#include "platform/trace.h"
#include "protocol/cipher.h"

namespace trv81k {
namespace {

constexpr auto kRelease = std::memory_order_release;
constexpr auto kAcquire = std::memory_order_acquire;

template <std::size_t N>
bool bytesEqual(const PlainMessage& plain, std::size_t offset,
                const std::array<std::uint8_t, N>& value) {
    return std::equal(value.begin(), value.end(),
                      plain.begin() + static_cast<std::ptrdiff_t>(offset));
}

HandleResult handleSearchAnswer(const PlainMessage& plain, ExchangeState& state) {
    state.bGetSearchAck.store(true, kRelease);
    DeviceId id{};
    std::copy_n(plain.begin() + kTagSize, id.size(), id.begin());
    if (state.table.contains(id)) {
        return {DatagramOutcome::SearchDuplicate, false};
    }
    if (state.table.count() >= static_cast<int>(kMaxDevices)) {
        return {DatagramOutcome::SearchTableFull, false};
    }
    const ParsedSearchAnswer parsed = parseSearchAnswer(plain);
    switch (parsed.outcome) {
        case SearchAnswerParse::Malformed:
            return {DatagramOutcome::SearchMalformed, false};
        case SearchAnswerParse::NoMarker:
            return {DatagramOutcome::SearchNoMarker, false};
        case SearchAnswerParse::Stored:
            break;
    }
    // The entry is published before the flag, so whoever sees the flag finds the entry.
    state.table.append(parsed.device);
    state.bPairingDeviceFound.store(true, kRelease);
    return {DatagramOutcome::SearchStored, true};
}

HandleResult handleAuthAnswer(const PlainMessage& plain, ExchangeState& state) {
    if (state.requestKind.load(kAcquire) != static_cast<int>(PacketKind::Authentication) ||
        !bytesEqual(plain, 34, state.localIP()) || !bytesEqual(plain, 24, state.selectedToken())) {
        return {DatagramOutcome::AuthIgnored, false};
    }
    state.bAuthOK.store(plain[38] == 0, kRelease);
    state.bGetAuthAck.store(true, kRelease);
    return {DatagramOutcome::AuthTaken, false};
}

HandleResult handleCheckBPSAnswer(const PlainMessage& plain, ExchangeState& state) {
    if (!bytesEqual(plain, 24, state.selectedMAC())) {
        state.bGetCheckBPSAck.store(true, kRelease);
        return {DatagramOutcome::CheckBPSOtherDevice, false};
    }
    // The state is written before the flag that announces it.
    state.bBPSActive.store(plain[30] == 1, kRelease);
    state.bGetCheckBPSAck.store(true, kRelease);
    return {DatagramOutcome::CheckBPSTaken, true};
}

HandleResult handleConfigureAnswer(const PlainMessage& plain, ExchangeState& state) {
    Trace("receive TRV81K_ServerConfigureAck");
    if (state.selectedIndex.load(kAcquire) < 0 || !bytesEqual(plain, 24, state.selectedMAC())) {
        return {DatagramOutcome::ConfigureOtherDevice, false};
    }
    if (plain[30] != 0) {
        return {DatagramOutcome::ConfigureRefused, false};
    }
    state.bGetConfigureAck.store(true, kRelease);
    state.bConfigureAckSeen.store(true, kRelease);
    return {DatagramOutcome::ConfigureAcknowledged, false};
}

}  // namespace

HandleResult handlePlainMessage(const PlainMessage& plain, ExchangeState& state) {
    switch (classify(plain)) {
        case MessageKind::CheckBPSAnswer:
            return handleCheckBPSAnswer(plain, state);
        case MessageKind::SearchAnswer:
            return handleSearchAnswer(plain, state);
        case MessageKind::AuthAnswer:
            return handleAuthAnswer(plain, state);
        case MessageKind::ConfigureAnswer:
            return handleConfigureAnswer(plain, state);
        default:
            return {DatagramOutcome::Unknown, false};
    }
}

HandleResult handleDatagram(std::span<const std::uint8_t> datagram, ExchangeState& state) {
    return handlePlainMessage(
        decryptPacket(datagram.first(std::min(datagram.size(), kReceiveBufferSize))), state);
}

}  // namespace trv81k
