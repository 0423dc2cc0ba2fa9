#include "core/entered_settings.h"

namespace trv81k {
namespace {

SettingRefusal FromCheck(const FieldCheck& check) {
    return SettingRefusal{check.field, check.messageKey, {}, false};
}

SettingRefusal FromCheck(const AddressCheck& check) {
    return SettingRefusal{check.field, check.messageKey, {}, check.resetField};
}

SettingRefusal Detail(SettingField field, std::string_view detail) {
    return SettingRefusal{field, {}, detail, false};
}

bool IsWep(int securityMode) {
    return securityMode == kSecurityWep64 || securityMode == kSecurityWep128;
}

}  // namespace

void EnteredSettings::loadFromDevice(const DeviceInfo& device) {
    bStaticIP = device.ipMode != 0;
    newIPText = FormatIPv4(device.ipAddress);
    newNetmaskText = FormatIPv4(device.subnetMask);
    newGatewayText = FormatIPv4(device.gateway);
    newSecurityMode = device.securityMode;
    newSSID = device.ssidText();
    newDeviceName = device.deviceNameText();
    newChannel = device.channel;
    newNetMode = device.networkMode;
    newPassword = device.devicePasswordText();
}

std::vector<SettingRefusal> CheckBasicSettings(const EnteredSettings& entered) {
    std::vector<SettingRefusal> refusals;
    if (const FieldCheck check = CheckDevicePassword(entered.newPassword); !check.ok) {
        refusals.push_back(FromCheck(check));
        return refusals;
    }
    if (entered.newDeviceName.size() > kMaxTextLength) {
        refusals.push_back(
            Detail(SettingField::DeviceName, "the device name may be at most 32 characters long"));
        return refusals;
    }
    if (const FieldCheck check = CheckDeviceName(entered.newDeviceName); !check.ok) {
        refusals.push_back(FromCheck(check));
        return refusals;
    }
    if (!entered.bStaticIP) {
        return refusals;
    }
    // Each address is checked, so every refused one is named.
    for (const AddressCheck& check :
         {ValidateIPText(entered.newIPText), ValidateNetmaskText(entered.newNetmaskText)}) {
        if (!check.ok()) {
            refusals.push_back(FromCheck(check));
        }
    }
    if (!entered.newGatewayText.empty()) {
        if (const AddressCheck check = ValidateGatewayText(entered.newGatewayText); !check.ok()) {
            refusals.push_back(FromCheck(check));
        }
    }
    return refusals;
}

std::optional<SettingRefusal> CheckWirelessSettings(const EnteredSettings& entered) {
    if (const FieldCheck check = CheckSSID(entered.newSSID); !check.ok) {
        return FromCheck(check);
    }
    if (entered.newChannel < kFirstChannel || entered.newChannel > kLastChannel) {
        return Detail(SettingField::Channel, "the channel must be 1 to 13");
    }
    if (entered.newNetMode >= kNetModeCount) {
        return Detail(SettingField::NetworkMode,
                      "the network mode must be mixed, G-only or B-only");
    }
    return std::nullopt;
}

bool SecurityWritable(int securityMode) {
    switch (securityMode) {
        case kSecurityDisabled:
        case kSecurityWep64:
        case kSecurityWep128:
        case kSecurityWpaTkip:
        case kSecurityWpaAes:
        case kSecurityWpa2Tkip:
        case kSecurityWpa2Aes:
        case kSecurityWpa2Mixed:
        case kSecurityPairing:
            return true;
        default:
            return false;
    }
}

std::optional<SettingRefusal> CheckSecurity(const EnteredSettings& entered) {
    if (!SecurityWritable(entered.newSecurityMode)) {
        return Detail(SettingField::Security,
                      "cannot be written: its server settings do not travel in the configure "
                      "request");
    }
    const FieldCheck check = CheckKeysForMode(entered.newSecurityMode, entered.newPassphrase,
                                              entered.newWepKey, entered.newPSK);
    if (!check.ok) {
        return FromCheck(check);
    }
    return std::nullopt;
}

std::variant<ConfigureSettings, std::vector<SettingRefusal>> BuildConfigureSettings(
    const EnteredSettings& entered, const DeviceInfo& device) {
    std::vector<SettingRefusal> refusals = CheckBasicSettings(entered);
    if (entered.bWirelessEditable) {
        for (const auto& refusal : {CheckWirelessSettings(entered), CheckSecurity(entered)}) {
            if (refusal) {
                refusals.push_back(*refusal);
            }
        }
    }
    if (!refusals.empty()) {
        return refusals;
    }

    ConfigureSettings settings;
    settings.mac = device.macAddress;
    settings.ipMode = entered.bStaticIP ? 1 : 0;
    if (entered.bStaticIP) {
        // Checked above, so each converts; an empty gateway and 0.0.0.0 are no gateway.
        settings.ipAddress =
            AddressBytes(AddressField::IP, entered.newIPText).value_or(Ipv4Address{});
        settings.subnetMask =
            AddressBytes(AddressField::Netmask, entered.newNetmaskText).value_or(Ipv4Address{});
        settings.gateway =
            AddressBytes(AddressField::Gateway, entered.newGatewayText).value_or(Ipv4Address{});
    }
    settings.deviceName = entered.newDeviceName;
    settings.password = entered.newPassword;
    settings.wirelessEditable = entered.bWirelessEditable ? 1 : 0;
    const std::size_t auxLength = std::min<std::size_t>(device.auxNameLength, kMaxTextLength);
    settings.auxName.assign(device.auxName.begin(),
                            device.auxName.begin() + static_cast<std::ptrdiff_t>(auxLength));
    settings.auxAttr = device.auxAttr;
    settings.auxKeyCode = device.auxKeyCode;
    settings.ssid = entered.newSSID;
    settings.channel = static_cast<std::uint8_t>(entered.newChannel & 0xFF);
    // The pairing's code is a display code: it travels as 0, and with bWirelessEditable 0 the
    // device keeps its wireless security.
    const int code =
        entered.newSecurityMode == kSecurityPairing ? kSecurityDisabled : entered.newSecurityMode;
    settings.securityMode = static_cast<std::uint8_t>(code & 0xFF);
    if (keyBytesFor(code) > 0) {
        settings.key = IsWep(code) ? entered.newWepKey : entered.newPSK;
    }
    settings.networkMode = entered.newNetMode;
    return settings;
}

}  // namespace trv81k
