// The emulator's request handling against any bytes: plain messages (so every request layout
// is reached; an input of one or two whole plain messages is taken as that) and whole
// datagrams (any other length, up to 740 bytes). Before plain messages every device has a
// login from the sender, so configure requests meet a logged-in client. The devices cover
// every behaviour switch.
//
// Whatever arrives: every answer is a well-formed answer of a device that is not silent; a
// device's settings change only when the emulator says it applied a configure request, then
// only that device's, within what its answers can carry, and the saved state reads back to
// exactly these settings.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "emulator/config.h"
#include "emulator/emulator.h"

namespace {

using namespace trv81k;
using namespace trv81k::emulator;

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

std::vector<EmulatedDevice> devices() {
    std::vector<EmulatedDevice> list(7);
    for (std::size_t i = 0; i < list.size(); ++i) {
        list[i].mac = {0, 0x1A, 0x2B, 0x3C, 0x4D, static_cast<std::uint8_t>(i)};
        list[i].deviceId = {1, 2, 3, 4, 5, static_cast<std::uint8_t>(i)};
        list[i].token = {9, 9, 9, static_cast<std::uint8_t>(i)};
        list[i].auxKeyCode = static_cast<std::uint8_t>(i % 4);
    }
    list[1].behaviour.answerTwice = true;
    list[2].behaviour.pairingManaged = true;
    list[3].behaviour.refusePassword = true;
    list[4].behaviour.neverAcknowledge = true;
    list[4].behaviour.noMarker = true;
    list[5].behaviour.silent = true;
    list[6].behaviour.ignorePairingCheck = true;
    return list;
}

const EmulatedDevice* byMac(const std::vector<EmulatedDevice>& list, const MacAddress& mac) {
    const auto it = std::find_if(list.begin(), list.end(),
                                 [&](const EmulatedDevice& d) { return d.mac == mac; });
    return it == list.end() ? nullptr : &*it;
}

MacAddress macAt(const PlainMessage& plain, std::size_t offset) {
    MacAddress mac{};
    std::copy_n(plain.begin() + static_cast<std::ptrdiff_t>(offset), mac.size(), mac.begin());
    return mac;
}

// Checks one reaction against the devices before and after it.
void checkReaction(const Reaction& reaction, const std::vector<EmulatedDevice>& before,
                   const std::vector<EmulatedDevice>& after) {
    for (const PlainMessage& answer : reaction.answers) {
        const EmulatedDevice* from = nullptr;
        switch (classify(answer)) {
            case MessageKind::SearchAnswer: {
                const ParsedSearchAnswer parsed = parseSearchAnswer(answer);
                from = byMac(after, parsed.device.macAddress);
                check(from != nullptr);
                check(parsed.outcome == (from->behaviour.noMarker ? SearchAnswerParse::NoMarker
                                                                  : SearchAnswerParse::Stored));
                if (parsed.outcome == SearchAnswerParse::Stored) {
                    check(parsed.device.deviceNameText() == from->settings.name);
                    check(parsed.device.ssidText() == from->settings.ssid);
                    check(parsed.device.devicePasswordText() == from->settings.password);
                }
                break;
            }
            case MessageKind::AuthAnswer:
                from = byMac(after, macAt(answer, 28));
                break;
            case MessageKind::ConfigureAnswer:
            case MessageKind::CheckBPSAnswer:
                from = byMac(after, macAt(answer, kTagSize));
                break;
            default:
                break;
        }
        check(from != nullptr && !from->behaviour.silent);
    }
    std::size_t changed = 0;
    for (std::size_t i = 0; i < after.size(); ++i) {
        const DeviceSettings& s = after[i].settings;
        check(s.name.size() <= kMaxTextLength && s.ssid.size() <= kMaxTextLength);
        check(s.password.size() <= kMaxPasswordLength && s.key.size() <= kMaxKeyLength);
        check(after[i].mac == before[i].mac && after[i].behaviour == before[i].behaviour);
        if (!(s == before[i].settings)) {
            ++changed;
            check(!after[i].behaviour.silent);
        }
    }
    check(changed <= (reaction.settingsApplied ? 1u : 0u));
    if (reaction.settingsApplied) {
        // What the program saves reads back to the same settings.
        std::vector<EmulatedDevice> restored = devices();
        const StateApplied applied = applyState(stateText(after), restored);
        check(applied.ok() && restored == after);
    }
    if (!reaction.log.is_null()) {
        (void)reaction.log.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Emulator device(devices());  // a fresh one: every input is reproducible on its own
    const Clock::time_point now = Clock::time_point{} + std::chrono::hours(1);
    const std::span<const std::uint8_t> bytes(data, size);
    const Ipv4Address sender{10, 81, 0, 1};

    if (size > 0 && size % kPlainSize == 0) {
        for (const EmulatedDevice& d : devices()) {
            device.handlePlain(buildAuthRequest(d.token, d.mac, sender, d.settings.password),
                               sender, now);
        }
        for (std::size_t offset = 0; offset < size; offset += kPlainSize) {
            PlainMessage plain;
            std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(offset), kPlainSize,
                        plain.begin());
            const std::vector<EmulatedDevice> before = device.devices();
            const Reaction reaction = device.handlePlain(plain, sender, now);
            checkReaction(reaction, before, device.devices());
        }
        return 0;
    }
    const std::vector<EmulatedDevice> before = device.devices();
    const Reaction reaction =
        device.handleDatagram(bytes.first(std::min(size, kReceiveBufferSize)), sender, now);
    checkReaction(reaction, before, device.devices());
    return 0;
}
