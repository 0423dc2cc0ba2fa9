#include "cli/options.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include <tuple>

#include "cli/password.h"
#include "core/entered_settings.h"
#include "l10n/texts.h"
#include "settings/address_warnings.h"
#include "settings/keygen.h"
#include "settings/text_encoding.h"
#include "settings/validators.h"

namespace trv81k::cli {
namespace {

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
    if (refusal.subject.starts_with("--")) {
        refusal.field = refusal.subject.substr(2, refusal.subject.find(' ') - 2);
    }
    return refusal;
}

Refusal refuseText(std::string subject, std::string detail, std::string hint = {}) {
    return refuse(std::move(subject), {}, std::move(detail), std::move(hint));
}

// A value as a message quotes it: terminal-safe, a long one cut.
std::string inQuotes(std::string_view utf8) {
    return "\"" + ShownValue(utf8) + "\"";
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
        return refuse(std::string(option) + " " + ShownValue(text), check.messageKey);
    }
    return std::nullopt;
}

bool blankEdged(std::string_view text) {
    return !text.empty() && (text.front() == ' ' || text.back() == ' ');
}

// A static address or mask given that passes the octet checks but that no network uses: a
// multicast, loopback or reserved address, a mask whose ones are not one run.
std::optional<Refusal> doubtfulAddresses(const ConfigurePlan& plan) {
    const char* hint = "give --force to write it all the same";
    if (plan.ipText) {
        if (const AddressCheck ip = ValidateIPText(*plan.ipText);
            ip.ok() && !IsUnicastAddress(ip.bytes)) {
            return refuseText("--ip " + ip.normalised,
                              "is a multicast, loopback or reserved address, which a device "
                              "cannot use as its own",
                              hint);
        }
    }
    if (plan.netmaskText) {
        if (const AddressCheck mask = ValidateNetmaskText(*plan.netmaskText);
            mask.ok() && !IsContiguousMask(mask.bytes)) {
            return refuseText("--netmask " + mask.normalised,
                              "is no contiguous mask: its ones are not one run (as in "
                              "255.255.255.0)",
                              hint);
        }
    }
    return std::nullopt;
}

}  // namespace

