// From the values a user enters to the settings a configure request carries: the page checks
// in their order, with every refused value named, and the conversion done once.

#include <gtest/gtest.h>

#include "../protocol/test_support.h"
#include "core/entered_settings.h"

namespace trv81k {
namespace {

using test::makeDevice;

EnteredSettings StaticWpa2() {
    EnteredSettings e;
    e.bStaticIP = true;
    e.newIPText = "192.168.001.020";  // leading zeros are read as the page reads them
    e.newNetmaskText = "255.255.255.0";
    e.newGatewayText = "192.168.1.1";
    e.newDeviceName = "Hall";
    e.newPassword = "secret1";
    e.bWirelessEditable = true;
    e.newSSID = "Home";
    e.newChannel = 11;
    e.newSecurityMode = kSecurityWpa2Aes;
    e.newPSK = "passw0rd";
    e.newNetMode = 2;
    return e;
}

ConfigureSettings Built(const EnteredSettings& entered, const DeviceInfo& device = makeDevice(1)) {
    auto built = BuildConfigureSettings(entered, device);
    if (auto* refusals = std::get_if<std::vector<SettingRefusal>>(&built)) {
        ADD_FAILURE() << "refused: " << refusals->front().messageKey << refusals->front().detail;
        return {};
    }
    return std::get<ConfigureSettings>(built);
}

std::vector<SettingRefusal> Refused(const EnteredSettings& entered) {
    auto built = BuildConfigureSettings(entered, makeDevice(1));
    if (!std::holds_alternative<std::vector<SettingRefusal>>(built)) {
        ADD_FAILURE() << "not refused";
        return {};
    }
    return std::get<std::vector<SettingRefusal>>(built);
}

TEST(BuildConfigureSettings, TypedValuesBecomeWhatTheRequestCarries) {
    const DeviceInfo device = makeDevice(1, "AP", 2);
    ConfigureSettings expected;
    expected.mac = device.macAddress;
    expected.ipMode = 1;
    expected.ipAddress = {192, 168, 1, 20};
    expected.subnetMask = {255, 255, 255, 0};
    expected.gateway = {192, 168, 1, 1};
    expected.deviceName = "Hall";
    expected.password = "secret1";
    expected.wirelessEditable = 1;
    expected.auxName = "aux-name";  // returned as the device sent them
    expected.auxAttr = 0x5A;
    expected.auxKeyCode = 2;
    expected.ssid = "Home";
    expected.channel = 11;
    expected.securityMode = kSecurityWpa2Aes;
    expected.key = "passw0rd";
    expected.networkMode = 2;
    EXPECT_EQ(Built(StaticWpa2(), device), expected);

    // DHCP: no addresses, whatever the fields held.
    EnteredSettings dhcp = StaticWpa2();
    dhcp.bStaticIP = false;
    dhcp.newIPText = "garbage";
    const ConfigureSettings d = Built(dhcp);
    EXPECT_EQ(d.ipMode, 0);
    EXPECT_EQ(d.ipAddress, (Ipv4Address{}));
    EXPECT_EQ(d.gateway, (Ipv4Address{}));
    // An empty gateway and 0.0.0.0 are no gateway.
    for (const char* none : {"", "0.0.0.0", "000.0.00.0"}) {
        EnteredSettings e = StaticWpa2();
        e.newGatewayText = none;
        EXPECT_EQ(Built(e).gateway, (Ipv4Address{})) << none;
    }
    // The key that goes with the code: the WEP key for 1 and 2, the pre-shared key otherwise.
    EnteredSettings wep = StaticWpa2();
    wep.newSecurityMode = kSecurityWep64;
    wep.newWepKey = "0123456789";
    EXPECT_EQ(Built(wep).key, "0123456789");
    wep.newSecurityMode = kSecurityDisabled;
    EXPECT_EQ(Built(wep).key, "");
}

TEST(BuildConfigureSettings, PairingKeepsTheWirelessSettingsAndSendsCodeZero) {
    EnteredSettings e = StaticWpa2();
    e.bWirelessEditable = false;
    e.newSecurityMode = kSecurityPairing;
    e.newSSID = "";  // not written, so not checked
    e.newChannel = 14;
    const ConfigureSettings s = Built(e);
    EXPECT_EQ(s.wirelessEditable, 0);
    EXPECT_EQ(s.securityMode, kSecurityDisabled);
    EXPECT_EQ(s.key, "");
}

TEST(BuildConfigureSettings, EveryRefusedValueIsNamedInPageOrder) {
    // The password is checked first and alone.
    EnteredSettings e = StaticWpa2();
    e.newPassword = "abc";
    e.newIPText = "bad";
    auto refusals = Refused(e);
    ASSERT_EQ(refusals.size(), 1u);
    EXPECT_EQ(refusals[0].field, SettingField::DevicePassword);
    EXPECT_EQ(refusals[0].messageKey, "INVALID_PASSWORD");

    // Then each of the three addresses, and the wireless pages after them.
    e = StaticWpa2();
    e.newIPText = "10.0.0.255";
    e.newNetmaskText = "255.0.0.1";
    e.newGatewayText = "10.0.0.x";
    e.newSSID = "";
    refusals = Refused(e);
    ASSERT_EQ(refusals.size(), 4u);
    EXPECT_EQ(refusals[0].field, SettingField::IpAddress);
    EXPECT_EQ(refusals[1].field, SettingField::Netmask);
    EXPECT_EQ(refusals[2].field, SettingField::Gateway);
    EXPECT_FALSE(refusals[2].resetField);  // a letter: the typed text stays
    EXPECT_TRUE(refusals[0].resetField);
    EXPECT_EQ(refusals[3].messageKey, "SSID_ERROR");

    struct Case {
        void (*change)(EnteredSettings&);
        SettingField field;
        std::string_view messageKey;
    };
    for (const Case& c : std::initializer_list<Case>{
             {[](EnteredSettings& s) { s.newDeviceName = std::string(33, 'n'); },
              SettingField::DeviceName, ""},
             {[](EnteredSettings& s) { s.newChannel = 0; }, SettingField::Channel, ""},
             {[](EnteredSettings& s) { s.newNetMode = 3; }, SettingField::NetworkMode, ""},
             {[](EnteredSettings& s) { s.newSecurityMode = kSecurityRadius; },
              SettingField::Security, ""},
             {[](EnteredSettings& s) { s.newPSK = "short"; }, SettingField::PreSharedKey,
              "INVALID_PSK_LENGTH"},
             {[](EnteredSettings& s) {
                  s.newSecurityMode = kSecurityWep128;
                  s.newWepKey = "0123456789";
              },
              SettingField::WepKey, "KEY128_ERROR"}}) {
        EnteredSettings changed = StaticWpa2();
        c.change(changed);
        refusals = Refused(changed);
        ASSERT_EQ(refusals.size(), 1u);
        EXPECT_EQ(refusals[0].field, c.field);
        EXPECT_EQ(refusals[0].messageKey, c.messageKey);
        EXPECT_EQ(refusals[0].messageKey.empty(), !refusals[0].detail.empty());
    }
}

TEST(EnteredSettings, LoginTakesTheDeviceSettingsOver) {
    DeviceInfo device = makeDevice(4);
    device.ipMode = 0;
    EnteredSettings s;
    s.loadFromDevice(device);
    EXPECT_FALSE(s.bStaticIP);
    EXPECT_EQ(s.newIPText, "192.168.1.14");
    EXPECT_EQ(s.newNetmaskText, "255.255.255.0");
    EXPECT_EQ(s.newGatewayText, "192.168.1.1");
    EXPECT_EQ(s.newSecurityMode, 9);
    EXPECT_EQ(s.newSSID, "Office & Lab");
    EXPECT_EQ(s.newDeviceName, "AP4");
    EXPECT_EQ(s.newChannel, 6);
    EXPECT_EQ(s.newNetMode, 1);
    EXPECT_EQ(s.newPassword, "admin");
}

}  // namespace
}  // namespace trv81k
