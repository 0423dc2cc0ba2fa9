// The configure options: their checks, the settings built from them and a device, the
// wireless-key safety refusals and the comparison behind --verify.
#include <gtest/gtest.h>

#include <functional>

#include "cli/options.h"
#include "test_support.h"

namespace trv81k::cli {
namespace {

using test::sampleDevice;

ConfigureOptions baseOptions() {
    ConfigureOptions o;
    o.device = "00-11-22-33-44-55";
    return o;
}

ConfigurePlan planOf(const ConfigureOptions& options) {
    auto checked = CheckConfigureOptions(options);
    if (auto* refusal = std::get_if<Refusal>(&checked)) {
        ADD_FAILURE() << "refused: " << refusal->line(Messages());
        return {};
    }
    return std::get<ConfigurePlan>(checked);
}

// ---- Checks of the given values -------------------------------------------------------------

struct OptionRefusal {
    const char* what;
    std::function<void(ConfigureOptions&)> set;
    const char* key;       // Language.ini key, or "" when the detail tells
    const char* fragment;  // part of the message line
};

class OptionRefusals : public ::testing::TestWithParam<OptionRefusal> {};

TEST_P(OptionRefusals, RefusedWithItsMessageAndExitTwo) {
    const OptionRefusal& row = GetParam();
    ConfigureOptions options = baseOptions();
    row.set(options);
    auto checked = CheckConfigureOptions(options);
    ASSERT_TRUE(std::holds_alternative<Refusal>(checked)) << row.what;
    const Refusal& refusal = std::get<Refusal>(checked);
    EXPECT_EQ(refusal.exitCode, kExitUsage);
    EXPECT_EQ(refusal.messageKey, row.key);
    const std::string line = refusal.line(Messages());
    EXPECT_NE(line.find(row.fragment), std::string::npos) << line;
    EXPECT_EQ(line.rfind("trv81k-cli: ", 0), 0u) << line;
}

const std::string k64Hex(64, 'a');

INSTANTIATE_TEST_SUITE_P(
    Table, OptionRefusals,
    ::testing::Values(
        OptionRefusal{"mac", [](auto& o) { o.device = "00-11-22"; }, "", "--device 00-11-22"},
        OptionRefusal{"ip",
                      [](auto& o) {
                          o.staticIp = true;
                          o.ip = "10.0.0.255";
                      },
                      "INVALID_IP", "--ip 10.0.0.255: The IP address is not valid."},
        OptionRefusal{"ip three dots",
                      [](auto& o) {
                          o.staticIp = true;
                          o.ip = "10.0.0";
                      },
                      "INVALID_IP", "--ip 10.0.0"},
        OptionRefusal{"netmask",
                      [](auto& o) {
                          o.staticIp = true;
                          o.netmask = "255.255.255.1";
                      },
                      "INVALID_NETMASK", "--netmask 255.255.255.1"},
        OptionRefusal{"gateway",
                      [](auto& o) {
                          o.staticIp = true;
                          o.gateway = "192.168.1.0";
                      },
                      "INVALID_Gateway", "--gateway 192.168.1.0"},
        OptionRefusal{"ip without static", [](auto& o) { o.ip = "10.0.0.5"; }, "",
                      "--ip: needs --static"},
        OptionRefusal{"dhcp and static",
                      [](auto& o) {
                          o.dhcp = true;
                          o.staticIp = true;
                      },
                      "", "cannot go with --static"},
        OptionRefusal{"name too long", [](auto& o) { o.name = std::string(33, 'n'); }, "",
                      "at most 32"},
        OptionRefusal{"name outside Latin-1", [](auto& o) { o.name = "AP \xE2\x82\xAC"; }, "",
                      "Latin-1"},
        OptionRefusal{"password short", [](auto& o) { o.newPassword = "abc"; }, "INVALID_PASSWORD",
                      "--new-password: "},
        OptionRefusal{"password long", [](auto& o) { o.newPassword = std::string(17, 'p'); },
                      "INVALID_PASSWORD", "4 to 16"},
        OptionRefusal{"ssid empty", [](auto& o) { o.ssid = ""; }, "SSID_ERROR", "--ssid \"\""},
        OptionRefusal{"ssid long", [](auto& o) { o.ssid = std::string(33, 's'); }, "SSID_ERROR",
                      "SSID"},
        OptionRefusal{"channel 0", [](auto& o) { o.channel = 0; }, "", "--channel 0"},
        OptionRefusal{"channel 14", [](auto& o) { o.channel = 14; }, "", "1 to 13"},
        OptionRefusal{"security name", [](auto& o) { o.security = "wpa3"; }, "", "--security wpa3"},
        OptionRefusal{"wep64 key length",
                      [](auto& o) {
                          o.security = "wep64";
                          o.key = "123456789";
                      },
                      "KEY64_ERROR", "exactly 10"},
        OptionRefusal{"wep64 key hex",
                      [](auto& o) {
                          o.security = "wep64";
                          o.key = "123456789G";
                      },
                      "KEY64_HEX_ERROR", "--key: "},
        OptionRefusal{"wep128 key length",
                      [](auto& o) {
                          o.security = "wep128";
                          o.key = std::string(25, '1');
                      },
                      "KEY128_ERROR", "exactly 26"},
        OptionRefusal{"wep passphrase long",
                      [](auto& o) {
                          o.security = "wep64";
                          o.passphrase = std::string(17, 'x');
                      },
                      "INVALID_PASSPHRASE", "--passphrase: "},
        OptionRefusal{"wep passphrase empty",
                      [](auto& o) {
                          o.security = "wep128";
                          o.passphrase = "";
                      },
                      "", "must not be empty"},
        OptionRefusal{"psk short",
                      [](auto& o) {
                          o.security = "wpa2";
                          o.passphrase = "seven77";
                      },
                      "INVALID_PSK_LENGTH", "8 to 64"},
        OptionRefusal{"psk 64 not hex",
                      [](auto& o) {
                          o.security = "wpa-aes";
                          o.key = std::string(63, 'a') + "g";
                      },
                      "INVALID_PSK_KEY", "--key: "},
        OptionRefusal{"wpa without key", [](auto& o) { o.security = "wpa2-mixed"; }, "",
                      "--security wpa2-mixed: needs a key"},
        OptionRefusal{"key with disabled",
                      [](auto& o) {
                          o.security = "disabled";
                          o.key = "0123456789";
                      },
                      "", "uses no key"},
        OptionRefusal{"key and passphrase",
                      [](auto& o) {
                          o.key = "0123456789";
                          o.passphrase = "abc";
                      },
                      "", "cannot go with --passphrase"},
        OptionRefusal{"pairing with ssid",
                      [](auto& o) {
                          o.pairing = true;
                          o.ssid = "Net";
                      },
                      "", "--pairing: cannot go with"},
        OptionRefusal{"secret not shown", [](auto& o) { o.newPassword = "pa\xE2\x82\xAC"; }, "",
                      "--new-password: has a character"}));

TEST(ConfigureOptions, AcceptsTheWizardsBoundaryValues) {
    ConfigureOptions o = baseOptions();
    o.staticIp = true;
    o.ip = "192.168.001.010";
    o.netmask = "255.0.255.0";  // octets one by one, as the wizard checks them
    o.gateway = "";
    o.name = std::string(32, 'n');
    o.newPassword = "four";
    o.ssid =
        "Gr\xC3\xBC\xC3\x9F"
        "e";  // UTF-8 "Grüße"
    o.channel = 13;
    o.netMode = "b-only";
    o.security = "wep64";
    o.passphrase = std::string(16, 'p');
    const ConfigurePlan plan = planOf(o);
    EXPECT_EQ(plan.mac, (MacAddress{0x00, 0x11, 0x22, 0x33, 0x44, 0x55}));
    EXPECT_EQ(plan.ip, IpChoice::Static);
    EXPECT_EQ(plan.ssid, std::string("Gr\xFC\xDF"
                                     "e"));  // Latin-1, as the device stores it
    EXPECT_EQ(plan.netMode, 2);
    EXPECT_EQ(plan.security, kSecurityWep64);
    EXPECT_TRUE(plan.wirelessOptions());

    ConfigureOptions none = baseOptions();
    none.device = "00:11:22:33:44:55";
    none.staticIp = true;
    none.gateway = "000.0.0.0";
    none.newPassword = std::string(16, 'p');
    EXPECT_FALSE(planOf(none).wirelessOptions());
}

// ---- The settings built from options and device ---------------------------------------------

struct SecurityRow {
    const char* security;
    std::optional<std::string> key;
    std::optional<std::string> passphrase;
    int code;
    std::string keyOnTheWire;  // computed with python3 for the derived WEP keys
};

class SecurityChoices : public ::testing::TestWithParam<SecurityRow> {};

TEST_P(SecurityChoices, ReachTheConfigureRequestWithTheirKey) {
    const SecurityRow& row = GetParam();
    ConfigureOptions o = baseOptions();
    o.security = row.security;
    o.key = row.key;
    o.passphrase = row.passphrase;
    auto built = BuildWizardState(planOf(o), sampleDevice(), WirelessPath::Manual, "admin");
    ASSERT_TRUE(std::holds_alternative<WizardState>(built)) << std::get<Refusal>(built).detail;
    const WizardState& w = std::get<WizardState>(built);
    EXPECT_TRUE(w.bWirelessEditable);
    EXPECT_EQ(w.newSecurityMode, row.code);

    const auto plain = buildConfigureRequest(w.currentDevice.macAddress, w);
    ASSERT_TRUE(plain);
    const auto request = parseConfigureRequest(*plain);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->securityMode, row.code);
    EXPECT_EQ(request->key, row.keyOnTheWire);
    EXPECT_EQ(request->wirelessEditable, 1);
    // What the options left out is the device's.
    EXPECT_EQ(request->ssid, "TRV81K");
    EXPECT_EQ(request->channel, 6);
    EXPECT_EQ(request->deviceName, "Office AP");
    EXPECT_EQ(request->password, "admin");
    EXPECT_EQ(request->ipAddress, (Ipv4Bytes{192, 168, 1, 254}));
}

INSTANTIATE_TEST_SUITE_P(
    Table, SecurityChoices,
    ::testing::Values(
        SecurityRow{"disabled", std::nullopt, std::nullopt, 0, ""},
        SecurityRow{"wep64", std::nullopt, "abc", 1, "41192B542A"},
        SecurityRow{"wep64", "0123456789", std::nullopt, 1, "0123456789"},
        SecurityRow{"wep128", std::nullopt, "trv81k", 2, "821E25AC3C100470AC236AB101"},
        SecurityRow{"wep128", std::nullopt,
                    "Gr\xC3\xBC\xC3\x9F"
                    "e",
                    2, "B7BF42D910A3EC1EDF23AD8ADA"},
        SecurityRow{"wpa-tkip", std::nullopt, "secret passphrase", 3, "secret passphrase"},
        SecurityRow{"wpa-aes", std::string(64, 'F'), std::nullopt, 4, std::string(64, 'F')},
        SecurityRow{"wpa2", std::nullopt, "eight888", 9, "eight888"},
        SecurityRow{"wpa2-mixed", "mixed key 1", std::nullopt, 10, "mixed key 1"}));

WizardState built(const ConfigureOptions& o, const DeviceInfo& device, WirelessPath path) {
    auto result = BuildWizardState(planOf(o), device, path, "admin");
    if (auto* refusal = std::get_if<Refusal>(&result)) {
        ADD_FAILURE() << refusal->line(Messages());
        return {};
    }
    return std::get<WizardState>(result);
}

Refusal refused(const ConfigureOptions& o, const DeviceInfo& device, WirelessPath path) {
    auto result = BuildWizardState(planOf(o), device, path, "admin");
    if (!std::holds_alternative<Refusal>(result)) {
        ADD_FAILURE() << "not refused";
        return {};
    }
    return std::get<Refusal>(result);
}

TEST(WizardStateFromOptions, AddressingAsTheBasicSettingsPageLeavesIt) {
    ConfigureOptions o = baseOptions();
    o.staticIp = true;
    o.ip = "10.0.0.5";
    o.netmask = "255.0.0.0";
    o.gateway = "";
    o.name = "Lab";
    o.newPassword = "secret";
    WizardState w = built(o, sampleDevice(), WirelessPath::Pairing);
    auto request = parseConfigureRequest(*buildConfigureRequest(sampleDevice().macAddress, w));
    EXPECT_EQ(request->ipMode, 1);
    EXPECT_EQ(request->ipAddress, (Ipv4Bytes{10, 0, 0, 5}));
    EXPECT_EQ(request->subnetMask, (Ipv4Bytes{255, 0, 0, 0}));
    EXPECT_EQ(request->gateway, (Ipv4Bytes{}));  // "" means no gateway
    EXPECT_EQ(request->deviceName, "Lab");
    EXPECT_EQ(request->password, "secret");

    ConfigureOptions dhcp = baseOptions();
    dhcp.dhcp = true;
    DeviceInfo broken = sampleDevice();
    broken.ipAddress = {10, 0, 0, 255};  // not checked in DHCP mode
    w = built(dhcp, broken, WirelessPath::Pairing);
    request = parseConfigureRequest(*buildConfigureRequest(broken.macAddress, w));
    EXPECT_EQ(request->ipMode, 0);
    EXPECT_EQ(request->ipAddress, (Ipv4Bytes{}));
}

TEST(WizardStateFromOptions, DeviceValuesTheWizardWouldRefuseAreNotWrittenBack) {
    DeviceInfo device = sampleDevice();
    device.ipAddress = {10, 0, 0, 255};
    Refusal r = refused(baseOptions(), device, WirelessPath::Pairing);
    EXPECT_EQ(r.messageKey, "INVALID_IP");
    EXPECT_EQ(r.subject, "the device's current address 10.0.0.255");
    EXPECT_NE(r.hint.find("--dhcp"), std::string::npos);

    // A DHCP device switched to static keeps its announced address: it must pass.
    device = sampleDevice();
    device.ipMode = 0;
    device.ipAddress = {};
    ConfigureOptions toStatic = baseOptions();
    toStatic.staticIp = true;
    EXPECT_EQ(refused(toStatic, device, WirelessPath::Pairing).messageKey, "INVALID_IP");

    device = sampleDevice();
    device.gateway = {192, 168, 1, 255};
    EXPECT_EQ(refused(baseOptions(), device, WirelessPath::Pairing).messageKey, "INVALID_Gateway");

    device = sampleDevice();
    device.devicePassword = {'a', 'b', 'c'};
    r = refused(baseOptions(), device, WirelessPath::Pairing);
    EXPECT_EQ(r.messageKey, "INVALID_PASSWORD");
    ConfigureOptions withPassword = baseOptions();
    withPassword.newPassword = "abcd";
    EXPECT_EQ(built(withPassword, device, WirelessPath::Pairing).newPassword, "abcd");

    ConfigureOptions manual = baseOptions();
    manual.ssid = "Net";
    device = sampleDevice();
    device.channel = 0;  // the wizard's list opens on channel 6
    EXPECT_EQ(built(manual, device, WirelessPath::Manual).newChannel, 6);
    device.channel = 14;
    EXPECT_NE(refused(manual, device, WirelessPath::Manual).hint.find("--channel"),
              std::string::npos);
}

TEST(WizardStateFromOptions, PairingPathSendsCodeZeroAndKeepsTheWirelessSettings) {
    DeviceInfo device = sampleDevice();
    device.securityMode = kSecurityWpa2Aes;
    ConfigureOptions o = baseOptions();
    o.pairing = true;
    const WizardState w = built(o, device, WirelessPath::Pairing);
    EXPECT_FALSE(w.bWirelessEditable);
    const auto request = parseConfigureRequest(*buildConfigureRequest(device.macAddress, w));
    EXPECT_EQ(request->wirelessEditable, 0);
    EXPECT_EQ(request->securityMode, 0);
    EXPECT_EQ(request->key, "");
    EXPECT_EQ(request->ssid, "TRV81K");
}

// ---- Wireless-key safety --------------------------------------------------------------------

struct KeySafetyRow {
    int deviceCode;
    std::function<void(ConfigureOptions&)> set;
    const char* fragment;  // empty: the configuration is allowed
};

class KeySafety : public ::testing::TestWithParam<KeySafetyRow> {};

TEST_P(KeySafety, ManualWirelessNeverDropsTheKey) {
    const KeySafetyRow& row = GetParam();
    DeviceInfo device = sampleDevice();
    device.securityMode = static_cast<std::uint8_t>(row.deviceCode);
    ConfigureOptions o = baseOptions();
    row.set(o);
    auto result = BuildWizardState(planOf(o), device, WirelessPath::Manual, "admin");
    if (std::string_view(row.fragment).empty()) {
        ASSERT_TRUE(std::holds_alternative<WizardState>(result))
            << std::get<Refusal>(result).line(Messages());
        const WizardState& w = std::get<WizardState>(result);
        const auto request = parseConfigureRequest(*buildConfigureRequest(device.macAddress, w));
        // A key-carrying code always travels with a key.
        EXPECT_TRUE(!SecurityNeedsKey(request->securityMode) || !request->key.empty());
        return;
    }
    ASSERT_TRUE(std::holds_alternative<Refusal>(result));
    const Refusal& refusal = std::get<Refusal>(result);
    EXPECT_EQ(refusal.exitCode, kExitUsage);
    const std::string line = refusal.line(Messages());
    EXPECT_NE(line.find(row.fragment), std::string::npos) << line;
}

INSTANTIATE_TEST_SUITE_P(
    Table, KeySafety,
    ::testing::Values(
        KeySafetyRow{1, [](auto& o) { o.ssid = "Net"; }, "current security WEP (64-Bit)"},
        KeySafetyRow{2, [](auto& o) { o.channel = 3; }, "give --key K or --passphrase P"},
        KeySafetyRow{3, [](auto& o) { o.netMode = "g-only"; }, "WPA-Personal(TKIP)"},
        KeySafetyRow{8, [](auto& o) { o.ssid = "Net"; }, "its key is not known"},
        KeySafetyRow{9, [](auto& o) { o.ssid = "Net"; }, "WPA2-Personal(AES)"},
        KeySafetyRow{10, [](auto& o) { o.ssid = "Net"; }, "WPA2 Mixed"},
        KeySafetyRow{5, [](auto& o) { o.ssid = "Net"; }, "cannot be written back"},
        KeySafetyRow{6, [](auto& o) { o.ssid = "Net"; }, "cannot be written back"},
        KeySafetyRow{7, [](auto& o) { o.key = "0123456789"; }, "RADIUS: cannot be written back"},
        KeySafetyRow{0, [](auto& o) { o.key = "0123456789"; }, "uses no key"},
        // Allowed: the key comes along, or the security is chosen anew.
        KeySafetyRow{1, [](auto& o) { o.key = "abcdef0123"; }, ""},
        KeySafetyRow{9, [](auto& o) { o.passphrase = "a new passphrase"; }, ""},
        KeySafetyRow{7,
                     [](auto& o) {
                         o.security = "wpa2";
                         o.passphrase = "eight888";
                     },
                     ""},
        KeySafetyRow{9, [](auto& o) { o.security = "disabled"; }, ""},
        KeySafetyRow{0, [](auto& o) { o.ssid = "Open"; }, ""}));

TEST(WirelessPath, OptionsOrThePairingCheckDecide) {
    ConfigureOptions o = baseOptions();
    EXPECT_FALSE(WirelessFromOptions(planOf(o)));
    o.pairing = true;
    EXPECT_EQ(WirelessFromOptions(planOf(o)), WirelessPath::Pairing);
    o.pairing = false;
    o.channel = 11;
    EXPECT_EQ(WirelessFromOptions(planOf(o)), WirelessPath::Manual);

    const MacAddress mac{0, 0x11, 0x22, 0x33, 0x44, 0x55};
    EXPECT_EQ(std::get<WirelessPath>(WirelessFromCheck(PairingCheck::PairingManaged, mac)),
              WirelessPath::Pairing);
    EXPECT_EQ(std::get<WirelessPath>(WirelessFromCheck(PairingCheck::NoAnswer, mac)),
              WirelessPath::Pairing);
    const auto refused = WirelessFromCheck(PairingCheck::NotManaged, mac);
    ASSERT_TRUE(std::holds_alternative<Refusal>(refused));
    const std::string line = std::get<Refusal>(refused).line(Messages());
    EXPECT_EQ(line.rfind("trv81k-cli: device 00-11-22-33-44-55: the device's wireless settings "
                         "are not under pairing control (give --ssid",
                         0),
              0u)
        << line;
    EXPECT_NE(line.find("or --pairing"), std::string::npos);
}

// ---- --verify -------------------------------------------------------------------------------

TEST(CompareAnnounced, ReportsEachDifferenceOnceAndNeverThePassword) {
    ConfigureOptions o = baseOptions();
    o.staticIp = true;
    o.ip = "10.0.0.5";
    o.netmask = "255.0.0.0";
    o.gateway = "0.0.0.0";
    o.ssid =
        "Gr\xC3\xBC\xC3\x9F"
        "e";
    o.newPassword = "hidden-pw";
    const WizardState w = built(o, sampleDevice(), WirelessPath::Manual);

    DeviceInfo now = sampleDevice();
    now.ipAddress = {10, 0, 0, 5};
    now.subnetMask = {255, 0, 0, 0};
    now.gateway = {};
    test::putText(now.ssid, &now.ssidLength,
                  "Gr\xFC\xDF"
                  "e");
    now.devicePassword = {'h', 'i', 'd', 'd', 'e', 'n', '-', 'p', 'w'};
    EXPECT_TRUE(CompareAnnounced(w, now).empty());

    now.ipAddress = {10, 0, 0, 6};
    now.channel = 1;
    now.devicePassword = {'o', 'l', 'd'};
    const auto differences = CompareAnnounced(w, now);
    ASSERT_EQ(differences.size(), 3u);
    EXPECT_EQ(differences[0], "IP: announced 10.0.0.6, written 10.0.0.5");
    EXPECT_EQ(differences[1], "channel: announced 1, written 6");
    EXPECT_EQ(differences[2].find("hidden"), std::string::npos);

    // On the pairing path the wireless settings were not written: not compared.
    ConfigureOptions pairing = baseOptions();
    pairing.pairing = true;
    const WizardState p = built(pairing, sampleDevice(), WirelessPath::Pairing);
    DeviceInfo paired = sampleDevice();
    paired.securityMode = kSecurityWpa2Aes;
    test::putText(paired.ssid, &paired.ssidLength, "PairedNet");
    EXPECT_TRUE(CompareAnnounced(p, paired).empty());
}

}  // namespace
}  // namespace trv81k::cli
