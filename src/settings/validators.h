#pragma once
// The checks every typed value passes before it is written into a device. Pure functions: they
// return the outcome, the normalised text and which message applies, and the windows show the
// message and move the focus.
//
// Texts are 8-bit characters (Latin-1, one byte a character), as they travel to the device;
// lengths count those bytes.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace trv81k {

// Which entered value a check is about. The wizard maps it to its field, the command-line tool
// to its option.
enum class SettingField {
    None,
    IpAddress,
    Netmask,
    Gateway,
    DeviceName,
    DevicePassword,
    Ssid,
    Channel,
    NetworkMode,
    Security,
    Passphrase,
    WepKey,
    PreSharedKey,
};

enum class FieldOutcome {
    Valid,
    None,  // the gateway text 0.0.0.0: no gateway
    Invalid,
};

struct AddressCheck {
    FieldOutcome outcome = FieldOutcome::Invalid;
    std::array<std::uint8_t, 4> bytes{};      // the address in dotted order; zero unless Valid
    std::string normalised;                   // each octet in plain decimal; set unless Invalid
    std::string_view messageKey;              // Language.ini message on refusal, else empty
    SettingField field = SettingField::None;  // the refused value, else None
    // On refusal: true when the field gets its last accepted text back, false when the typed
    // text stays (the gateway's refusal of a character other than a digit or a dot).
    bool resetField = false;

    bool ok() const { return outcome != FieldOutcome::Invalid; }
};

// Address: exactly four decimal octets of at most 255, not 0.0.0.0 nor 255.255.255.255, and a
// last octet neither 0 nor 255. Leading zeros are dropped ("192.168.001.010" is 192.168.1.10).
// Refusal: "INVALID_IP", field IpAddress, reset.
AddressCheck ValidateIPText(std::string_view text);
// Netmask: four decimal octets, the first one of 128, 192, 224, 240, 248, 252, 255, the others
// one of those or 0 (the last one written without leading zeros); not 255.255.255.255. The
// octets need not form a contiguous run of ones. Refusal: "INVALID_NETMASK", field Netmask,
// reset.
AddressCheck ValidateNetmaskText(std::string_view text);
// Gateway: None for a text that reads 0.0.0.0 (leading zeros allowed), otherwise the address
// rule. Refusal: "INVALID_Gateway", field Gateway; reset unless the refusal is for a
// character other than a digit or a dot. An empty field is the caller's business (no gateway).
AddressCheck ValidateGatewayText(std::string_view text);

// The address a text stands for under the rule of its field, without the normalised text and
// the message a window needs: the sender's conversion of texts accepted before. Empty for a
// refused text and for the gateway's 0.0.0.0 (no gateway).
enum class AddressField { IP, Netmask, Gateway };
std::optional<std::array<std::uint8_t, 4>> AddressBytes(AddressField field, std::string_view text);

// Outcome of a field check with a message.
struct FieldCheck {
    bool ok = true;
    std::string_view messageKey;              // empty when ok
    SettingField field = SettingField::None;  // the refused value
};

// The lengths the pages allow: a device password, a WEP passphrase.
inline constexpr std::size_t kMinDevicePasswordLength = 4;
inline constexpr std::size_t kMaxDevicePasswordLength = 16;
inline constexpr std::size_t kMaxPassphraseLength = 16;

// Device password: 4 to 16 characters, none a control character.
FieldCheck CheckDevicePassword(std::string_view password);
// Network name: 1 to 32 characters, none a control character.
FieldCheck CheckSSID(std::string_view ssid);
// Device name: not empty, no control character (its length is the page's own check).
FieldCheck CheckDeviceName(std::string_view name);
// WEP checks for security code 1 or 2: passphrase length, key length, hexadecimal key, in that
// order. Any other code has no WEP checks and passes.
FieldCheck CheckWepKey(int securityMode, std::string_view passphrase, std::string_view key);
// Pre-shared key: 8 to 64 characters, hexadecimal when exactly 64.
FieldCheck CheckPreSharedKey(std::string_view psk);
// The key checks that belong to a security code (none for 0, 5, 6, 7 and above 10).
FieldCheck CheckKeysForMode(int securityMode, std::string_view passphrase, std::string_view wepKey,
                            std::string_view psk);

// Key filters of the edits: which typed characters are kept (Backspace, 8, always is).
bool IsAddressFieldChar(char c);  // digits and the dot
bool IsHexKeyChar(char c);        // 0-9, a-f, A-F
// Every character 0-9, a-f or A-F (true for the empty text).
bool IsHexText(std::string_view text);

}  // namespace trv81k
