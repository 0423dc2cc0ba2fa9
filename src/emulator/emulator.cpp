#include "emulator/emulator.h"

#include <algorithm>
#include <string>

#include "protocol/cipher.h"
#include "settings/text_encoding.h"

namespace trv81k::emulator {
namespace {

using nlohmann::ordered_json;

std::string hexText(std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (const std::uint8_t b : bytes) {
        text += kDigits[b >> 4];
        text += kDigits[b & 0x0F];
    }
    return text;
}

std::string hexText(std::string_view bytes) {
    return hexText(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

// Lower case, two digits a byte: the whole message of a request in the log.
std::string lowerHexText(std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const std::uint8_t b : bytes) {
        text += kDigits[b >> 4];
        text += kDigits[b & 0x0F];
    }
    return text;
}

// The first bytes of an unknown message, printable ASCII kept, the rest as \xNN.
std::string printable(std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (const std::uint8_t b : bytes) {
        if (b >= 0x20 && b < 0x7F && b != '\\') {
            text += static_cast<char>(b);
        } else {
            text += "\\x";
            text += kDigits[b >> 4];
            text += kDigits[b & 0x0F];
        }
    }
    return text;
}

ordered_json entry(std::string_view kind, const Ipv4Address& sender) {
    ordered_json log;
    log["kind"] = kind;
    log["from"] = FormatIPv4(sender);
    return log;
}

bool hasZero(std::string_view text) {
    return text.find('\0') != std::string_view::npos;
}

// Why a configure request's values cannot be taken (empty when they can). The rules are
// those of the state file, so every applied request can be saved and read back.
std::string refusalOf(const ConfigureSettings& r) {
    if (r.ipMode > 1) {
        return "IP mode " + std::to_string(r.ipMode) + " is neither 0 (DHCP) nor 1 (static)";
    }
    if (r.deviceName.size() > kMaxTextLength || hasZero(r.deviceName)) {
        return "device name longer than 32 bytes or with a zero byte";
    }
    if (r.password.size() > kMaxPasswordLength || hasZero(r.password)) {
        return "password longer than 32 bytes or with a zero byte";
    }
    if (r.wirelessEditable == 1) {
        if (r.ssid.size() > kMaxTextLength || hasZero(r.ssid)) {
            return "SSID longer than 32 bytes or with a zero byte";
        }
        if (r.channel < 1 || r.channel > 13) {
            return "channel " + std::to_string(r.channel) + " is outside 1 to 13";
        }
        if (r.securityMode > kSecurityWpa2Mixed) {
            return "security code " + std::to_string(r.securityMode) + " is outside 0 to 10";
        }
        if (r.networkMode > 2) {
            return "network mode " + std::to_string(r.networkMode) + " is outside 0 to 2";
        }
    }
    return {};
}

void apply(const ConfigureSettings& r, DeviceSettings& s) {
    s.ipMode = r.ipMode;
    if (r.ipMode == 1) {
        s.ip = r.ipAddress;
        s.netmask = r.subnetMask;
        s.gateway = r.gateway;
    }
    // In DHCP mode the device keeps the address it has: there is no DHCP server to ask.
    s.name = r.deviceName;
    s.password = r.password;
    if (r.wirelessEditable == 1) {
        s.ssid = r.ssid;
        s.channel = r.channel;
        s.security = r.securityMode;
        s.key = r.key;
        s.networkMode = r.networkMode;
    }
    // Otherwise the pairing feature keeps the wireless settings as they are.
}

ordered_json configureFields(const ConfigureSettings& r) {
    ordered_json log;
    log["mac"] = formatMac(r.mac);
    log["ipMode"] = r.ipMode;
    log["ip"] = FormatIPv4(r.ipAddress);
    log["netmask"] = FormatIPv4(r.subnetMask);
    log["gateway"] = FormatIPv4(r.gateway);
    log["deviceName"] = Latin1ToUtf8(r.deviceName);
    log["password"] = Latin1ToUtf8(r.password);
    log["wirelessEditable"] = r.wirelessEditable;
    log["auxName"] = Latin1ToUtf8(r.auxName);
    log["auxAttr"] = r.auxAttr;
    log["auxKeyCode"] = r.auxKeyCode;
    log["auxKeyBlock"] = hexText(r.auxKeyBlock);
    log["ssid"] = Latin1ToUtf8(r.ssid);
    log["channel"] = r.channel;
    log["securityMode"] = r.securityMode;
    log["key"] = Latin1ToUtf8(r.key);
    log["networkMode"] = r.networkMode;
    return log;
}

}  // namespace

Emulator::Emulator(std::vector<EmulatedDevice> devices)
    : devices_(std::move(devices)), logins_(devices_.size()) {}

Reaction Emulator::handleDatagram(std::span<const std::uint8_t> datagram, const Ipv4Address& sender,
                                  Clock::time_point now) {
    Reaction reaction = handlePlain(decryptPacket(datagram), sender, now);
    if (!reaction.log.is_null()) {
        // The size goes right after the sender.
        ordered_json log;
        for (auto& [key, value] : reaction.log.items()) {
            log[key] = std::move(value);
            if (key == "from") {
                log["size"] = datagram.size();
            }
        }
        reaction.log = std::move(log);
    }
    return reaction;
}

Reaction Emulator::handlePlain(const PlainMessage& plain, const Ipv4Address& sender,
                               Clock::time_point now) {
    Reaction reaction = react(plain, sender, now);
    if (!reaction.log.is_null()) {
        // Every byte as it came, last: two programs' requests can be compared byte by byte.
        reaction.log["plain"] = lowerHexText(plain);
    }
    return reaction;
}

Reaction Emulator::react(const PlainMessage& plain, const Ipv4Address& sender,
                         Clock::time_point now) {
    switch (classify(plain)) {
        case MessageKind::SearchRequest:
            return onSearch(sender);
        case MessageKind::AuthRequest:
            return onAuth(plain, sender, now);
        case MessageKind::CheckBPSRequest:
            return onCheckBPS(plain, sender);
        case MessageKind::ConfigureRequest:
            return onConfigure(plain, sender, now);
        case MessageKind::SearchAnswer:
        case MessageKind::AuthAnswer:
        case MessageKind::ConfigureAnswer:
        case MessageKind::CheckBPSAnswer:
            // Answers (ours heard back through loopback, or another device's): not requests.
            return {};
        case MessageKind::Unknown:
            break;
    }
    Reaction reaction;
    reaction.log = entry("unknown", sender);
    reaction.log["tag"] = printable(std::span(plain).first(kTagSize));
    return reaction;
}

std::size_t Emulator::find(const MacAddress& mac) const {
    const auto it = std::find_if(devices_.begin(), devices_.end(),
                                 [&](const EmulatedDevice& d) { return d.mac == mac; });
    return static_cast<std::size_t>(it - devices_.begin());
}

bool Emulator::loggedIn(std::size_t device, const Ipv4Address& client,
                        Clock::time_point now) const {
    return std::any_of(logins_[device].begin(), logins_[device].end(), [&](const Login& login) {
        return login.client == client && login.at <= now && now - login.at <= kLoginLifetime;
    });
}

void Emulator::recordLogin(std::size_t device, const Ipv4Address& client, Clock::time_point now) {
    auto& logins = logins_[device];
    std::erase_if(logins, [&](const Login& login) {
        return login.client == client || login.at > now || now - login.at > kLoginLifetime;
    });
    if (logins.size() >= kMaxLoginsPerDevice) {
        logins.erase(logins.begin());  // the oldest
    }
    logins.push_back({client, now});
}

void Emulator::answer(Reaction& reaction, const EmulatedDevice& device, const PlainMessage& plain,
                      ordered_json detail) const {
    const int copies = device.behaviour.answerTwice ? 2 : 1;
    for (int i = 0; i < copies; ++i) {
        reaction.answers.push_back(plain);
    }
    ordered_json sent;
    sent["device"] = Latin1ToUtf8(device.settings.name);
    sent["mac"] = formatMac(device.mac);
    for (auto& [key, value] : detail.items()) {
        sent[key] = value;
    }
    sent["copies"] = copies;
    reaction.log["answers"].push_back(std::move(sent));
}

Reaction Emulator::onSearch(const Ipv4Address& sender) {
    Reaction reaction;
    reaction.log = entry("search", sender);
    reaction.log["answers"] = ordered_json::array();
    for (const EmulatedDevice& device : devices_) {
        if (device.behaviour.silent) {
            continue;
        }
        answer(reaction, device, searchAnswerFor(device),
               {{"answer", "search"}, {"marker", !device.behaviour.noMarker}});
    }
    return reaction;
}

Reaction Emulator::onAuth(const PlainMessage& plain, const Ipv4Address& sender,
                          Clock::time_point now) {
    Reaction reaction;
    reaction.log = entry("auth", sender);
    const auto request = parseAuthRequest(plain);
    if (!request) {
        reaction.log["error"] = "malformed: the password runs past the message";
        return reaction;
    }
    // A test tool: the password is logged as it came (the help text says so).
    reaction.log["token"] = hexText(request->token);
    reaction.log["mac"] = formatMac(request->mac);
    reaction.log["localIP"] = FormatIPv4(request->localIP);
    reaction.log["password"] = Latin1ToUtf8(request->password);
    reaction.log["passwordLength"] = request->password.size();
    reaction.log["answers"] = ordered_json::array();

    const std::size_t index = find(request->mac);
    if (index == devices_.size()) {
        reaction.log["note"] = "no device has this mac";
        return reaction;
    }
    const EmulatedDevice& device = devices_[index];
    if (device.behaviour.silent) {
        reaction.log["note"] = "the device is silent";
        return reaction;
    }
    std::string result = "accepted";
    if (request->token != device.token) {
        result = "wrong token";
    } else if (request->password != device.settings.password) {
        result = "wrong password";
    } else if (device.behaviour.refusePassword) {
        result = "refuses every password";
    }
    const std::uint8_t status = result == "accepted" ? 0 : 1;
    if (status == 0) {
        recordLogin(index, sender, now);
    }
    answer(reaction, device, buildAuthAnswer(device.token, device.mac, request->localIP, status),
           {{"answer", "auth"}, {"status", status}, {"result", result}});
    return reaction;
}

Reaction Emulator::onCheckBPS(const PlainMessage& plain, const Ipv4Address& sender) {
    Reaction reaction;
    reaction.log = entry("check-bps", sender);
    const auto mac = parseCheckBPSRequest(plain);
    if (!mac) {
        reaction.log["error"] = "malformed";
        return reaction;
    }
    reaction.log["mac"] = formatMac(*mac);
    reaction.log["answers"] = ordered_json::array();
    const std::size_t index = find(*mac);
    if (index == devices_.size()) {
        reaction.log["note"] = "no device has this mac";
        return reaction;
    }
    const EmulatedDevice& device = devices_[index];
    if (device.behaviour.silent) {
        reaction.log["note"] = "the device is silent";
        return reaction;
    }
    if (device.behaviour.ignorePairingCheck) {
        reaction.log["note"] = "the device ignores the pairing check";
        return reaction;
    }
    const std::uint8_t state = device.behaviour.pairingManaged ? 1 : 0;
    answer(reaction, device, buildCheckBPSAnswer(device.mac, state),
           {{"answer", "check-bps"}, {"state", state}});
    return reaction;
}

Reaction Emulator::onConfigure(const PlainMessage& plain, const Ipv4Address& sender,
                               Clock::time_point now) {
    Reaction reaction;
    reaction.log = entry("configure", sender);
    const auto request = parseConfigureRequest(plain);
    if (!request) {
        reaction.log["error"] = "malformed: the fields run past the message";
        return reaction;
    }
    const ordered_json fields = configureFields(*request);
    for (const auto& [key, value] : fields.items()) {
        reaction.log[key] = value;
    }
    reaction.log["answers"] = ordered_json::array();
    const std::size_t index = find(request->mac);
    if (index == devices_.size()) {
        reaction.log["note"] = "no device has this mac";
        return reaction;
    }
    EmulatedDevice& device = devices_[index];
    if (device.behaviour.silent) {
        reaction.log["note"] = "the device is silent";
        return reaction;
    }
    std::string refusal;
    if (!loggedIn(index, sender, now)) {
        refusal = "no successful login from " + FormatIPv4(sender) + " within 10 minutes";
    } else {
        refusal = refusalOf(*request);
    }
    std::uint8_t status = 1;
    if (refusal.empty() && device.behaviour.keepSettings) {
        reaction.log["result"] = "kept";
        reaction.log["note"] = "the device acknowledges but keeps its settings";
        status = 0;
    } else if (refusal.empty()) {
        apply(*request, device.settings);
        reaction.settingsApplied = true;
        reaction.log["result"] = "applied";
        status = 0;
    } else {
        reaction.log["result"] = "refused";
        reaction.log["reason"] = refusal;
    }
    if (device.behaviour.neverAcknowledge) {
        reaction.log["note"] = "the device never acknowledges";
        return reaction;
    }
    answer(reaction, device, buildConfigureAnswer(device.mac, status),
           {{"answer", "configure"}, {"status", status}});
    return reaction;
}

}  // namespace trv81k::emulator