namespace {

using O = ConfigureOptions;

constexpr ConfigureOption flag(std::string_view name, bool O::*field, std::string_view help) {
    return {name, OptionKind::Flag, {}, help, field, nullptr, nullptr, {}};
}
constexpr ConfigureOption text(std::string_view name, std::optional<std::string> O::*field,
                               std::string_view typeName, std::string_view help,
                               std::string_view needs = {}) {
    return {name, OptionKind::Text, typeName, help, nullptr, field, nullptr, needs};
}

constexpr std::array kOptions{
    text("device", &O::device, "MAC|NAME",
         "the device: its hardware address (00-11-22-33-44-55) or its name, which no other "
         "device that answers may have"),
    text("password", &O::password, "PW",
         "the device password (visible to other users in the process list; prefer the "
         "others)"),
    text("password-file", &O::passwordFile, "FILE|-",
         "read the password from the first line of FILE (\"-\": standard input)"),
    flag("dhcp", &O::dhcp, "the device takes its address by DHCP"),
    flag("static", &O::staticIp, "a static address"),
    text("ip", &O::ip, "A", "static address (default: the current one)", "static"),
    text("netmask", &O::netmask, "M", "static netmask (default: the current one)", "static"),
    text("gateway", &O::gateway, "G",
         "static gateway; \"\" or 0.0.0.0 for none (default: the current one)", "static"),
    text("name", &O::name, "NAME", "device name, up to 32 characters"),
    text("new-password", &O::newPassword, "P",
         "new device password, 4 to 16 characters (visible in the process list; prefer "
         "--new-password-file or TRV81K_NEW_PASSWORD)"),
    text("new-password-file", &O::newPasswordFile, "FILE|-",
         "the new device password from the first line of FILE (\"-\": standard input)"),
    text("ssid", &O::ssid, "S", "network name, 1 to 32 characters"),
    ConfigureOption{"channel",
                    OptionKind::Number,
                    "N",
                    "channel 1 to 13",
                    nullptr,
                    nullptr,
                    &O::channel,
                    {},
                    kFirstChannel,
                    kLastChannel},
    text("net-mode", &O::netMode, "MODE", "mixed, g-only or b-only"),
    text("security", &O::security, "LEVEL",
         "disabled, wep64, wep128, wpa-tkip, wpa-aes, wpa2 or wpa2-mixed"),
    text("key", &O::key, "K",
         "WEP key (10 or 26 hexadecimal digits) or WPA pre-shared key (8 to 63 characters, or "
         "64 hexadecimal digits); visible in the process list, prefer --key-file or TRV81K_KEY"),
    text("key-file", &O::keyFile, "FILE|-",
         "the key from the first line of FILE (\"-\": standard input)"),
    text("passphrase", &O::passphrase, "P",
         "WEP: the key is derived from it (1 to 16 characters); WPA: it is the pre-shared key; "
         "visible in the process list, prefer --passphrase-file or TRV81K_PASSPHRASE"),
    text("passphrase-file", &O::passphraseFile, "FILE|-",
         "the passphrase from the first line of FILE (\"-\": standard input)"),
    flag("pairing", &O::pairing, "leave the wireless settings to the device's push-button pairing"),
    flag("force", &O::force,
         "write values that pass the checks but are seldom meant, as given: a netmask whose ones "
         "are not one run, a multicast, loopback or reserved address, a name or SSID beginning "
         "or ending with a blank"),
};

// The options that write the wireless settings, which --pairing leaves to the device.
constexpr std::array<std::string_view, 8> kWirelessOptions{
    "ssid", "channel", "net-mode", "security", "key", "key-file", "passphrase", "passphrase-file"};

constexpr auto kConflicts = [] {
    std::array<OptionConflict, 12 + kWirelessOptions.size()> all{{
        {"dhcp", "static"},
        {"dhcp", "ip"},
        {"dhcp", "netmask"},
        {"dhcp", "gateway"},
        {"password", "password-file"},
        {"new-password", "new-password-file"},
        {"key", "key-file"},
        {"key", "passphrase"},
        {"key", "passphrase-file"},
        {"key-file", "passphrase"},
        {"key-file", "passphrase-file"},
        {"passphrase", "passphrase-file"},
    }};
    std::size_t n = 12;
    for (std::string_view wireless : kWirelessOptions) {
        all[n++] = {"pairing", wireless};
    }
    return all;
}();

std::string dashed(std::string_view name) {
    return "--" + std::string(name);
}

}  // namespace

std::optional<std::string> NumberProblem(std::string_view text, double low, double high,
                                         bool whole) {
    const auto number = [](double value) {
        std::array<char, 32> buffer{};
        std::snprintf(buffer.data(), buffer.size(), "%g", value);
        return std::string(buffer.data());
    };
    const std::string range = number(low) + " to " + number(high);
    const std::string kind = whole ? "a whole number" : "a number";
    if (text.empty()) {
        return "is empty; give " + kind + " from " + range;
    }
    const std::string shown = inQuotes(std::string(text).substr(0, 64));
    double value = 0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (whole) {
        long long integer = 0;
        const auto [end, error] = std::from_chars(first + (*first == '+' ? 1 : 0), last, integer);
        if (error == std::errc::result_out_of_range) {
            return shown + " is outside " + range;
        }
        if (error != std::errc() || end != last) {
            return shown + " is not " + kind + " from " + range;
        }
        value = static_cast<double>(integer);
    } else {
        // strtod takes "nan" and "inf"; neither is a number of seconds.
        const std::string copy(text);
        char* end = nullptr;
        errno = 0;
        value = std::strtod(copy.c_str(), &end);
        const bool letters = std::any_of(copy.begin(), copy.end(), [](char c) {
            return std::isalpha(static_cast<unsigned char>(c)) != 0 && c != 'e' && c != 'E';
        });
        if (end != copy.c_str() + copy.size() || letters || std::isspace(copy.front()) != 0) {
            return shown + " is not " + kind + " from " + range;
        }
        if (!std::isfinite(value) || errno == ERANGE) {
            return shown + " is outside " + range;
        }
    }
    if (value < low || value > high) {
        return shown + " is outside " + range;
    }
    return std::nullopt;
}

bool ConfigureOption::isSet(const ConfigureOptions& options) const {
    switch (kind) {
        case OptionKind::Flag:
            return options.*flag;
        case OptionKind::Text:
            return (options.*text).has_value();
        case OptionKind::Number:
            return (options.*number).has_value();
    }
    return false;
}

