#include "emulator/device.h"

#include <algorithm>

namespace trv81k::emulator {
namespace {

// Copies up to `capacity` bytes of the text into the field and returns the length stored.
template <std::size_t N>
std::uint8_t copyText(const std::string& text, std::array<std::uint8_t, N>& field,
                      std::size_t capacity) {
    const std::size_t length = std::min({text.size(), capacity, N});
    for (std::size_t i = 0; i < length; ++i) {
        field[i] = static_cast<std::uint8_t>(text[i]);
    }
    return static_cast<std::uint8_t>(length);
}

}  // namespace

DeviceInfo describe(const EmulatedDevice& device) {
    const DeviceSettings& s = device.settings;
    DeviceInfo info;
    info.ipMode = s.ipMode;
    info.ipAddress = s.ip;
    info.subnetMask = s.netmask;
    info.gateway = s.gateway;
    info.macAddress = device.mac;
    info.ssidLength = copyText(s.ssid, info.ssid, kMaxTextLength);
    info.channel = s.channel;
    info.securityMode = s.security;
    info.deviceId = device.deviceId;
    info.auxNameLength = copyText(device.auxName, info.auxName, kMaxTextLength);
    info.auxAttr = device.auxAttr;
    info.auxKeyCode = device.auxKeyCode;
    info.deviceNameLength = copyText(s.name, info.deviceName, kMaxTextLength);
    info.auxTextLength = copyText(device.auxText, info.auxText, kMaxAuxTextLength);
    copyText(s.password, info.devicePassword, kMaxPasswordLength);
    copyText(device.firmware, info.firmwareVersion, kMaxFirmwareLength);
    info.deviceToken = device.token;
    info.pairingCapable = 1;
    info.networkMode = s.networkMode;
    return info;
}

std::size_t markerOffset(const EmulatedDevice& device) {
    const DeviceInfo info = describe(device);
    // tag, deviceId, auxName, auxAttr, auxKeyCode, MAC, SSID, channel, security, device name,
    // auxText, firmware, IP mode, address, mask, gateway
    return kTagSize + 6 + 1 + info.auxNameLength + 1 + 1 + 6 + 1 + info.ssidLength + 1 + 1 + 1 +
           info.deviceNameLength + 1 + info.auxTextLength + 5 + 1 + 4 + 4 + 4;
}

PlainMessage searchAnswerFor(const EmulatedDevice& device) {
    // describe() keeps every text inside its field, so the answer always fits.
    PlainMessage plain = buildSearchAnswer(describe(device)).value_or(PlainMessage{});
    if (device.behaviour.noMarker) {
        const std::size_t at = markerOffset(device);
        if (at + kPairingMarker.size() <= plain.size()) {
            std::fill_n(plain.begin() + static_cast<std::ptrdiff_t>(at), kPairingMarker.size(), 0);
        }
    }
    return plain;
}

std::string networkModeName(std::uint8_t mode) {
    switch (mode) {
        case 0:
            return "mixed";
        case 1:
            return "g-only";
        case 2:
            return "b-only";
        default:
            return std::to_string(mode);
    }
}

}  // namespace trv81k::emulator
