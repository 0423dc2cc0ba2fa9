#pragma once
// One emulated access point: what it announces, what a configure request may change, and how
// it misbehaves on purpose for tests. Texts are 8-bit (Latin-1, one byte a character), as the
// device stores them.

#include <cstdint>
#include <string>

#include "protocol/wire.h"

namespace trv81k::emulator {

// Switches that make a device misbehave the way tests need it to.
struct Behaviour {
    bool refusePassword = false;      // every login is answered with status 1
    bool pairingManaged = false;      // the pairing check answers state 1
    bool silent = false;              // answers nothing and applies nothing
    bool neverAcknowledge = false;    // applies configure requests but never answers them
    bool noMarker = false;            // search answers lack the pairing marker
    bool answerTwice = false;         // every answer goes out twice
    bool ignorePairingCheck = false;  // answers everything but the pairing check
    bool keepSettings = false;        // acknowledges configure requests but applies nothing

    bool operator==(const Behaviour&) const = default;
};

// The settings a configure request can change; what the state file keeps.
struct DeviceSettings {
    std::string name = "TRV81K";
    std::string password = "admin";
    std::uint8_t ipMode = 1;  // 0 DHCP, 1 static
    Ipv4Address ip{192, 168, 1, 254};
    Ipv4Address netmask{255, 255, 255, 0};
    Ipv4Address gateway{192, 168, 1, 1};
    std::string ssid = "TRV81K";
    std::uint8_t channel = 6;
    std::uint8_t security = kSecurityDisabled;  // SecurityMode code 0..10
    std::string key;                            // the WEP or WPA key text
    std::uint8_t networkMode = 0;               // 0 mixed, 1 G-only, 2 B-only

    bool operator==(const DeviceSettings&) const = default;
};

// Capacities of the texts a device holds.
inline constexpr std::size_t kMaxPasswordLength = 32;  // the password field of the search answer
inline constexpr std::size_t kMaxKeyLength = 64;
inline constexpr std::size_t kMaxFirmwareLength = 5;

struct EmulatedDevice {
    MacAddress mac{0x02, 0x81, 0x00, 0x00, 0x00, 0x01};  // locally administered
    DeviceId deviceId{0x02, 0x81, 0x00, 0x00, 0x00, 0x01};
    DeviceToken token{};
    std::string firmware = "1.00";
    std::string auxName;
    std::uint8_t auxAttr = 0;
    std::uint8_t auxKeyCode = 0;
    std::string auxText;
    DeviceSettings settings;
    Behaviour behaviour;

    bool operator==(const EmulatedDevice&) const = default;
};

// The record a search answer is built from. Texts longer than their fields are cut (the
// configuration and the configure handling never let them grow that long).
DeviceInfo describe(const EmulatedDevice& device);

// The device's search answer; with `noMarker` the four marker bytes are zero.
PlainMessage searchAnswerFor(const EmulatedDevice& device);

// Where the pairing marker lies in a search answer for this device.
std::size_t markerOffset(const EmulatedDevice& device);

// The names of the network modes in configuration and log: "mixed", "g-only", "b-only".
std::string networkModeName(std::uint8_t mode);

}  // namespace trv81k::emulator
