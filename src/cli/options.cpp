#include "cli/options.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "cli/password.h"
#include "core/entered_settings.h"
#include "settings/text_encoding.h"

namespace trv81k::cli {

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
    const std::string shown = "\"" + ShownValue(std::string(text).substr(0, 64)) + "\"";
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
                return Refuse(dashed(name) + " -", "standard input cannot be read here");
            }
            if (!stdinUser.empty()) {
                return Refuse(dashed(name) + " -",
                              "standard input is taken by " + stdinUser + " -");
            }
            stdinUser = dashed(name);
        }
    }
    for (const SecretOption& secret : kSecretOptions) {
        auto& value = options.*(FindConfigureOption(secret.name)->text);
        auto& file = options.*(FindConfigureOption(secret.fileName)->text);
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
                        return Refuse(secret.variable,
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

}  // namespace trv81k::cli
