#include "core/option_table.h"

#include <algorithm>
#include <array>

#include "core/entered_settings.h"

namespace trv81k {
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

void ConfigureOption::copy(const ConfigureOptions& from, ConfigureOptions& to) const {
    switch (kind) {
        case OptionKind::Flag:
            to.*flag = from.*flag;
            break;
        case OptionKind::Text:
            to.*text = from.*text;
            break;
        case OptionKind::Number:
            to.*number = from.*number;
            break;
    }
}

void ConfigureOption::assign(ConfigureOptions& options, OptionValue value) const {
    switch (kind) {
        case OptionKind::Flag:
            options.*flag = std::get<bool>(value);
            break;
        case OptionKind::Text:
            options.*text = std::get<std::string>(std::move(value));
            break;
        case OptionKind::Number:
            options.*number = std::get<int>(value);
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

bool ConflictingSet(std::string_view name, const ConfigureOptions& options) {
    return std::any_of(kConflicts.begin(), kConflicts.end(), [&](const OptionConflict& conflict) {
        const std::string_view other = conflict.first == name    ? conflict.second
                                       : conflict.second == name ? conflict.first
                                                                 : std::string_view();
        return !other.empty() && FindConfigureOption(other)->isSet(options);
    });
}

std::optional<Refusal> CheckConflicts(const ConfigureOptions& options) {
    const auto isSet = [&](std::string_view name) {
        const ConfigureOption* option = FindConfigureOption(name);
        return option != nullptr && option->isSet(options);
    };
    for (const OptionConflict& conflict : kConflicts) {
        if (isSet(conflict.first) && isSet(conflict.second)) {
            return Refuse(dashed(conflict.first), "cannot go with " + dashed(conflict.second));
        }
    }
    for (const ConfigureOption& option : kOptions) {
        if (!option.needs.empty() && option.isSet(options) && !isSet(option.needs)) {
            return Refuse(dashed(option.name), "needs " + dashed(option.needs));
        }
    }
    return std::nullopt;
}

void LayDefaults(ConfigureOptions& entry, const std::set<std::string_view>& own,
                 const ConfigureOptions& defaults, const std::set<std::string_view>& given) {
    for (const ConfigureOption& row : kOptions) {
        if (!given.contains(row.name) || own.contains(row.name)) {
            continue;
        }
        // The entry turned the option it needs off ("static": false under a default netmask).
        const bool companionOff = !row.needs.empty() && own.contains(row.needs) &&
                                  !FindConfigureOption(row.needs)->isSet(entry);
        if (!ConflictingSet(row.name, entry) && !companionOff) {
            row.copy(defaults, entry);
        }
    }
}

}  // namespace trv81k
