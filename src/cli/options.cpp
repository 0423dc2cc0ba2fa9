#include "cli/options.h"

#include <cmath>

#include "l10n/texts.h"
#include "settings/keygen.h"
#include "settings/text_encoding.h"
#include "settings/validators.h"

namespace trv81k::cli {
namespace {

constexpr int kFirstChannel = 1;
constexpr int kLastChannel = 13;
// The channel the wizard's channel list opens on while the device reports none.
constexpr int kDefaultChannel = 6;
// Longest passphrase the WEP page takes.
constexpr std::size_t kMaxWepPassphrase = 16;

Refusal refuse(std::string subject, std::string_view key, std::string detail = {},
               std::string hint = {}) {
    Refusal refusal;
    refusal.exitCode = kExitUsage;
    refusal.subject = std::move(subject);
    refusal.messageKey = std::string(key);
    refusal.detail = std::move(detail);
    refusal.hint = std::move(hint);
    return refusal;
}

Refusal refuseText(std::string subject, std::string detail, std::string hint = {}) {
    return refuse(std::move(subject), {}, std::move(detail), std::move(hint));
}

std::string inQuotes(std::string_view utf8) {
    return "\"" + std::string(utf8) + "\"";
}

// A UTF-8 option value as the Latin-1 text the device stores. `shown` is false for secrets,
// which never appear in a message.
std::variant<std::string, Refusal> toLatin1(std::string_view option, const std::string& utf8,
                                            bool shown) {
    if (std::optional<std::string> latin1 = Utf8ToLatin1(utf8)) {
        return std::move(*latin1);
    }
    const std::string subject =
        shown ? std::string(option) + " " + inQuotes(utf8) : std::string(option);
    return refuseText(subject,
                      "has a character the device cannot store (only Latin-1, U+0000 to U+00FF)");
}

std::string securityText(int code) {
    static const Messages fallback;  // the compiled-in English texts
    const std::string text = StatusSecurityText(code, fallback.texts());
    return text.empty() ? "code " + std::to_string(code) : text;
}

// The WEP key a passphrase or a typed key gives, checked as the WEP page checks it.
std::variant<std::pair<std::string, std::string>, Refusal> wepKey(
    int code, const std::optional<std::string>& key, const std::optional<std::string>& passphrase) {
    std::string phrase;
    std::string keyText;
    const char* subject = "--key";
    if (passphrase) {
        subject = "--passphrase";
        phrase = *passphrase;
        if (phrase.empty()) {
            return refuseText(subject, "must not be empty");
        }
        if (phrase.size() > kMaxWepPassphrase) {
            return refuse(subject, "INVALID_PASSPHRASE");
        }
        keyText = code == kSecurityWep64 ? Wep64KeyText(phrase) : Wep128KeyText(phrase);
    } else {
        keyText = key.value_or("");
    }
    const FieldCheck check = CheckWepKey(code, phrase, keyText);
    if (!check.ok) {
        return refuse(subject, check.messageKey);
    }
    return std::make_pair(phrase, keyText);
}

std::optional<Refusal> checkPsk(const std::optional<std::string>& key,
                                const std::optional<std::string>& passphrase) {
    const std::string& psk = key ? *key : *passphrase;
    const FieldCheck check = CheckPreSharedKey(psk);
    if (!check.ok) {
        return refuse(key ? "--key" : "--passphrase", check.messageKey);
    }
    return std::nullopt;
}

// Keys for a security code the options chose: present, fitting the code, passing its checks.
std::optional<Refusal> checkKeysFor(int code, std::string_view securityName,
                                    const std::optional<std::string>& key,
                                    const std::optional<std::string>& passphrase) {
    const bool given = key || passphrase;
    if (!SecurityNeedsKey(code)) {
        if (given) {
            return refuseText(
                key ? "--key" : "--passphrase",
                "cannot go with --security " + std::string(securityName) + ", which uses no key");
        }
        return std::nullopt;
    }
    if (!given) {
        return refuseText("--security " + std::string(securityName), "needs a key",
                          "give --key K or --passphrase P");
    }
    if (code == kSecurityWep64 || code == kSecurityWep128) {
        auto checked = wepKey(code, key, passphrase);
        if (auto* refusal = std::get_if<Refusal>(&checked)) {
            return *refusal;
        }
        return std::nullopt;
    }
    return checkPsk(key, passphrase);
}

std::optional<Refusal> checkAddressText(std::string_view option, const std::string& text,
                                        AddressCheck (*validate)(std::string_view)) {
    const AddressCheck check = validate(text);
    if (!check.ok()) {
        return refuse(std::string(option) + " " + text, check.messageKey);
    }
    return std::nullopt;
}

}  // namespace

std::optional<int> SecurityCodeFor(std::string_view name) {
    for (const SecurityChoice& choice : kSecurityChoices) {
        if (choice.name == name) {
            return choice.code;
        }
    }
    return std::nullopt;
}

std::optional<std::uint8_t> NetModeFor(std::string_view name) {
    for (std::size_t i = 0; i < kNetModeNames.size(); ++i) {
        if (kNetModeNames[i] == name) {
            return static_cast<std::uint8_t>(i);
        }
    }
    return std::nullopt;
}

std::string_view NetModeName(std::uint8_t mode) {
    return mode < kNetModeNames.size() ? kNetModeNames[mode] : std::string_view("unknown");
}

bool SecurityNeedsKey(int code) {
    return keyBytesFor(code) > 0;
}

void ConfirmForSending(WizardState& state) {
    if (state.newSecurityMode == kSecurityPairing) {
        state.newSecurityMode = kSecurityDisabled;
    }
}

bool ConfigurePlan::wirelessOptions() const {
    return ssid || channel || netMode || security || key || passphrase;
}

std::variant<ConfigurePlan, Refusal> CheckConfigureOptions(const ConfigureOptions& o) {
    ConfigurePlan plan;
    const std::optional<MacAddress> mac = parseMac(o.device);
    if (!mac) {
        return refuseText("--device " + o.device,
                          "is not a hardware address such as 00-11-22-33-44-55");
    }
    plan.mac = *mac;

    // Addressing.
    if (o.dhcp && o.staticIp) {
        return refuseText("--dhcp", "cannot go with --static");
    }
    plan.ip = o.dhcp ? IpChoice::Dhcp : (o.staticIp ? IpChoice::Static : IpChoice::Keep);
    for (const auto& [option, value] :
         {std::pair{"--ip", &o.ip}, {"--netmask", &o.netmask}, {"--gateway", &o.gateway}}) {
        if (*value && !o.staticIp) {
            return refuseText(option, "needs --static");
        }
    }
    if (o.ip) {
        if (auto refusal = checkAddressText("--ip", *o.ip, ValidateIPText)) {
            return *refusal;
        }
        plan.ipText = *o.ip;
    }
    if (o.netmask) {
        if (auto refusal = checkAddressText("--netmask", *o.netmask, ValidateNetmaskText)) {
            return *refusal;
        }
        plan.netmaskText = *o.netmask;
    }
    if (o.gateway) {
        if (!o.gateway->empty()) {
            if (auto refusal = checkAddressText("--gateway", *o.gateway, ValidateGatewayText)) {
                return *refusal;
            }
        }
        plan.gatewayText = *o.gateway;
    }

    // Device name and password.
    if (o.name) {
        auto name = toLatin1("--name", *o.name, true);
        if (auto* refusal = std::get_if<Refusal>(&name)) {
            return *refusal;
        }
        if (std::get<std::string>(name).size() > kMaxTextLength) {
            return refuseText("--name " + inQuotes(*o.name),
                              "the device name may be at most 32 characters long");
        }
        plan.name = std::get<std::string>(std::move(name));
    }
    if (o.newPassword) {
        auto password = toLatin1("--new-password", *o.newPassword, false);
        if (auto* refusal = std::get_if<Refusal>(&password)) {
            return *refusal;
        }
        const FieldCheck check = CheckDevicePassword(std::get<std::string>(password));
        if (!check.ok) {
            return refuse("--new-password", check.messageKey);
        }
        plan.newPassword = std::get<std::string>(std::move(password));
    }

    // Wireless settings.
    if (o.ssid) {
        auto ssid = toLatin1("--ssid", *o.ssid, true);
        if (auto* refusal = std::get_if<Refusal>(&ssid)) {
            return *refusal;
        }
        const FieldCheck check = CheckSSID(std::get<std::string>(ssid));
        if (!check.ok) {
            return refuse("--ssid " + inQuotes(*o.ssid), check.messageKey);
        }
        plan.ssid = std::get<std::string>(std::move(ssid));
    }
    if (o.channel) {
        if (*o.channel < kFirstChannel || *o.channel > kLastChannel) {
            return refuseText("--channel " + std::to_string(*o.channel),
                              "the channel must be 1 to 13");
        }
        plan.channel = *o.channel;
    }
    if (o.netMode) {
        plan.netMode = NetModeFor(*o.netMode);
        if (!plan.netMode) {
            return refuseText("--net-mode " + *o.netMode, "must be mixed, g-only or b-only");
        }
    }
    if (o.security) {
        plan.security = SecurityCodeFor(*o.security);
        if (!plan.security) {
            return refuseText("--security " + *o.security,
                              "must be disabled, wep64, wep128, wpa-tkip, wpa-aes, wpa2 or "
                              "wpa2-mixed");
        }
    }
    if (o.key && o.passphrase) {
        return refuseText("--key", "cannot go with --passphrase");
    }
    if (o.key) {
        auto key = toLatin1("--key", *o.key, false);
        if (auto* refusal = std::get_if<Refusal>(&key)) {
            return *refusal;
        }
        plan.key = std::get<std::string>(std::move(key));
    }
    if (o.passphrase) {
        auto phrase = toLatin1("--passphrase", *o.passphrase, false);
        if (auto* refusal = std::get_if<Refusal>(&phrase)) {
            return *refusal;
        }
        plan.passphrase = std::get<std::string>(std::move(phrase));
    }
    if (plan.security) {
        if (auto refusal = checkKeysFor(*plan.security, *o.security, plan.key, plan.passphrase)) {
            return *refusal;
        }
    }
    plan.pairing = o.pairing;
    if (plan.pairing && plan.wirelessOptions()) {
        return refuseText("--pairing",
                          "cannot go with --ssid, --channel, --net-mode, --security, --key or "
                          "--passphrase");
    }
    if (o.verifySeconds) {
        if (!std::isfinite(*o.verifySeconds) || *o.verifySeconds <= 0) {
            return refuseText("--verify", "must be a number of seconds above 0");
        }
        plan.verifySeconds = o.verifySeconds;
    }
    return plan;
}

std::optional<WirelessPath> WirelessFromOptions(const ConfigurePlan& plan) {
    if (plan.wirelessOptions()) {
        return WirelessPath::Manual;
    }
    if (plan.pairing) {
        return WirelessPath::Pairing;
    }
    return std::nullopt;
}

std::variant<WirelessPath, Refusal> WirelessFromCheck(PairingCheck check, const MacAddress& mac) {
    switch (check) {
        case PairingCheck::PairingManaged:
        case PairingCheck::NoAnswer:
            return WirelessPath::Pairing;
        case PairingCheck::NotManaged:
            break;
    }
    return refuseText("device " + formatMac(mac),
                      "the device's wireless settings are not under pairing control",
                      "give --ssid/--channel/--net-mode/--security/--key/--passphrase to write "
                      "them, or --pairing to leave them to the pairing feature");
}

std::variant<WizardState, Refusal> BuildWizardState(const ConfigurePlan& plan,
                                                    const DeviceInfo& device, WirelessPath path,
                                                    const std::string& loginPassword) {
    WizardState w;
    w.loginPassword = loginPassword;
    w.currentDevice = device;
    w.loadFromDevice(device);

    // Addressing: the page with its static fields, which the wizard checks whenever it is
    // left with a static address, also when they hold the device's current values.
    if (plan.ip != IpChoice::Keep) {
        w.bStaticIP = plan.ip == IpChoice::Static;
    }
    if (plan.ipText) {
        w.newIPText = *plan.ipText;
    }
    if (plan.netmaskText) {
        w.newNetmaskText = *plan.netmaskText;
    }
    if (plan.gatewayText) {
        w.newGatewayText = *plan.gatewayText;
    }
    if (w.bStaticIP) {
        if (!ValidateIPText(w.newIPText).ok()) {
            return plan.ipText ? refuse("--ip " + w.newIPText, "INVALID_IP")
                               : refuse("the device's current address " + w.newIPText, "INVALID_IP",
                                        {}, "give --ip A, or --dhcp");
        }
        if (!ValidateNetmaskText(w.newNetmaskText).ok()) {
            return plan.netmaskText ? refuse("--netmask " + w.newNetmaskText, "INVALID_NETMASK")
                                    : refuse("the device's current netmask " + w.newNetmaskText,
                                             "INVALID_NETMASK", {}, "give --netmask M, or --dhcp");
        }
        if (!w.newGatewayText.empty() && !ValidateGatewayText(w.newGatewayText).ok()) {
            return plan.gatewayText ? refuse("--gateway " + w.newGatewayText, "INVALID_Gateway")
                                    : refuse("the device's current gateway " + w.newGatewayText,
                                             "INVALID_Gateway", {},
                                             "give --gateway G, or --gateway \"\" for none");
        }
    }

    if (plan.name) {
        w.newDeviceName = *plan.name;
    }
    if (plan.newPassword) {
        w.newPassword = *plan.newPassword;
    }
    if (const FieldCheck check = CheckDevicePassword(w.newPassword); !check.ok) {
        return plan.newPassword ? refuse("--new-password", check.messageKey)
                                : refuse("the device's current password", check.messageKey, {},
                                         "give --new-password P");
    }

    if (path == WirelessPath::Pairing) {
        // As the pairing page leaves it; the confirmation step then sends the code 11 as 0,
        // with no key, and the device keeps the wireless settings its pairing feature made.
        w.bWirelessEditable = false;
        w.newSecurityMode = kSecurityPairing;
        ConfirmForSending(w);
        return w;
    }

    w.bWirelessEditable = true;
    if (plan.ssid) {
        w.newSSID = *plan.ssid;
    }
    if (const FieldCheck check = CheckSSID(w.newSSID); !check.ok) {
        return plan.ssid
                   ? refuse("--ssid", check.messageKey)
                   : refuse("the device's current SSID", check.messageKey, {}, "give --ssid S");
    }
    if (plan.channel) {
        w.newChannel = *plan.channel;
    } else if (w.newChannel == 0) {
        w.newChannel = kDefaultChannel;
    }
    if (w.newChannel < kFirstChannel || w.newChannel > kLastChannel) {
        return refuseText("the device's current channel " + std::to_string(w.newChannel),
                          "is outside 1 to 13", "give --channel N");
    }
    if (plan.netMode) {
        w.newNetMode = *plan.netMode;
    }
    if (w.newNetMode >= kNetModeNames.size()) {
        return refuseText("the device's current network mode " + std::to_string(w.newNetMode),
                          "is not mixed, g-only or b-only", "give --net-mode");
    }

    const int code = plan.security.value_or(w.newSecurityMode);
    if (!plan.security) {
        const std::string subject = "the device's current security " + securityText(code);
        if (code == kSecurityWpaEnterpriseTkip || code == kSecurityWpaEnterpriseAes ||
            code == kSecurityRadius || code > kSecurityWpa2Mixed || code < 0) {
            return refuseText(subject,
                              "cannot be written back: its server settings do not travel in "
                              "the configure request",
                              "give --security");
        }
        if (SecurityNeedsKey(code) && !plan.key && !plan.passphrase) {
            return refuseText(subject,
                              "its key is not known here, and writing the wireless settings "
                              "without one would leave the device without a key",
                              "give --key K or --passphrase P, or --security");
        }
        if (!SecurityNeedsKey(code) && (plan.key || plan.passphrase)) {
            return refuseText(
                plan.key ? "--key" : "--passphrase",
                "the device's current security " + securityText(code) + " uses no key",
                "give --security too");
        }
    }
    w.newSecurityMode = code;
    if (code == kSecurityWep64 || code == kSecurityWep128) {
        auto keys = wepKey(code, plan.key, plan.passphrase);
        if (auto* refusal = std::get_if<Refusal>(&keys)) {
            return *refusal;
        }
        auto& [phrase, keyText] = std::get<std::pair<std::string, std::string>>(keys);
        w.newPassphrase = phrase;
        w.newWepKey = keyText;
    } else if (SecurityNeedsKey(code)) {
        if (!plan.key && !plan.passphrase) {
            return refuseText("--security", "needs a key", "give --key K or --passphrase P");
        }
        if (auto refusal = checkPsk(plan.key, plan.passphrase)) {
            return *refusal;
        }
        w.newPSK = plan.key ? *plan.key : *plan.passphrase;
        w.newEncryption = code == kSecurityWpaTkip ? 0 : (code == kSecurityWpa2Mixed ? 2 : 1);
    }
    return w;
}

std::vector<std::string> CompareAnnounced(const WizardState& written, const DeviceInfo& announced) {
    std::vector<std::string> differences;
    const auto differ = [&](std::string_view what, const std::string& now,
                            const std::string& wanted) {
        if (now != wanted) {
            differences.push_back(std::string(what) + ": announced " + now + ", written " + wanted);
        }
    };
    const auto text = [](const std::string& latin1) { return inQuotes(Latin1ToUtf8(latin1)); };

    differ("name", text(announced.deviceNameText()), text(written.newDeviceName));
    differ("IP mode", announced.ipMode != 0 ? "static" : "dhcp",
           written.bStaticIP ? "static" : "dhcp");
    if (written.bStaticIP && announced.ipMode != 0) {
        differ("IP", formatIpv4(announced.ipAddress),
               formatIpv4(ValidateIPText(written.newIPText).bytes));
        differ("netmask", formatIpv4(announced.subnetMask),
               formatIpv4(ValidateNetmaskText(written.newNetmaskText).bytes));
        Ipv4Bytes gateway{};
        if (!written.newGatewayText.empty()) {
            gateway = ValidateGatewayText(written.newGatewayText).bytes;
        }
        differ("gateway", formatIpv4(announced.gateway), formatIpv4(gateway));
    }
    if (written.bWirelessEditable) {
        differ("SSID", text(announced.ssidText()), text(written.newSSID));
        differ("channel", std::to_string(announced.channel), std::to_string(written.newChannel));
        differ("security", securityText(announced.securityMode),
               securityText(written.newSecurityMode));
        differ("network mode", std::string(NetModeName(announced.networkMode)),
               std::string(NetModeName(written.newNetMode)));
    }
    if (announced.devicePasswordText() != written.newPassword) {
        differences.emplace_back("password: the announced one differs from the written one");
    }
    return differences;
}

}  // namespace trv81k::cli