void ConfigureOption::clear(ConfigureOptions& options) const {
    switch (kind) {
        case OptionKind::Flag:
            options.*flag = false;
            break;
        case OptionKind::Text:
            (options.*text).reset();
            break;
        case OptionKind::Number:
            (options.*number).reset();
            break;
    }
}

std::span<const ConfigureOption> ConfigureOptionTable() {
    return kOptions;
}

const ConfigureOption* FindConfigureOption(std::string_view name) {
    for (const ConfigureOption& option : kOptions) {
        if (option.name == name) {
            return &option;
        }
    }
    return nullptr;
}

std::span<const OptionConflict> ConfigureConflicts() {
    return kConflicts;
}

std::optional<Refusal> CheckConflicts(const ConfigureOptions& options) {
    const auto isSet = [&](std::string_view name) {
        const ConfigureOption* option = FindConfigureOption(name);
        return option != nullptr && option->isSet(options);
    };
    for (const OptionConflict& conflict : kConflicts) {
        if (isSet(conflict.first) && isSet(conflict.second)) {
            return refuseText(dashed(conflict.first), "cannot go with " + dashed(conflict.second));
        }
    }
    for (const ConfigureOption& option : kOptions) {
        if (!option.needs.empty() && option.isSet(options) && !isSet(option.needs)) {
            return refuseText(dashed(option.name), "needs " + dashed(option.needs));
        }
    }
    return std::nullopt;
}

