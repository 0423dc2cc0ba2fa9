// The receiver's datagram handling against any bytes. The first input byte chooses the state
// the datagram meets and whether it arrives encrypted (through handleDatagram, as on the wire,
// any length up to 740 bytes) or as a plain message (so the fuzzer reaches every answer
// layout without breaking AES):
//   bit 0     encrypted
//   bits 1-2  entries already stored: 0, 3, 32 (a full table) or 31 (one slot left)
//   bit 3     entry 1 (or entry 0 of a shorter table) selected; else selectedIndex -1
//   bits 4-5  requestKind 0 to 3
//   bits 6-7  the flags before: all clear, all set, or one of two alternating patterns
// Whatever arrives, only the answer that a flag belongs to changes it, nothing stored is
// overwritten, what is stored is exactly what the answer says, and the receiver pauses only
// after an answer it took.
#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

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

// The eight flags in a fixed order, so that they can be set and compared as one value.
std::array<bool, 8> flagArray(const ExchangeState::Flags& f) {
    return {f.bGetSearchAck,    f.bPairingDeviceFound, f.bGetAuthAck,     f.bAuthOK,
            f.bGetConfigureAck, f.bConfigureAckSeen,   f.bGetCheckBPSAck, f.bBPSActive};
}
ExchangeState::Flags flagsFrom(const std::array<bool, 8>& a) {
    return {a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7]};
}
enum Flag {
    GetSearchAck,
    PairingDeviceFound,
    GetAuthAck,
    AuthOK,
    GetConfigureAck,
    ConfigureAckSeen,
    GetCheckBPSAck,
    BPSActive
};

