// The emulator's request handling against any bytes: plain messages (so every request layout
// is reached) and whole datagrams. Whatever arrives, every answer is a well-formed message and
// no device's settings grow past what its answers can carry.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "emulator/emulator.h"

namespace {

using namespace trv81k;

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

std::vector<emulator::EmulatedDevice> devices() {
    std::vector<emulator::EmulatedDevice> list(3);
    for (std::size_t i = 0; i < list.size(); ++i) {
        list[i].mac = {0, 0x1A, 0x2B, 0x3C, 0x4D, static_cast<std::uint8_t>(i)};
        list[i].deviceId = {1, 2, 3, 4, 5, static_cast<std::uint8_t>(i)};
        list[i].token = {9, 9, 9, static_cast<std::uint8_t>(i)};
        list[i].auxKeyCode = static_cast<std::uint8_t>(i + 1);
    }
    list[1].behaviour.answerTwice = true;
    list[2].behaviour.pairingManaged = true;
    return list;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static emulator::Emulator device(devices());
    const auto now = emulator::Clock::now();
    const std::span<const std::uint8_t> bytes(data, size);
    const Ipv4Bytes sender{10, 81, 0, 1};

    emulator::Reaction reaction;
    if (size == kPlainSize) {
        PlainMessage plain;
        std::copy(bytes.begin(), bytes.end(), plain.begin());
        // A password guess first, so that configure requests meet a logged-in client too.
        device.handlePlain(buildAuthRequest({9, 9, 9, 0}, device.devices()[0].mac, sender, "admin"),
                           sender, now);
        reaction = device.handlePlain(plain, sender, now);
    } else {
        reaction =
            device.handleDatagram(bytes.first(std::min(size, kReceiveBufferSize)), sender, now);
    }
    for (const PlainMessage& answer : reaction.answers) {
        const MessageKind kind = classify(answer);
        check(kind == MessageKind::SearchAnswer || kind == MessageKind::AuthAnswer ||
              kind == MessageKind::ConfigureAnswer || kind == MessageKind::CheckBPSAnswer);
        if (kind == MessageKind::SearchAnswer) {
            check(parseSearchAnswer(answer).outcome != SearchAnswerParse::Malformed);
        }
    }
    for (const auto& d : device.devices()) {
        check(d.settings.name.size() <= kMaxTextLength && d.settings.ssid.size() <= kMaxTextLength);
        check(d.settings.password.size() <= emulator::kMaxPasswordLength);
        check(d.settings.key.size() <= emulator::kMaxKeyLength);
    }
    if (!reaction.log.is_null()) {
        (void)reaction.log.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
    }
    return 0;
}