std::variant<SecretOrigins, Refusal> ReadSecrets(ConfigureOptions& options,
                                                 const SecretContext& context) {
    SecretOrigins origins;
    // Standard input holds one line for one of them.
    std::string stdinUser;
    for (const std::string_view name :
         {"password-file", "new-password-file", "key-file", "passphrase-file"}) {
        const auto& file = options.*(FindConfigureOption(name)->text);
        if (file && *file == "-") {
            if (!context.stdinAllowed) {
                return refuseText(dashed(name) + " -", "standard input cannot be read here");
            }
            if (!stdinUser.empty()) {
                return refuseText(dashed(name) + " -",
                                  "standard input is taken by " + stdinUser + " -");
            }
            stdinUser = dashed(name);
        }
    }
    for (const SecretOption& secret : kSecretOptions) {
        auto& value = options.*(FindConfigureOption(secret.name)->text);
        auto& file = options.*(FindConfigureOption(secret.fileName)->text);
        if (value && file) {
            return refuseText(dashed(secret.name), "cannot go with " + dashed(secret.fileName));
        }
        if (file) {
            const std::string subject = dashed(secret.fileName) + " " + *file;
            auto line = ReadSecretFile(*file, context.stdinFd, context.folder, subject);
            if (auto* refusal = std::get_if<Refusal>(&line)) {
                refusal->field = secret.fileName;
                return std::move(*refusal);
            }
            value = std::get<std::string>(std::move(line));
            file.reset();
            origins.emplace_back(secret.name, subject);
        }
    }
    if (!context.getenv) {
        return origins;
    }
    // A variable stands in for its option only where nothing on the command line decides it.
    const auto decided = [&](std::string_view name) {
        if (FindConfigureOption(name)->isSet(options)) {
            return true;
        }
        for (const OptionConflict& conflict : kConflicts) {
            const std::string_view other = conflict.first == name    ? conflict.second
                                           : conflict.second == name ? conflict.first
                                                                     : std::string_view();
            if (!other.empty() && FindConfigureOption(other)->isSet(options)) {
                return true;
            }
        }
        return false;
    };
    std::vector<std::pair<const SecretOption*, std::string>> taken;
    for (const SecretOption& secret : kSecretOptions) {
        if (decided(secret.name) || decided(secret.fileName)) {
            continue;
        }
        if (std::optional<std::string> value = context.getenv(secret.variable);
            value && !value->empty()) {
            for (const auto& [earlier, unused] : taken) {
                for (const OptionConflict& conflict : kConflicts) {
                    if ((conflict.first == earlier->name && conflict.second == secret.name) ||
                        (conflict.first == secret.name && conflict.second == earlier->name)) {
                        return refuseText(secret.variable,
                                          "cannot go with " + std::string(earlier->variable),
                                          "unset one of them");
                    }
                }
            }
            taken.emplace_back(&secret, std::move(*value));
        }
    }
    for (auto& [secret, value] : taken) {
        options.*(FindConfigureOption(secret->name)->text) = std::move(value);
        origins.emplace_back(secret->name, secret->variable);
    }
    return origins;
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

bool ConfigurePlan::wirelessOptions() const {
    return ssid || channel || netMode || security || key || passphrase;
}

std::variant<ConfigurePlan, Refusal> CheckConfigureOptions(const ConfigureOptions& o) {
    ConfigurePlan plan;
    if (!o.device) {
        return refuseText("--device", "is required");
    }
    if (std::optional<MacAddress> mac = parseMac(*o.device)) {
        plan.device.mac = *mac;
    } else {
        const std::optional<std::string> name = Utf8ToLatin1(*o.device);
        if (!name || name->empty() || name->size() > kMaxTextLength) {
            return refuseText("--device " + inQuotes(*o.device),
                              "is neither a hardware address such as 00-11-22-33-44-55 nor a "
                              "device name of 1 to 32 Latin-1 characters");
        }
        plan.device.name = *name;
    }
    if (auto refusal = CheckConflicts(o)) {
        return *refusal;
    }

    // Addressing.
    plan.ip = o.dhcp ? IpChoice::Dhcp : (o.staticIp ? IpChoice::Static : IpChoice::Keep);
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

    // Values that pass the checks but cannot be what the user wants; --force writes them.
    if (!o.force) {
        if (auto refusal = doubtfulAddresses(plan)) {
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
            return refuseText("--name " + inQuotes(*o.name),
                              "the device name may be at most 32 characters long");
        }
        if (const FieldCheck check = CheckDeviceName(std::get<std::string>(name)); !check.ok) {
            return refuse("--name " + inQuotes(*o.name), check.messageKey);
        }
        if (!o.force && blankEdged(std::get<std::string>(name))) {
            return refuseText("--name " + inQuotes(*o.name), "begins or ends with a blank",
                              "give --force to write it as it is");
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
        if (!o.force && blankEdged(std::get<std::string>(ssid))) {
            return refuseText("--ssid " + inQuotes(*o.ssid), "begins or ends with a blank",
                              "give --force to write it as it is");
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
            return refuseText("--net-mode " + inQuotes(*o.netMode),
                              "must be mixed, g-only or b-only");
        }
    }
    if (o.security) {
        plan.security = SecurityCodeFor(*o.security);
        if (!plan.security) {
            return refuseText("--security " + inQuotes(*o.security),
                              "must be disabled, wep64, wep128, wpa-tkip, wpa-aes, wpa2 or "
                              "wpa2-mixed");
        }
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

std::variant<WirelessPath, Refusal> WirelessFromCheck(Exchanges::Pairing check,
                                                      const MacAddress& mac) {
    switch (check) {
        case Exchanges::Pairing::Managed:
        case Exchanges::Pairing::NoAnswer:
            return WirelessPath::Pairing;
        case Exchanges::Pairing::NotManaged:
            break;
    }
    return refuseText("device " + formatMac(mac),
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
bool Given(const ConfigurePlan& plan, SettingField field) {
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
Refusal OptionRefusal(const SettingRefusal& refusal, const ConfigurePlan& plan,
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
    Refusal result = refuse(std::move(subject), refusal.messageKey, std::string(refusal.detail),
                            given || names == nullptr ? std::string() : std::string(names->hint));
    if (names != nullptr) {
        result.field = option.substr(2);
    }
    return result;
}

}  // namespace

std::variant<ConfigureSettings, Refusal> BuildSettings(const ConfigurePlan& plan,
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
                    refuseText(subject,
                               "cannot be written back: its server settings do not travel in "
                               "the configure request",
                               "give --security"));
            }
            if (SecurityNeedsKey(code) && !plan.key && !plan.passphrase) {
                return aboutSecurity(
                    refuseText(subject,
                               "its key is not known here, and writing the wireless settings "
                               "without one would leave the device without a key",
                               "give --key K or --passphrase P, or --security"));
            }
            if (!SecurityNeedsKey(code) && (plan.key || plan.passphrase)) {
                return refuseText(
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

}  // namespace trv81k::cli
