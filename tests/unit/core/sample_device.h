#pragma once
// A device as a search answer describes it, for the tests of the settings built over it.

#include <algorithm>
#include <string_view>

#include "protocol/wire.h"

namespace trv81k::test {

template <std::size_t N>
void putText(std::array<std::uint8_t, N>& field, std::uint8_t* length, std::string_view text) {
    field.fill(0);
    const std::size_t n = std::min(text.size(), N - 1);
    std::copy_n(text.begin(), n, field.begin());
    if (length != nullptr) {
        *length = static_cast<std::uint8_t>(n);
    }
}

// Static 192.168.1.254/24, gateway 192.168.1.1, SSID "TRV81K" on channel 6, security disabled,
// mixed mode, name "Office AP", password "admin", firmware "1.02".
inline DeviceInfo sampleDevice() {
    DeviceInfo d;
    d.ipMode = 1;
    d.ipAddress = {192, 168, 1, 254};
    d.subnetMask = {255, 255, 255, 0};
    d.gateway = {192, 168, 1, 1};
    d.macAddress = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55};
    d.deviceId = d.macAddress;
    putText(d.ssid, &d.ssidLength, "TRV81K");
    d.channel = 6;
    d.securityMode = 0;
    putText(d.deviceName, &d.deviceNameLength, "Office AP");
    std::array<std::uint8_t, 33> password{};
    putText(password, nullptr, "admin");
    std::copy_n(password.begin(), d.devicePassword.size(), d.devicePassword.begin());
    putText(d.firmwareVersion, nullptr, "1.02");
    d.deviceToken = {0xA1, 0xB2, 0xC3, 0xD4};
    d.pairingCapable = 1;
    d.networkMode = 0;
    return d;
}

}  // namespace trv81k::test
