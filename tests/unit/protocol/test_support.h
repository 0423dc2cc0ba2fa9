#pragma once
// Small builders shared by the protocol tests.

#include <chrono>
#include <string>
#include <string_view>
#include <thread>

#include "protocol/channel.h"
#include "protocol/wire.h"

namespace trv81k::test {

template <std::size_t N>
inline void putText(std::array<std::uint8_t, N>& field, std::uint8_t& length,
                    std::string_view text) {
    field.fill(0);
    std::copy(text.begin(), text.end(), field.begin());
    length = static_cast<std::uint8_t>(text.size());
}

// A plausible device; `n` makes its identity, address and name distinct.
inline DeviceInfo makeDevice(int n, std::string_view name = "AP", std::uint8_t auxKeyCode = 0) {
    DeviceInfo d;
    const auto b = static_cast<std::uint8_t>(n);
    d.deviceId = {0xD0, 0x01, 0x02, 0x03, 0x04, b};
    d.macAddress = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, b};
    d.ipMode = 1;
    d.ipAddress = {192, 168, 1, static_cast<std::uint8_t>(10 + n)};
    d.subnetMask = {255, 255, 255, 0};
    d.gateway = {192, 168, 1, 1};
    putText(d.ssid, d.ssidLength, "Office & Lab");
    d.channel = 6;
    d.securityMode = 9;
    putText(d.auxName, d.auxNameLength, "aux-name");
    d.auxAttr = 0x5A;
    d.auxKeyCode = auxKeyCode;
    putText(d.deviceName, d.deviceNameLength, std::string(name) + std::to_string(n));
    putText(d.auxText, d.auxTextLength, "ETSI");
    d.firmwareVersion = {'1', '.', '2', '.', '3', 0};
    d.deviceToken = {0xA1, 0xB2, 0xC3, b};
    const std::string_view password = "admin";
    std::copy(password.begin(), password.end(), d.devicePassword.begin());
    d.pairingCapable = 1;
    d.networkMode = 1;
    return d;
}

// The multicast group's port on the loopback interface.
inline NetworkEndpoint loopbackEndpoint(std::uint16_t port) {
    NetworkEndpoint endpoint;
    endpoint.port = port;
    endpoint.interfaceAddress = {127, 0, 0, 1};
    return endpoint;
}

// True once `done` holds, false when `limit` passed first.
template <typename Predicate>
bool eventually(Predicate done, std::chrono::milliseconds limit = std::chrono::milliseconds(3000)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

inline std::string textAt(const PlainMessage& plain, std::size_t offset, std::size_t length) {
    return std::string(plain.begin() + static_cast<std::ptrdiff_t>(offset),
                       plain.begin() + static_cast<std::ptrdiff_t>(offset + length));
}

}  // namespace trv81k::test
