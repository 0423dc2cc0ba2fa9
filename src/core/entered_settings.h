#pragma once
// The settings as a user enters them (the wizard's pages) or gives them (the command line's
// options), the checks each page makes, and the one way from them to the ConfigureSettings a
// configure request is written from.
//
// Texts are 8-bit characters (Latin-1, one byte a character), as they travel.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "protocol/wire.h"
#include "settings/validators.h"

namespace trv81k {

inline constexpr int kFirstChannel = 1;
inline constexpr int kLastChannel = 13;
inline constexpr int kNetModeCount = 3;  // mixed, G-only, B-only
// Where the channel list opens while the device reports a channel it does not hold.
inline constexpr int kDefaultChannel = 6;

struct EnteredSettings {
    bool bStaticIP = true;
    std::string newIPText;
    std::string newNetmaskText;
    std::string newGatewayText;  // empty or 0.0.0.0: no gateway
    std::string newDeviceName;
    std::string newPassword;
    // False: the wireless settings are left to the device's pairing (the request carries the
    // security code 0 without a key and the device keeps what its pairing made).
    bool bWirelessEditable = false;
    std::string newSSID;
    int newChannel = 0;
    std::uint8_t newNetMode = 0;
    int newSecurityMode = 0;    // SecurityMode; 11 when left to the pairing
    std::string newPassphrase;  // WEP: what the key was derived from
    std::string newWepKey;
    std::string newPSK;

    // What a successful login takes over: the device's current settings.
    void loadFromDevice(const DeviceInfo& device);
};

// One refused value: its message (a Language.ini key, or an English detail for values no page
// can produce) and whether its field gets the last accepted text back.
struct SettingRefusal {
    SettingField field = SettingField::None;
    std::string_view messageKey;
    std::string_view detail;
    bool resetField = false;
};

// The basic settings page: the password first (alone when it is refused), the device name's
// length, then with a static address the address, netmask and gateway, each refusal of the
// three (an empty gateway is none).
std::vector<SettingRefusal> CheckBasicSettings(const EnteredSettings& entered);
// The wireless settings page: the network name, a channel of 1 to 13, a listed network mode.
std::optional<SettingRefusal> CheckWirelessSettings(const EnteredSettings& entered);
// The key pages: a security code the request can carry and the keys that code needs.
std::optional<SettingRefusal> CheckSecurity(const EnteredSettings& entered);

// Whether a security code can be written (0 to 4, 8 to 10; 11 stands for the pairing).
bool SecurityWritable(int securityMode);

// Every check in the order of the pages (the wireless ones only when the wireless settings are
// written), then the settings of `device`'s configure request: its hardware address, the
// values converted once, the fields a device wants back unchanged.
std::variant<ConfigureSettings, std::vector<SettingRefusal>> BuildConfigureSettings(
    const EnteredSettings& entered, const DeviceInfo& device);

}  // namespace trv81k
