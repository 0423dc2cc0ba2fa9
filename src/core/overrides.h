#pragma once
// The settings a configure request writes: the device's current settings (as a login loads
// them) with an overrides record laid over them, every resulting value through the wizard's
// page checks. The command line fills the record from its options, apply from its file's
// entries. Also the pairing verdict, and what a device should announce afterwards.
//
// Two rounds of checks. Before anything is sent, every value given passes the wizard's
// validators (CheckConfigureOptions). After the login the device's current settings fill what
// the record leaves out, and the result passes the wizard's page checks on the way to the
// configure request's settings (BuildSettings), so a value the device announces but the wizard
// would refuse is never written back silently. The refusals name the values as the command
// line's options do ("--ip"); a file names them by the same words without the dashes.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/exchanges.h"
#include "core/refusal.h"
#include "protocol/wire.h"

namespace trv81k {

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

// The options of `configure` as given (texts in UTF-8), from the command line or from an entry
// of an apply file. The command line's option table names each field; its conflicts are checked
// there, before these values are.
struct ConfigureOptions {
    std::optional<std::string> device;        // hardware address or device name
    std::optional<std::string> password;      // the login password, given as it is
    std::optional<std::string> passwordFile;  // ... or its file ("-": standard input)
    bool dhcp = false;
    bool staticIp = false;
    std::optional<std::string> ip;
    std::optional<std::string> netmask;
    std::optional<std::string> gateway;  // "" or "0.0.0.0": no gateway
    std::optional<std::string> name;
    std::optional<std::string> newPassword;
    std::optional<std::string> newPasswordFile;
    std::optional<std::string> ssid;
    std::optional<int> channel;
    std::optional<std::string> netMode;
    std::optional<std::string> security;
    std::optional<std::string> key;
    std::optional<std::string> keyFile;
    std::optional<std::string> passphrase;
    std::optional<std::string> passphraseFile;
    bool pairing = false;
    bool force = false;  // write doubtful values (a mask of no one run, a multicast address ...)
    std::optional<double> verifySeconds;
};

// A UTF-8 value as the Latin-1 text the device stores, or the refusal about `subject` of a
// character it cannot store.
std::variant<std::string, Refusal> DeviceLatin1(const std::string& subject,
                                                const std::string& utf8);

// The key the WEP page derives from a passphrase (Latin-1, 1 to 16 characters) for security code
// 1 (WEP 64: key 1, 10 digits) or 2 (WEP 128: 26 digits), upper-case hexadecimal; empty when the
// crypto library lacks MD5. Or why not, the refusal about `subject`.
std::variant<std::string, Refusal> WepKeyFromPassphrase(int code, std::string_view passphrase,
                                                        const std::string& subject);

// A device as an option names it: by hardware address, or by its name (Latin-1), which must be
// unique among the devices that answer.
struct DeviceChoice {
    std::optional<MacAddress> mac;
    std::string name;

    // "02-81-00-00-00-01" or "\"Hall\"" (UTF-8).
    std::string text() const;
    bool matches(const DeviceInfo& device) const;
};

enum class IpChoice { Keep, Dhcp, Static };

// The overrides record: what is to change, texts in Latin-1 as they travel, choices as codes;
// whatever it leaves out keeps the device's current value.
struct Overrides {
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

    // Any of --ssid, --channel, --net-mode, --security, --key, --passphrase.
    bool wirelessOptions() const;
};

// The checked options: which device, what to change on it, and how long to verify after.
struct ConfigurePlan {
    DeviceChoice device;
    Overrides overrides;
    std::optional<double> verifySeconds;
};

// Every given value through the wizard's checks; the plan or the first refusal. The secrets
// are read already, the options' conflicts checked.
std::variant<ConfigurePlan, Refusal> CheckConfigureOptions(const ConfigureOptions& options);

// How the wireless settings are written.
enum class WirelessPath {
    Manual,   // the options' (or the device's) SSID, channel, security: bWirelessEditable 1
    Pairing,  // left to the pairing feature: bWirelessEditable 0, security 11 sent as 0
};

// The path the options choose: Manual with a wireless option, Pairing with --pairing; nothing
// when the pairing check has to decide.
std::optional<WirelessPath> WirelessFromOptions(const Overrides& overrides);

// The check's verdict, as the wizard's pairing page takes it: pairing control or no answer
// leads to Pairing. A device not under pairing control would need its wireless settings typed;
// without wireless options that is refused, since writing its current ones back would drop its
// key.
// The pairing verdict: a device under pairing control, or one silent to the check, keeps its
// wireless settings from the pairing; only a device that says it is not managed gets them
// written.
bool PairingKeepsWireless(Exchanges::Pairing check);
std::variant<WirelessPath, Refusal> WirelessFromCheck(Exchanges::Pairing check,
                                                      const MacAddress& mac);

// The settings to write: the device's current ones (as a login loads them), the overrides over
// them, the wireless path applied; every resulting value through the wizard's page checks.
std::variant<ConfigureSettings, Refusal> BuildSettings(const Overrides& overrides,
                                                       const DeviceInfo& device, WirelessPath path);

// What a device should announce after the settings in `written` were applied, compared with
// what it announces. One line per difference ("name: announced "X", written "Y""), texts in
// UTF-8; empty when it matches.
std::vector<std::string> CompareAnnounced(const ConfigureSettings& written,
                                          const DeviceInfo& announced);

// What writing `next` would change on a device that announces `now`, field by field, as apply
// --check shows it. Texts are Latin-1 as the device holds them; a secret (the password, the
// key) never appears: its values read "********", and a key the device does not announce
// "(not announced)".
struct PlannedChange {
    std::string field;  // "name", "password", "IP mode", "IP", ..., "key"
    std::string now;
    std::string next;
};
std::vector<PlannedChange> PlannedChanges(const ConfigureSettings& next, const DeviceInfo& now);

}  // namespace trv81k
