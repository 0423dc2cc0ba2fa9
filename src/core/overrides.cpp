#include "core/overrides.h"

#include <cmath>
#include <tuple>

#include "core/entered_settings.h"
#include "settings/address_warnings.h"
#include "settings/keygen.h"
#include "settings/text_encoding.h"
#include "settings/validators.h"

namespace trv81k {
namespace {

std::string inQuotes(std::string_view utf8) {
    return "\"" + ShownValue(utf8) + "\"";
}

// A UTF-8 option value as the Latin-1 text the device stores. `shown` is false for secrets,
// which never appear in a message.
std::variant<std::string, Refusal> toLatin1(std::string_view option, const std::string& utf8,
                                            bool shown) {
    return DeviceLatin1(shown ? std::string(option) + " " + inQuotes(utf8) : std::string(option),
                        utf8);
}

std::string securityText(int code) {
    const std::string text = StatusSecurityText(code, EnglishTexts());
    return text.empty() ? "code " + std::to_string(code) : text;
}

// The WEP key a passphrase or a typed key gives, checked as the WEP page checks it.
std::variant<std::pair<std::string, std::string>, Refusal> wepKey(
    int code, const std::optional<std::string>& key, const std::optional<std::string>& passphrase) {
    std::string keyText = key.value_or("");
    if (passphrase) {
        auto derived = WepKeyFromPassphrase(code, *passphrase, "--passphrase");
        if (auto* refusal = std::get_if<Refusal>(&derived)) {
            return std::move(*refusal);
        }
        keyText = std::get<std::string>(std::move(derived));
    }
    const FieldCheck check = CheckWepKey(code, passphrase.value_or(""), keyText);
    if (!check.ok) {
        return RefuseWithText(passphrase ? "--passphrase" : "--key", check.messageKey);
    }
    return std::make_pair(passphrase.value_or(""), keyText);
}

std::optional<Refusal> checkPsk(const std::optional<std::string>& key,
                                const std::optional<std::string>& passphrase) {
    const std::string& psk = key ? *key : *passphrase;
    const FieldCheck check = CheckPreSharedKey(psk);
    if (!check.ok) {
        return RefuseWithText(key ? "--key" : "--passphrase", check.messageKey);
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
            return Refuse(
                key ? "--key" : "--passphrase",
                "cannot go with --security " + std::string(securityName) + ", which uses no key");
        }
        return std::nullopt;
    }
    if (!given) {
        return Refuse("--security " + std::string(securityName), "needs a key",
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
        return RefuseWithText(std::string(option) + " " + ShownValue(text), check.messageKey);
    }
    return std::nullopt;
}

bool blankEdged(std::string_view text) {
    return !text.empty() && (text.front() == ' ' || text.back() == ' ');
}

// A static address or mask given that passes the octet checks but that no network uses: a
// multicast, loopback or reserved address, a mask whose ones are not one run.
std::optional<Refusal> doubtfulAddresses(const Overrides& plan) {
    const char* hint = "give --force to write it all the same";
    if (plan.ipText) {
        if (const AddressCheck ip = ValidateIPText(*plan.ipText);
            ip.ok() && !IsUnicastAddress(ip.bytes)) {
            return Refuse("--ip " + ip.normalised,
                          "is a multicast, loopback or reserved address, which a device "
                          "cannot use as its own",
                          hint);
        }
    }
    if (plan.netmaskText) {
        if (const AddressCheck mask = ValidateNetmaskText(*plan.netmaskText);
            mask.ok() && !IsContiguousMask(mask.bytes)) {
            return Refuse("--netmask " + mask.normalised,
                          "is no contiguous mask: its ones are not one run (as in "
                          "255.255.255.0)",
                          hint);
        }
    }
    return std::nullopt;
}

}  // namespace

std::variant<std::string, Refusal> DeviceLatin1(const std::string& subject,
                                                const std::string& utf8) {
    if (std::optional<std::string> latin1 = Utf8ToLatin1(utf8)) {
        return std::move(*latin1);
    }
    return Refuse(subject,
                  "has a character the device cannot store (only Latin-1, U+0000 to U+00FF)");
}

std::variant<std::string, Refusal> WepKeyFromPassphrase(int code, std::string_view passphrase,
                                                        const std::string& subject) {
    if (passphrase.empty()) {
        return Refuse(subject, "must not be empty");
    }
    if (passphrase.size() > kMaxPassphraseLength) {
        return RefuseWithText(subject, "INVALID_PASSPHRASE");
    }
    return code == kSecurityWep64 ? Wep64KeyText(passphrase) : Wep128KeyText(passphrase);
}

std::string DeviceChoice::text() const {
    return mac ? formatMac(*mac) : inQuotes(Latin1ToUtf8(name));
}

bool DeviceChoice::matches(const DeviceInfo& device) const {
    return mac ? device.macAddress == *mac : device.deviceNameText() == name;
}

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

bool Overrides::wirelessOptions() const {
    return ssid || channel || netMode || security || key || passphrase;
}

std::variant<ConfigurePlan, Refusal> CheckConfigureOptions(const ConfigureOptions& o) {
    ConfigurePlan plan;
    if (!o.device) {
        return Refuse("--device", "is required");
    }
    if (std::optional<MacAddress> mac = parseMac(*o.device)) {
        plan.device.mac = *mac;
    } else {
        const std::optional<std::string> name = Utf8ToLatin1(*o.device);
        if (!name || name->empty() || name->size() > kMaxTextLength) {
            return Refuse("--device " + inQuotes(*o.device),
                          "is neither a hardware address such as 00-11-22-33-44-55 nor a "
                          "device name of 1 to 32 Latin-1 characters");
        }
        plan.device.name = *name;
    }

    // Addressing.
    plan.overrides.ip = o.dhcp ? IpChoice::Dhcp : (o.staticIp ? IpChoice::Static : IpChoice::Keep);
    if (o.ip) {
        if (auto refusal = checkAddressText("--ip", *o.ip, ValidateIPText)) {
            return *refusal;
        }
        plan.overrides.ipText = *o.ip;
    }
    if (o.netmask) {
        if (auto refusal = checkAddressText("--netmask", *o.netmask, ValidateNetmaskText)) {
            return *refusal;
        }
        plan.overrides.netmaskText = *o.netmask;
    }
    if (o.gateway) {
        if (!o.gateway->empty()) {
            if (auto refusal = checkAddressText("--gateway", *o.gateway, ValidateGatewayText)) {
                return *refusal;
            }
        }
        plan.overrides.gatewayText = *o.gateway;
    }

    // Values that pass the checks but cannot be what the user wants; --force writes them.
    if (!o.force) {
        if (auto refusal = doubtfulAddresses(plan.overrides)) {
            return *refusal;
        }
    }

    // Device name and password.
    if (o.name) {
        auto name = toLatin1("--name", *o.name, true);
        if (auto* refusal = std::get_if<Refusal>(&name)) {
            return *refusal;
        }
        if (std::get<std::string>(name).size() > kMaxTextLength) {
            return Refuse("--name " + inQuotes(*o.name),
                          "the device name may be at most 32 characters long");
        }
        if (const FieldCheck check = CheckDeviceName(std::get<std::string>(name)); !check.ok) {
            return RefuseWithText("--name " + inQuotes(*o.name), check.messageKey);
        }
        if (!o.force && blankEdged(std::get<std::string>(name))) {
            return Refuse("--name " + inQuotes(*o.name), "begins or ends with a blank",
                          "give --force to write it as it is");
        }
        plan.overrides.name = std::get<std::string>(std::move(name));
    }
    if (o.newPassword) {
        auto password = toLatin1("--new-password", *o.newPassword, false);
        if (auto* refusal = std::get_if<Refusal>(&password)) {
            return *refusal;
        }
        const FieldCheck check = CheckDevicePassword(std::get<std::string>(password));
        if (!check.ok) {
            return RefuseWithText("--new-password", check.messageKey);
        }
        plan.overrides.newPassword = std::get<std::string>(std::move(password));
    }

    // Wireless settings.
    if (o.ssid) {
        auto ssid = toLatin1("--ssid", *o.ssid, true);
        if (auto* refusal = std::get_if<Refusal>(&ssid)) {
            return *refusal;
        }
        const FieldCheck check = CheckSSID(std::get<std::string>(ssid));
        if (!check.ok) {
            return RefuseWithText("--ssid " + inQuotes(*o.ssid), check.messageKey);
        }
        if (!o.force && blankEdged(std::get<std::string>(ssid))) {
            return Refuse("--ssid " + inQuotes(*o.ssid), "begins or ends with a blank",
                          "give --force to write it as it is");
        }
        plan.overrides.ssid = std::get<std::string>(std::move(ssid));
    }
    if (o.channel) {
        if (*o.channel < kFirstChannel || *o.channel > kLastChannel) {
            return Refuse("--channel " + std::to_string(*o.channel), "the channel must be 1 to 13");
        }
        plan.overrides.channel = *o.channel;
    }
    if (o.netMode) {
        plan.overrides.netMode = NetModeFor(*o.netMode);
        if (!plan.overrides.netMode) {
            return Refuse("--net-mode " + inQuotes(*o.netMode), "must be mixed, g-only or b-only");
        }
    }
    if (o.security) {
        plan.overrides.security = SecurityCodeFor(*o.security);
        if (!plan.overrides.security) {
            return Refuse("--security " + inQuotes(*o.security),
                          "must be disabled, wep64, wep128, wpa-tkip, wpa-aes, wpa2 or "
                          "wpa2-mixed");
        }
    }
    if (o.key) {
        auto key = toLatin1("--key", *o.key, false);
        if (auto* refusal = std::get_if<Refusal>(&key)) {
            return *refusal;
        }
        plan.overrides.key = std::get<std::string>(std::move(key));
    }
    if (o.passphrase) {
        auto phrase = toLatin1("--passphrase", *o.passphrase, false);
        if (auto* refusal = std::get_if<Refusal>(&phrase)) {
            return *refusal;
        }
        plan.overrides.passphrase = std::get<std::string>(std::move(phrase));
    }
    if (plan.overrides.security) {
        if (auto refusal = checkKeysFor(*plan.overrides.security, *o.security, plan.overrides.key,
                                        plan.overrides.passphrase)) {
            return *refusal;
        }
    }
    plan.overrides.pairing = o.pairing;
    if (o.verifySeconds) {
        if (!std::isfinite(*o.verifySeconds) || *o.verifySeconds <= 0) {
            return Refuse("--verify", "must be a number of seconds above 0");
        }
        plan.verifySeconds = o.verifySeconds;
    }
    return plan;
}

std::optional<WirelessPath> WirelessFromOptions(const Overrides& plan) {
    if (plan.wirelessOptions()) {
        return WirelessPath::Manual;
    }
    if (plan.pairing) {
        return WirelessPath::Pairing;
    }
    return std::nullopt;
}

bool PairingKeepsWireless(Exchanges::Pairing check) {
    switch (check) {
        case Exchanges::Pairing::Managed:
        case Exchanges::Pairing::NoAnswer:
            return true;
        case Exchanges::Pairing::NotManaged:
            break;
    }
    return false;
}

std::variant<WirelessPath, Refusal> WirelessFromCheck(Exchanges::Pairing check,
                                                      const MacAddress& mac) {
    if (PairingKeepsWireless(check)) {
        return WirelessPath::Pairing;
    }
    return Refuse("device " + formatMac(mac),
                  "the device's wireless settings are not under pairing control",
                  "give --ssid/--channel/--net-mode/--security/--key/--passphrase to write "
                  "them, or --pairing to leave them to the pairing feature");
}

namespace {

// What the option of a refused value is called, and what to say when the value was the
// device's own rather than given.
struct FieldOption {
    SettingField field;
    const char* option;
    const char* current;  // "the device's current ..."
    const char* hint;     // for a current value
};
constexpr FieldOption kFieldOptions[] = {
    {SettingField::IpAddress, "--ip", "address", "give --ip A, or --dhcp"},
    {SettingField::Netmask, "--netmask", "netmask", "give --netmask M, or --dhcp"},
    {SettingField::Gateway, "--gateway", "gateway", "give --gateway G, or --gateway \"\" for none"},
    {SettingField::DeviceName, "--name", "name", "give --name NAME"},
    {SettingField::DevicePassword, "--new-password", "password", "give --new-password P"},
    {SettingField::Ssid, "--ssid", "SSID", "give --ssid S"},
    {SettingField::Channel, "--channel", "channel", "give --channel N"},
    {SettingField::NetworkMode, "--net-mode", "network mode", "give --net-mode"},
    {SettingField::Security, "--security", "security", "give --security"},
    {SettingField::Passphrase, "--passphrase", "passphrase", "give --passphrase P"},
    {SettingField::WepKey, "--key", "key", "give --key K or --passphrase P"},
    {SettingField::PreSharedKey, "--key", "key", "give --key K or --passphrase P"},
};

// Whether the plan gave the value of a field (else it is the device's own).
bool Given(const Overrides& plan, SettingField field) {
    switch (field) {
        case SettingField::IpAddress:
            return plan.ipText.has_value();
        case SettingField::Netmask:
            return plan.netmaskText.has_value();
        case SettingField::Gateway:
            return plan.gatewayText.has_value();
        case SettingField::DeviceName:
            return plan.name.has_value();
        case SettingField::DevicePassword:
            return plan.newPassword.has_value();
        case SettingField::Ssid:
            return plan.ssid.has_value();
        case SettingField::Channel:
            return plan.channel.has_value();
        case SettingField::NetworkMode:
            return plan.netMode.has_value();
        case SettingField::Security:
            return plan.security.has_value();
        case SettingField::Passphrase:
        case SettingField::WepKey:
        case SettingField::PreSharedKey:
            return plan.key || plan.passphrase;
        case SettingField::None:
            break;
    }
    return false;
}

// The first refusal of the page checks, as the command line names it.
Refusal OptionRefusal(const SettingRefusal& refusal, const Overrides& plan,
                      const EnteredSettings& entered) {
    const FieldOption* names = nullptr;
    for (const FieldOption& candidate : kFieldOptions) {
        if (candidate.field == refusal.field) {
            names = &candidate;
        }
    }
    std::string option = names != nullptr ? names->option : "a value";
    if (refusal.field == SettingField::Passphrase ||
        ((refusal.field == SettingField::WepKey || refusal.field == SettingField::PreSharedKey) &&
         plan.passphrase)) {
        option = "--passphrase";
    }
    std::string value;
    switch (refusal.field) {
        case SettingField::IpAddress:
            value = entered.newIPText;
            break;
        case SettingField::Netmask:
            value = entered.newNetmaskText;
            break;
        case SettingField::Gateway:
            value = entered.newGatewayText;
            break;
        case SettingField::Channel:
            value = std::to_string(entered.newChannel);
            break;
        case SettingField::NetworkMode:
            value = std::to_string(entered.newNetMode);
            break;
        default:
            break;  // texts that may be secret or need quoting are not repeated
    }
    const bool given = Given(plan, refusal.field);
    std::string subject =
        given ? option
              : "the device's current " + std::string(names != nullptr ? names->current : "");
    if (!value.empty()) {
        subject += " " + value;
    }
    Refusal result =
        RefuseWithText(std::move(subject), refusal.messageKey, std::string(refusal.detail),
                       given || names == nullptr ? std::string() : std::string(names->hint));
    if (names != nullptr) {
        result.field = option.substr(2);
    }
    return result;
}

}  // namespace

std::variant<ConfigureSettings, Refusal> BuildSettings(const Overrides& plan,
                                                       const DeviceInfo& device,
                                                       WirelessPath path) {
    EnteredSettings e;
    e.loadFromDevice(device);

    // Addressing: the page with its static fields, which the wizard checks whenever it is
    // left with a static address, also when they hold the device's current values.
    if (plan.ip != IpChoice::Keep) {
        e.bStaticIP = plan.ip == IpChoice::Static;
    }
    e.newIPText = plan.ipText.value_or(e.newIPText);
    e.newNetmaskText = plan.netmaskText.value_or(e.newNetmaskText);
    e.newGatewayText = plan.gatewayText.value_or(e.newGatewayText);
    e.newDeviceName = plan.name.value_or(e.newDeviceName);
    e.newPassword = plan.newPassword.value_or(e.newPassword);

    if (path == WirelessPath::Pairing) {
        // As the pairing page leaves it: the device keeps the wireless settings its pairing
        // feature made.
        e.bWirelessEditable = false;
        e.newSecurityMode = kSecurityPairing;
    } else {
        e.bWirelessEditable = true;
        e.newSSID = plan.ssid.value_or(e.newSSID);
        if (plan.channel) {
            e.newChannel = *plan.channel;
        } else if (e.newChannel == 0) {
            e.newChannel = kDefaultChannel;  // where the wizard's list opens
        }
        e.newNetMode = plan.netMode.value_or(e.newNetMode);

        const int code = plan.security.value_or(e.newSecurityMode);
        if (!plan.security) {
            const std::string subject = "the device's current security " + securityText(code);
            const auto aboutSecurity = [](Refusal refusal) {
                refusal.field = "security";
                return refusal;
            };
            if (!SecurityWritable(code) || code == kSecurityPairing) {
                return aboutSecurity(
                    Refuse(subject,
                           "cannot be written back: its server settings do not travel in "
                           "the configure request",
                           "give --security"));
            }
            if (SecurityNeedsKey(code) && !plan.key && !plan.passphrase) {
                return aboutSecurity(
                    Refuse(subject,
                           "its key is not known here, and writing the wireless settings "
                           "without one would leave the device without a key",
                           "give --key K or --passphrase P, or --security"));
            }
            if (!SecurityNeedsKey(code) && (plan.key || plan.passphrase)) {
                return Refuse(
                    plan.key ? "--key" : "--passphrase",
                    "the device's current security " + securityText(code) + " uses no key",
                    "give --security too");
            }
        }
        e.newSecurityMode = code;
        if (code == kSecurityWep64 || code == kSecurityWep128) {
            auto keys = wepKey(code, plan.key, plan.passphrase);
            if (auto* refusal = std::get_if<Refusal>(&keys)) {
                return *refusal;
            }
            std::tie(e.newPassphrase, e.newWepKey) =
                std::get<std::pair<std::string, std::string>>(std::move(keys));
        } else if (SecurityNeedsKey(code)) {
            e.newPSK = plan.key ? *plan.key : plan.passphrase.value_or("");
        }
    }

    auto built = BuildConfigureSettings(e, device);
    if (auto* refusals = std::get_if<std::vector<SettingRefusal>>(&built)) {
        return OptionRefusal(refusals->front(), plan, e);
    }
    return std::get<ConfigureSettings>(std::move(built));
}

std::vector<std::string> CompareAnnounced(const ConfigureSettings& written,
                                          const DeviceInfo& announced) {
    std::vector<std::string> differences;
    const auto differ = [&](std::string_view what, const std::string& now,
                            const std::string& wanted) {
        if (now != wanted) {
            differences.push_back(std::string(what) + ": announced " + now + ", written " + wanted);
        }
    };
    // The device's texts as a terminal may show them, whole: they are what differs.
    const auto text = [](const std::string& latin1) {
        return "\"" + TerminalLatin1(latin1) + "\"";
    };

    differ("name", text(announced.deviceNameText()), text(written.deviceName));
    differ("IP mode", announced.ipMode != 0 ? "static" : "dhcp",
           written.ipMode != 0 ? "static" : "dhcp");
    if (written.ipMode != 0 && announced.ipMode != 0) {
        differ("IP", FormatIPv4(announced.ipAddress), FormatIPv4(written.ipAddress));
        differ("netmask", FormatIPv4(announced.subnetMask), FormatIPv4(written.subnetMask));
        differ("gateway", FormatIPv4(announced.gateway), FormatIPv4(written.gateway));
    }
    if (written.wirelessEditable != 0) {
        differ("SSID", text(announced.ssidText()), text(written.ssid));
        differ("channel", std::to_string(announced.channel), std::to_string(written.channel));
        differ("security", securityText(announced.securityMode),
               securityText(written.securityMode));
        differ("network mode", std::string(NetModeName(announced.networkMode)),
               std::string(NetModeName(written.networkMode)));
    }
    if (announced.devicePasswordText() != written.password) {
        differences.emplace_back("password: the announced one differs from the written one");
    }
    return differences;
}

std::vector<PlannedChange> PlannedChanges(const ConfigureSettings& next, const DeviceInfo& now) {
    constexpr char kMasked[] = "********";
    std::vector<PlannedChange> changes;
    const auto differ = [&](std::string_view field, const std::string& current,
                            const std::string& wanted) {
        if (current != wanted) {
            changes.push_back({std::string(field), current, wanted});
        }
    };
    const auto ipMode = [](std::uint8_t mode) {
        return std::string(mode != 0 ? "static" : "dhcp");
    };
    differ("name", now.deviceNameText(), next.deviceName);
    if (now.devicePasswordText() != next.password) {
        changes.push_back({"password", kMasked, kMasked});
    }
    differ("IP mode", ipMode(now.ipMode), ipMode(next.ipMode));
    if (next.ipMode != 0) {
        differ("IP", FormatIPv4(now.ipAddress), FormatIPv4(next.ipAddress));
        differ("netmask", FormatIPv4(now.subnetMask), FormatIPv4(next.subnetMask));
        differ("gateway", FormatIPv4(now.gateway), FormatIPv4(next.gateway));
    }
    if (next.wirelessEditable != 0) {
        differ("SSID", now.ssidText(), next.ssid);
        differ("channel", std::to_string(now.channel), std::to_string(next.channel));
        differ("security", securityText(now.securityMode), securityText(next.securityMode));
        if (SecurityNeedsKey(next.securityMode)) {
            changes.push_back({"key", "(not announced)", kMasked});
        }
        differ("network mode", std::string(NetModeName(now.networkMode)),
               std::string(NetModeName(next.networkMode)));
    }
    return changes;
}

}  // namespace trv81k
