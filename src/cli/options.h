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
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
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

// The options of `configure` as given (texts in UTF-8), from the command line or from an entry
// of an apply file. Conflicts between options (--dhcp with --static, --pairing with a wireless
// option ...) are named once, in ConfigureConflicts(); the parser and the checks both use them.
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

// What is wrong with the text of a number option ("--timeout", "--channel" ...), or nothing
// when it is a number from `low` to `high` (a whole one when `whole`). An empty text, NaN,
// an infinity, trailing characters and a value beyond the range are each named; the text is
// repeated cut and terminal-safe.
std::optional<std::string> NumberProblem(std::string_view text, double low, double high,
                                         bool whole);

// ---- The option table ------------------------------------------------------------------------
// One row per option of configure. Its name without the dashes is also the key of an apply
// file's entry, so the command line and the file cannot drift apart.

enum class OptionKind { Flag, Text, Number };

struct ConfigureOption {
    std::string_view name;  // "new-password": --new-password, and the key "new-password"
    OptionKind kind = OptionKind::Text;
    std::string_view typeName;  // for --help: "A", "FILE|-" ...
    std::string_view help;
    bool ConfigureOptions::*flag = nullptr;                        // OptionKind::Flag
    std::optional<std::string> ConfigureOptions::*text = nullptr;  // OptionKind::Text
    std::optional<int> ConfigureOptions::*number = nullptr;        // OptionKind::Number
    std::string_view needs;  // another option this one needs ("static"), or empty
    int low = 0;             // OptionKind::Number: the range of the value
    int high = 0;

    bool isSet(const ConfigureOptions& options) const;
    void clear(ConfigureOptions& options) const;
};

// Every option, in the order --help lists them.
std::span<const ConfigureOption> ConfigureOptionTable();
const ConfigureOption* FindConfigureOption(std::string_view name);

// Two options that cannot be given together.
struct OptionConflict {
    std::string_view first;
    std::string_view second;
};
std::span<const OptionConflict> ConfigureConflicts();

// The first conflict or missing companion among the set options (exit 2).
std::optional<Refusal> CheckConflicts(const ConfigureOptions& options);

// ---- Secrets ---------------------------------------------------------------------------------
// A secret of the new settings comes from its option, its file (the first line; "-": standard
// input) or, for the command line, its environment variable, in this order. The variable is
// read only when neither the option, its file nor a conflicting option is given.

struct SecretOption {
    std::string_view name;      // "key"
    std::string_view fileName;  // "key-file"
    const char* variable;       // "TRV81K_KEY"
};
inline constexpr std::array<SecretOption, 3> kSecretOptions{{
    {"new-password", "new-password-file", "TRV81K_NEW_PASSWORD"},
    {"key", "key-file", "TRV81K_KEY"},
    {"passphrase", "passphrase-file", "TRV81K_PASSPHRASE"},
}};

struct SecretContext {
    std::filesystem::path folder;  // relative file names count from here
    int stdinFd = 0;
    bool stdinAllowed = true;  // "-" may name standard input (once in all)
    // The environment; empty: no variable is read.
    std::function<std::optional<std::string>(const char*)> getenv;
};

// Where each secret that was read came from ("TRV81K_KEY", "--key-file k.txt"), by option name.
using SecretOrigins = std::vector<std::pair<std::string, std::string>>;

// Reads the secret files into their values (the file options are cleared) and takes the
// variables; the origins of what was read, or why a file could not be read (exit 2).
std::variant<SecretOrigins, Refusal> ReadSecrets(ConfigureOptions& options,
                                                 const SecretContext& context);

// ---- The device ------------------------------------------------------------------------------

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

// The checked options: texts in Latin-1 as they travel, choices as codes.
struct ConfigurePlan {
    DeviceChoice device;
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

// Every given value through the wizard's checks; the plan or the first refusal (exit 2). The
// secrets are read already (ReadSecrets).
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

}  // namespace trv81k::cli
