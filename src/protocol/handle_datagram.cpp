#include "protocol/handle_datagram.h"

#include <algorithm>

#include "platform/trace.h"
#include "protocol/cipher.h"

namespace trv81k {
namespace {

HandleResult handleSearchAnswer(const PlainMessage& plain, ExchangeState& state,
                                const Adapter& arrivedOn) {
    state.recordSearchAnswer();
    const ParsedSearchAnswer parsed = parseSearchAnswer(plain);
    // Duplicates are known by the answer's first six payload bytes, whatever follows them, and
    // by the hardware address (the same device heard on a second adapter).
    if (state.table.contains(parsed.device.deviceId) ||
        (parsed.outcome == SearchAnswerParse::Stored &&
         state.table.find(parsed.device.macAddress))) {
        return {DatagramOutcome::SearchDuplicate};
    }
    if (state.table.count() >= static_cast<int>(kMaxDevices)) {
        return {DatagramOutcome::SearchTableFull};
    }
    switch (parsed.outcome) {
        case SearchAnswerParse::Malformed:
            return {DatagramOutcome::SearchMalformed};
        case SearchAnswerParse::NoMarker:
            return {DatagramOutcome::SearchNoMarker};
        case SearchAnswerParse::Stored:
            break;
    }
    // The entry is published before the flag, so whoever sees the flag finds the entry.
    state.table.append(parsed.device, arrivedOn);
    state.recordDeviceListed();
    return {DatagramOutcome::SearchStored};
}

HandleResult handleAuthAnswer(const AuthAnswer& answer, ExchangeState& state) {
    return {state.recordLoginAnswer(answer.token, answer.clientIP, answer.status == 0)
                ? DatagramOutcome::AuthTaken
                : DatagramOutcome::AuthIgnored};
}

HandleResult handleCheckBPSAnswer(const CheckBPSAnswer& answer, ExchangeState& state) {
    const bool selected = answer.mac == state.selectedMAC();
    const bool known = state.recordPairingAnswer(answer.mac, answer.pairingState == 1);
    return {selected || known ? DatagramOutcome::CheckBPSTaken
                              : DatagramOutcome::CheckBPSOtherDevice};
}

HandleResult handleConfigureAnswer(const ConfigureAnswer& answer, ExchangeState& state) {
    Trace("receive TRV81K_ServerConfigureAck");
    const bool forOneOfOurs = (state.selectedIndex() >= 0 && answer.mac == state.selectedMAC()) ||
                              state.table.find(answer.mac).has_value();
    if (!forOneOfOurs) {
        return {DatagramOutcome::ConfigureOtherDevice};
    }
    if (answer.status != 0) {
        state.recordConfigureRefusal(answer.mac);
        return {DatagramOutcome::ConfigureRefused};
    }
    state.recordAcknowledgement(answer.mac);
    return {DatagramOutcome::ConfigureAcknowledged};
}

}  // namespace

HandleResult handlePlainMessage(const PlainMessage& plain, ExchangeState& state,
                                const Adapter& arrivedOn) {
    switch (classify(plain)) {
        case MessageKind::CheckBPSAnswer:
            return handleCheckBPSAnswer(*parseCheckBPSAnswer(plain), state);
        case MessageKind::SearchAnswer:
            return handleSearchAnswer(plain, state, arrivedOn);
        case MessageKind::AuthAnswer:
            return handleAuthAnswer(*parseAuthAnswer(plain), state);
        case MessageKind::ConfigureAnswer:
            return handleConfigureAnswer(*parseConfigureAnswer(plain), state);
        default:
            return {DatagramOutcome::Unknown};
    }
}

HandleResult handleDatagram(std::span<const std::uint8_t> datagram, ExchangeState& state,
                            const Adapter& arrivedOn) {
    return handlePlainMessage(
        decryptPacket(datagram.first(std::min(datagram.size(), kReceiveBufferSize))), state,
        arrivedOn);
}

}  // namespace trv81k