template <std::size_t N>
bool at(const PlainMessage& plain, std::size_t offset, const std::array<std::uint8_t, N>& value) {
    return std::equal(value.begin(), value.end(),
                      plain.begin() + static_cast<std::ptrdiff_t>(offset));
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
    static constexpr int kStored[] = {0, 3, 32, 31};
    const int stored = kStored[(mode >> 1) & 0x03];
    for (int i = 0; i < stored; ++i) {
        state.table.append(seedDevice(i));
    }
    if (mode & 0x08) {
        state.choose(stored > 1 ? 1 : 0);
    } else {
        state.setSelectedIndex(-1);
    }
    const int kindCode = (mode >> 4) & 0x03;
    if (kindCode != 0) {
        state.setRequestKind(static_cast<PacketKind>(kindCode));
    }
    // An authentication outstanding for the selected device, sent from this adapter.
    const Ipv4Address adapter{10, 81, 0, 1};
    const bool loginOutstanding =
        kindCode == static_cast<int>(PacketKind::Authentication) && state.hasSelection();
    if (loginOutstanding) {
        state.noteRequestTo(state.selectedIndex(), PacketKind::Authentication, adapter);
    }
    static constexpr std::uint8_t kFlagPatterns[] = {0x00, 0xFF, 0x55, 0xAA};
    const std::uint8_t pattern = kFlagPatterns[mode >> 6];
    std::array<bool, 8> flagsBefore{};
    for (std::size_t i = 0; i < flagsBefore.size(); ++i) {
        flagsBefore[i] = (pattern >> i) & 1;
    }
    state.setFlags(flagsFrom(flagsBefore));
    const std::vector<DeviceInfo> entriesBefore(&state.table.at(0), &state.table.at(0) + stored);
    const int selectedIndex = state.selectedIndex();
    const MacAddress selectedMAC = state.selectedMAC();
    const DeviceToken selectedToken = state.selectedToken();
    const int requestKind = state.requestKind();

    // The message as the receiver sees it after decryption.
    PlainMessage plain{};
    HandleResult result;
    if (mode & 0x01) {
        plain = decryptPacket(bytes);
        result = handleDatagram(bytes, state);
    } else {
        std::copy_n(bytes.begin(), std::min(bytes.size(), plain.size()), plain.begin());
        result = handlePlainMessage(plain, state);
    }
    const MessageKind kind = classify(plain);

    // The selection and the request kind are the window thread's: never written here.
    check(state.selectedIndex() == selectedIndex && state.selectedMAC() == selectedMAC);
    check(state.selectedToken() == selectedToken && state.requestKind() == requestKind);

    // Nothing stored is overwritten; a new entry is exactly what the answer carries.
    const int after = state.table.count();
    check(after == stored + (result.outcome == DatagramOutcome::SearchStored ? 1 : 0));
    check(after <= static_cast<int>(kMaxDevices));
    for (int i = 0; i < stored; ++i) {
        check(state.table.at(i) == entriesBefore[static_cast<std::size_t>(i)]);
    }
    if (result.outcome == DatagramOutcome::SearchStored) {
        check(kind == MessageKind::SearchAnswer);
        const ParsedSearchAnswer parsed = parseSearchAnswer(plain);
        check(parsed.outcome == SearchAnswerParse::Stored);
        const DeviceInfo& d = state.table.at(stored);
        check(d == parsed.device && at(plain, kTagSize, d.deviceId));
        check(d.ssidLength <= kMaxTextLength && d.deviceNameLength <= kMaxTextLength);
        check(d.auxNameLength <= kMaxTextLength && d.auxTextLength <= kMaxAuxTextLength);
        for (int j = 0; j < stored; ++j) {
            check(state.table.at(j).deviceId != d.deviceId &&
                  state.table.at(j).macAddress != d.macAddress);
        }
    }

    // Each flag changes only for its own answer, and only as its rule says.
    const std::array<bool, 8> now = flagArray(state.flags());
    const auto unchanged = [&](std::initializer_list<Flag> which) {
        for (Flag f : which) {
            check(now[f] == flagsBefore[f]);
        }
    };
    switch (kind) {
        case MessageKind::SearchAnswer:
            check(now[GetSearchAck]);
            check(now[PairingDeviceFound] == (flagsBefore[PairingDeviceFound] ||
                                              result.outcome == DatagramOutcome::SearchStored));
            unchanged(
                {GetAuthAck, AuthOK, GetConfigureAck, ConfigureAckSeen, GetCheckBPSAck, BPSActive});
            break;
        case MessageKind::AuthAnswer: {
            const bool accepted =
                loginOutstanding && at(plain, 34, adapter) && at(plain, 24, selectedToken);
            check((result.outcome == DatagramOutcome::AuthTaken) == accepted);
            if (accepted) {
                check(now[GetAuthAck] && now[AuthOK] == (plain[38] == 0));
            } else {
                unchanged({GetAuthAck, AuthOK});
            }
            unchanged({GetSearchAck, PairingDeviceFound, GetConfigureAck, ConfigureAckSeen,
                       GetCheckBPSAck, BPSActive});
            break;
        }
        case MessageKind::ConfigureAnswer: {
            // Taken for any device of the table; the flags only for the selected one.
            const bool selected = selectedIndex >= 0 && at(plain, 24, selectedMAC);
            const bool known =
                std::any_of(entriesBefore.begin(), entriesBefore.end(),
                            [&](const DeviceInfo& d) { return at(plain, 24, d.macAddress); });
            check((result.outcome == DatagramOutcome::ConfigureAcknowledged) ==
                  ((selected || known) && plain[30] == 0));
            if (selected && plain[30] == 0) {
                check(now[GetConfigureAck] && now[ConfigureAckSeen]);
            } else {
                unchanged({GetConfigureAck, ConfigureAckSeen});
            }
            unchanged(
                {GetSearchAck, PairingDeviceFound, GetAuthAck, AuthOK, GetCheckBPSAck, BPSActive});
            break;
        }
        case MessageKind::CheckBPSAnswer: {
            check(now[GetCheckBPSAck]);
            const bool known =
                std::any_of(entriesBefore.begin(), entriesBefore.end(),
                            [&](const DeviceInfo& d) { return at(plain, 24, d.macAddress); });
            const bool selected = at(plain, 24, selectedMAC);
            check((result.outcome == DatagramOutcome::CheckBPSTaken) == (selected || known));
            if (selected) {
                check(now[BPSActive] == (plain[30] == 1));
            } else {
                unchanged({BPSActive});
            }
            unchanged({GetSearchAck, PairingDeviceFound, GetAuthAck, AuthOK, GetConfigureAck,
                       ConfigureAckSeen});
            break;
        }
        default:
            check(result.outcome == DatagramOutcome::Unknown);
            check(now == flagsBefore);
            break;
    }
    return 0;
}
