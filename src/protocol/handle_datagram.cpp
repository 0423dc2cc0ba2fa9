#include "protocol/handle_datagram.h"

#include <algorithm>

#include "platform/trace.h"
#include "protocol/cipher.h"

namespace trv81k {
namespace {

HandleResult handleSearchAnswer(const PlainMessage& plain, ExchangeState& state) {
    state.recordSearchAnswer();
    const ParsedSearchAnswer parsed = parseSearchAnswer(plain);
    // Duplicates are known by the answer's first six payload bytes, whatever follows them.
    if (state.table.contains(parsed.device.deviceId)) {
        return {DatagramOutcome::SearchDuplicate, false};
    }
    if (state.table.count() >= static_cast<int>(kMaxDevices)) {
        return {DatagramOutcome::SearchTableFull, false};
    }
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
    state.recordDeviceListed();
    return {DatagramOutcome::SearchStored, true};
}

HandleResult handleAuthAnswer(const AuthAnswer& answer, ExchangeState& state) {
    if (state.requestKind() != static_cast<int>(PacketKind::Authentication) ||
        answer.clientIP != state.localIP() || answer.token != state.selectedToken()) {
        return {DatagramOutcome::AuthIgnored, false};
    }
    state.recordLoginAnswer(answer.status == 0);
    return {DatagramOutcome::AuthTaken, false};
}

HandleResult handleCheckBPSAnswer(const CheckBPSAnswer& answer, ExchangeState& state) {
    if (answer.mac != state.selectedMAC()) {
        state.recordPairingAnswer();
        return {DatagramOutcome::CheckBPSOtherDevice, false};
    }
    state.recordSelectedPairingState(answer.pairingState == 1);
    return {DatagramOutcome::CheckBPSTaken, true};
}

HandleResult handleConfigureAnswer(const ConfigureAnswer& answer, ExchangeState& state) {
    Trace("receive TRV81K_ServerConfigureAck");
    if (state.selectedIndex() < 0 || answer.mac != state.selectedMAC()) {
        return {DatagramOutcome::ConfigureOtherDevice, false};
    }
    if (answer.status != 0) {
        return {DatagramOutcome::ConfigureRefused, false};
    }
    state.recordConfigureAcknowledged();
    return {DatagramOutcome::ConfigureAcknowledged, false};
}

}  // namespace

HandleResult handlePlainMessage(const PlainMessage& plain, ExchangeState& state) {
    switch (classify(plain)) {
        case MessageKind::CheckBPSAnswer:
            return handleCheckBPSAnswer(*parseCheckBPSAnswer(plain), state);
        case MessageKind::SearchAnswer:
            return handleSearchAnswer(plain, state);
        case MessageKind::AuthAnswer:
            return handleAuthAnswer(*parseAuthAnswer(plain), state);
        case MessageKind::ConfigureAnswer:
            return handleConfigureAnswer(*parseConfigureAnswer(plain), state);
        default:
            return {DatagramOutcome::Unknown, false};
    }
}

HandleResult handleDatagram(std::span<const std::uint8_t> datagram, ExchangeState& state) {
    return handlePlainMessage(
        decryptPacket(datagram.first(std::min(datagram.size(), kReceiveBufferSize))), state);
}

}  // namespace trv81k
