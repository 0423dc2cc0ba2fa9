#pragma once
// The configure command's options, their checks and what they turn into: the settings the
// configure request carries, built from the device's current settings exactly as the wizard
// builds them after a login, with the options laid over them.
//
// Two rounds of checks. Before anything is sent, every value given on the command line passes
// the wizard's validators (CheckConfigureOptions). After the login the device's current
// settings fill what the options leave out, and the result passes the wizard's page checks on
// the way to the configure request's settings (BuildSettings), so a value the device announces
// but the wizard would refuse is never written back silently.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "cli/messages.h"
#include "core/exchanges.h"
#include "protocol/wire.h"

namespace trv81k::cli {

// The security choices of --security and their wire codes.
struct SecurityChoice {
    std::string_view name;
    int code;
};
inline constexpr std::array<SecurityChoice, 7> kSecurityChoices{{
    {"disabled", kSecurityDisabled},
    {"wep64", kSecurityWep64},
    {"wep128", kSecurityWep128},
    {"wpa-tkip", kSecurityWpaTkip},
    {"wpa-aes", kSecurityWpaAes},
    {"wpa2", kSecurityWpa2Aes},
    {"wpa2-mixed", kSecurityWpa2Mixed},
}};
std::optional<int> SecurityCodeFor(std::string_view name);

// "mixed", "g-only", "b-only" and back; "unknown" for a code above 2.
inline constexpr std::array<std::string_view, 3> kNetModeNames{"mixed", "g-only", "b-only"};
std::optional<std::uint8_t> NetModeFor(std::string_view name);
std::string_view NetModeName(std::uint8_t mode);

// Whether a security code needs a key in the configure request (1, 2, 3, 4, 8, 9, 10).
bool SecurityNeedsKey(int code);

// The options of `configure` as given (texts in UTF-8). Conflicts between flags (--dhcp with
// --static, --pairing with a wireless option ...) are the parser's; the rest is checked here.
struct ConfigureOptions {
    std::string device;
    bool dhcp = false;
    bool staticIp = false;
    std::optional<std::string> ip;
    std::optional<std::string> netmask;
    std::optional<std::string> gateway;  // "" or "0.0.0.0": no gateway
    std::optional<std::string> name;
    std::optional<std::string> newPassword;
    std::optional<std::string> ssid;
    std::optional<int> channel;
    std::optional<std::string> netMode;
    std::optional<std::string> security;
    std::optional<std::string> key;
    std::optional<std::string> passphrase;
    bool pairing = false;
    std::optional<double> verifySeconds;
};

enum class IpChoice { Keep, Dhcp, Static };

// The checked options: texts in Latin-1 as they travel, choices as codes.
struct ConfigurePlan {
    MacAddress mac{};
    IpChoice ip = IpChoice::Keep;
    std::optional<std::string> ipText;
    std::optional<std::string> netmaskText;
    std::optional<std::string> gatewayText;
    std::optional<std::string> name;
    std::optional<std::string> newPassword;
    std::optional<std::string> ssid;
    std::optional<int> channel;
    std::optional<std::uint8_t> netMode;
    std::optional<int> security;
    std::optional<std::string> key;
    std::optional<std::string> passphrase;
    bool pairing = false;
    std::optional<double> verifySeconds;

    // Any of --ssid, --channel, --net-mode, --security, --key, --passphrase.
    bool wirelessOptions() const;
};

// Every given value through the wizard's checks; the plan or the first refusal (exit 2).
std::variant<ConfigurePlan, Refusal> CheckConfigureOptions(const ConfigureOptions& options);

// How the wireless settings are written.
enum class WirelessPath {
    Manual,   // the options' (or the device's) SSID, channel, security: bWirelessEditable 1
    Pairing,  // left to the pairing feature: bWirelessEditable 0, security 11 sent as 0
};

// The path the options choose: Manual with a wireless option, Pairing with --pairing; nothing
// when the pairing check has to decide.
std::optional<WirelessPath> WirelessFromOptions(const ConfigurePlan& plan);

// The check's verdict, as the wizard's pairing page takes it: pairing control or no answer
// leads to Pairing. A device not under pairing control would need its wireless settings typed;
// without wireless options that is refused, since writing its current ones back would drop its
// key.
std::variant<WirelessPath, Refusal> WirelessFromCheck(Exchanges::Pairing check,
                                                      const MacAddress& mac);

// The settings to write: the device's current ones (as a login loads them), the plan over
// them, the wireless path applied; every resulting value through the wizard's page checks.
std::variant<ConfigureSettings, Refusal> BuildSettings(const ConfigurePlan& plan,
                                                       const DeviceInfo& device, WirelessPath path);

// What a device should announce after the settings in `written` were applied, compared with
// what it announces. One line per difference ("name: announced "X", written "Y""), texts in
// UTF-8; empty when it matches.
std::vector<std::string> CompareAnnounced(const ConfigureSettings& written,
                                          const DeviceInfo& announced);

}  // namespace trv81k::cli
