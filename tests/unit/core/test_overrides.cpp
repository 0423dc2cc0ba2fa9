// The overrides record: the given values through the wizard's checks (each message naming its
// option), the settings built from the record over a device's current ones, the wireless-key
// safety refusals, the pairing verdict and the comparison behind a verification.
#include <gtest/gtest.h>

#include "core/overrides.h"
#include "sample_device.h"

// The tables name only the options they set; GCC 12 would warn about every other member.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace trv81k {
namespace {

using test::sampleDevice;

// What a front end says of a refusal after its own prefix: "--ip 10.0.0.255: The IP ...".
std::string Said(const Refusal& refusal) {
    return refusal.subject + ": " + refusal.text(EnglishTexts());
}

// The options as given, for device 00-11-22-33-44-55 unless they name another.
ConfigureOptions options(ConfigureOptions o = {}) {
    if (!o.device) {
        o.device = "00-11-22-33-44-55";
    }
    return o;
}

ConfigurePlan planOf(const ConfigureOptions& options) {
    auto checked = CheckConfigureOptions(options);
    if (auto* refusal = std::get_if<Refusal>(&checked)) {
        ADD_FAILURE() << "refused: " << Said(*refusal);
        return {};
    }
    return std::get<ConfigurePlan>(checked);
}

// ---- Checks of the given values -------------------------------------------------------------

struct OptionRefusal {
    const char* what;
    ConfigureOptions given;  // the device is filled in when left empty
    const char* key;         // Language.ini key, or "" when the detail tells
    const char* fragment;    // part of the message line
};

void PrintTo(const OptionRefusal& row, std::ostream* os) {
    *os << row.what;
}

class OptionRefusals : public ::testing::TestWithParam<OptionRefusal> {};

TEST_P(OptionRefusals, RefusedWithItsMessageNamingTheOption) {
    const OptionRefusal& row = GetParam();
    const auto checked = CheckConfigureOptions(options(row.given));
    ASSERT_TRUE(std::holds_alternative<Refusal>(checked)) << row.what;
    const Refusal& refusal = std::get<Refusal>(checked);
    EXPECT_EQ(refusal.outcome, Outcome::Usage);
    EXPECT_EQ(refusal.messageKey, row.key);
    const std::string line = Said(refusal);
    EXPECT_NE(line.find(row.fragment), std::string::npos) << line;
}

INSTANTIATE_TEST_SUITE_P(
    Table, OptionRefusals,
    ::testing::Values(
        OptionRefusal("device name too long", {.device = std::string(33, 'd')}, "",
                      "is neither a hardware address"),
        OptionRefusal("device name empty", {.device = ""}, "", "--device \"\""),
        OptionRefusal("ip", {.staticIp = true, .ip = "10.0.0.255"}, "INVALID_IP",
                      "--ip 10.0.0.255: The IP address is not valid."),
        OptionRefusal("netmask", {.staticIp = true, .netmask = "255.255.255.1"}, "INVALID_NETMASK",
                      "--netmask 255.255.255.1"),
        OptionRefusal("gateway", {.staticIp = true, .gateway = "192.168.1.0"}, "INVALID_Gateway",
                      "--gateway 192.168.1.0"),
        OptionRefusal("name too long", {.name = std::string(33, 'n')}, "", "at most 32"),
        OptionRefusal("name outside Latin-1", {.name = "AP \xE2\x82\xAC"}, "", "Latin-1"),
        OptionRefusal("password short", {.newPassword = "abc"}, "INVALID_PASSWORD",
                      "--new-password: "),
        OptionRefusal("ssid empty", {.ssid = ""}, "SSID_ERROR", "--ssid \"\""),
        OptionRefusal("channel 0", {.channel = 0}, "", "--channel 0"),
        OptionRefusal("channel 14", {.channel = 14}, "", "1 to 13"),
        OptionRefusal("security name", {.security = "wpa3"}, "", "--security \"wpa3\""),
        OptionRefusal("wep64 key length", {.security = "wep64", .key = "123456789"}, "KEY64_ERROR",
                      "exactly 10"),
        OptionRefusal("wep64 key hex", {.security = "wep64", .key = "123456789G"},
                      "KEY64_HEX_ERROR", "--key: "),
        OptionRefusal("wep128 key length", {.security = "wep128", .key = std::string(25, '1')},
                      "KEY128_ERROR", "exactly 26"),
        OptionRefusal("wep passphrase long",
                      {.security = "wep64", .passphrase = std::string(17, 'x')},
                      "INVALID_PASSPHRASE", "--passphrase: "),
        OptionRefusal("wep passphrase empty", {.security = "wep128", .passphrase = ""}, "",
                      "must not be empty"),
        OptionRefusal("psk short", {.security = "wpa2", .passphrase = "seven77"},
                      "INVALID_PSK_LENGTH", "8 to 63"),
        OptionRefusal("psk 64 not hex", {.security = "wpa-aes", .key = std::string(63, 'a') + "g"},
                      "INVALID_PSK_KEY", "--key: "),
        OptionRefusal("wpa without key", {.security = "wpa2-mixed"}, "",
                      "--security wpa2-mixed: needs a key"),
        OptionRefusal("key with disabled", {.security = "disabled", .key = "0123456789"}, "",
                      "uses no key"),
        OptionRefusal("secret not shown", {.newPassword = "pa\xE2\x82\xAC"}, "",
                      "--new-password: has a character"),
        // Values the device would store but nobody means.
        OptionRefusal("name with escapes", {.name = "Hall\x1B]0;x\x07"}, "CONTROL_CHARACTER_ERROR",
                      "--name \"Hall?]0;x?\": "),
        OptionRefusal("name empty", {.name = ""}, "DEVICE_NAME_ERROR", "--name \"\": "),
        OptionRefusal("ssid with a line break", {.ssid = "a\nb"}, "CONTROL_CHARACTER_ERROR",
                      "--ssid \"a?b\""),
        OptionRefusal("password with DEL", {.newPassword = "pass\x7Fword"},
                      "CONTROL_CHARACTER_ERROR", "--new-password: "),
        OptionRefusal("name with blanks", {.name = "Hall "}, "", "begins or ends with a blank"),
        OptionRefusal("ssid with blanks", {.ssid = " Net"}, "", "give --force"),
        OptionRefusal("mask of no one run", {.staticIp = true, .netmask = "255.0.255.0"}, "",
                      "--netmask 255.0.255.0: is no contiguous mask"),
        OptionRefusal("multicast address", {.staticIp = true, .ip = "224.0.0.1"}, "",
                      "--ip 224.0.0.1: is a multicast, loopback or reserved address"),
        OptionRefusal("loopback address", {.staticIp = true, .ip = "127.0.0.1"}, "",
                      "(give --force to write it all the same)"),
        OptionRefusal("a megabyte cut", {.ssid = std::string(1 << 20, 's')}, "SSID_ERROR",
                      "sss...\": ")));

TEST(ConfigureOptions, ForceWritesDoubtfulValuesAndMessagesStayShort) {
    const ConfigurePlan plan = planOf(options({.staticIp = true,
                                               .ip = "224.0.0.1",
                                               .netmask = "255.0.255.0",
                                               .name = " Hall ",
                                               .force = true}));
    EXPECT_EQ(plan.overrides.name, " Hall ");
    EXPECT_EQ(plan.overrides.netmaskText, "255.0.255.0");
    // Control characters and an empty name stay refused, forced or not.
    EXPECT_TRUE(std::holds_alternative<Refusal>(
        CheckConfigureOptions(options({.name = "a\x1B", .force = true}))));
    auto huge = CheckConfigureOptions(options({.ssid = std::string(1 << 20, 's')}));
    EXPECT_LT(Said(std::get<Refusal>(huge)).size(), 200u);
}

TEST(ConfigureOptions, AcceptsTheWizardsBoundaryValues) {
    const ConfigurePlan plan = planOf(options({
        .staticIp = true,
        .ip = "192.168.001.010",
        .netmask = "255.0.255.0",  // octets one by one, as the wizard checks them
        .gateway = "",
        .name = std::string(32, 'n'),
        .newPassword = "four",
        .ssid = "Gr\xC3\xBC\xC3\x9F"
                "e",  // UTF-8 "Grüße"
        .channel = 13,
        .netMode = "b-only",
        .security = "wep64",
        .passphrase = std::string(16, 'p'),
        .force = true,  // the mask's ones are no one run
    }));
    EXPECT_EQ(plan.device.mac, (MacAddress{0x00, 0x11, 0x22, 0x33, 0x44, 0x55}));
    EXPECT_EQ(plan.overrides.ip, IpChoice::Static);
    EXPECT_EQ(plan.overrides.ssid, std::string("Gr\xFC\xDF"
                                               "e"));  // Latin-1, as the device stores it
    EXPECT_EQ(plan.overrides.netMode, 2);
    EXPECT_EQ(plan.overrides.security, kSecurityWep64);
    EXPECT_TRUE(plan.overrides.wirelessOptions());

    EXPECT_FALSE(planOf(options({.device = "00:11:22:33:44:55",
                                 .staticIp = true,
                                 .gateway = "000.0.0.0",
                                 .newPassword = std::string(16, 'p')}))
                     .overrides.wirelessOptions());

    // A device by its name: Latin-1, compared with what the device announces.
    const ConfigurePlan byName = planOf(options({.device = "B\xC3\xBCro 2"}));
    EXPECT_FALSE(byName.device.mac);
    EXPECT_EQ(byName.device.name, "B\xFCro 2");
    EXPECT_EQ(byName.device.text(), "\"B\xC3\xBCro 2\"");
    DeviceInfo device = sampleDevice();
    test::putText(device.deviceName, &device.deviceNameLength, "B\xFCro 2");
    EXPECT_TRUE(byName.device.matches(device));
    test::putText(device.deviceName, &device.deviceNameLength, "B\xFCro 20");
    EXPECT_FALSE(byName.device.matches(device));
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
    const ConfigureOptions o =
        options({.security = row.security, .key = row.key, .passphrase = row.passphrase});
    auto built = BuildSettings(planOf(o).overrides, sampleDevice(), WirelessPath::Manual);
    ASSERT_TRUE(std::holds_alternative<ConfigureSettings>(built))
        << std::get<Refusal>(built).detail;
    const auto plain = buildConfigureRequest(std::get<ConfigureSettings>(built));
    ASSERT_TRUE(plain);
    const auto parsed = parseConfigureRequest(*plain);
    ASSERT_TRUE(parsed);
    const ConfigureSettings& request = *parsed;
    EXPECT_EQ(request.securityMode, row.code);
    EXPECT_EQ(request.key, row.keyOnTheWire);
    EXPECT_EQ(request.wirelessEditable, 1);
    // What the options left out is the device's.
    EXPECT_EQ(request.ssid, "TRV81K");
    EXPECT_EQ(request.channel, 6);
    EXPECT_EQ(request.deviceName, "Office AP");
    EXPECT_EQ(request.password, "admin");
    EXPECT_EQ(request.ipAddress, (Ipv4Address{192, 168, 1, 254}));
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

// The settings as a device reads them from the request.
ConfigureSettings built(const ConfigureOptions& o, const DeviceInfo& device, WirelessPath path) {
    auto result = BuildSettings(planOf(o).overrides, device, path);
    if (auto* refusal = std::get_if<Refusal>(&result)) {
        ADD_FAILURE() << Said(*refusal);
        return {};
    }
    const auto plain = buildConfigureRequest(std::get<ConfigureSettings>(result));
    if (!plain) {
        ADD_FAILURE() << "the request does not build";
        return {};
    }
    return *parseConfigureRequest(*plain);
}

Refusal refused(const ConfigureOptions& o, const DeviceInfo& device, WirelessPath path) {
    auto result = BuildSettings(planOf(o).overrides, device, path);
    if (!std::holds_alternative<Refusal>(result)) {
        ADD_FAILURE() << "not refused";
        return {};
    }
    return std::get<Refusal>(result);
}

TEST(SettingsFromOptions, AddressingAsTheBasicSettingsPageLeavesIt) {
    const ConfigureOptions o = options({.staticIp = true,
                                        .ip = "10.0.0.5",
                                        .netmask = "255.0.0.0",
                                        .gateway = "",
                                        .name = "Lab",
                                        .newPassword = "secret"});
    ConfigureSettings request = built(o, sampleDevice(), WirelessPath::Pairing);
    EXPECT_EQ(request.ipMode, 1);
    EXPECT_EQ(request.ipAddress, (Ipv4Address{10, 0, 0, 5}));
    EXPECT_EQ(request.subnetMask, (Ipv4Address{255, 0, 0, 0}));
    EXPECT_EQ(request.gateway, (Ipv4Address{}));  // "" means no gateway
    EXPECT_EQ(request.deviceName, "Lab");
    EXPECT_EQ(request.password, "secret");

    DeviceInfo broken = sampleDevice();
    broken.ipAddress = {10, 0, 0, 255};  // not checked in DHCP mode
    request = built(options({.dhcp = true}), broken, WirelessPath::Pairing);
    EXPECT_EQ(request.ipMode, 0);
    EXPECT_EQ(request.ipAddress, (Ipv4Address{}));
}

TEST(SettingsFromOptions, DeviceValuesTheWizardWouldRefuseAreNotWrittenBack) {
    DeviceInfo device = sampleDevice();
    device.ipAddress = {10, 0, 0, 255};
    Refusal r = refused(options(), device, WirelessPath::Pairing);
    EXPECT_EQ(r.messageKey, "INVALID_IP");
    EXPECT_EQ(r.subject, "the device's current address 10.0.0.255");
    EXPECT_NE(r.hint.find("--dhcp"), std::string::npos);

    // A DHCP device switched to static keeps its announced address: it must pass.
    device = sampleDevice();
    device.ipMode = 0;
    device.ipAddress = {};
    EXPECT_EQ(refused(options({.staticIp = true}), device, WirelessPath::Pairing).messageKey,
              "INVALID_IP");

    device = sampleDevice();
    device.gateway = {192, 168, 1, 255};
    EXPECT_EQ(refused(options(), device, WirelessPath::Pairing).messageKey, "INVALID_Gateway");

    device = sampleDevice();
    device.devicePassword = {'a', 'b', 'c'};
    EXPECT_EQ(refused(options(), device, WirelessPath::Pairing).messageKey, "INVALID_PASSWORD");
    EXPECT_EQ(built(options({.newPassword = "abcd"}), device, WirelessPath::Pairing).password,
              "abcd");

    const ConfigureOptions manual = options({.ssid = "Net"});
    device = sampleDevice();
    device.channel = 0;  // the wizard's list opens on channel 6
    EXPECT_EQ(built(manual, device, WirelessPath::Manual).channel, 6);
    device.channel = 14;
    EXPECT_NE(refused(manual, device, WirelessPath::Manual).hint.find("--channel"),
              std::string::npos);
}

TEST(SettingsFromOptions, PairingPathSendsCodeZeroAndKeepsTheWirelessSettings) {
    DeviceInfo device = sampleDevice();
    device.securityMode = kSecurityWpa2Aes;
    const ConfigureSettings request =
        built(options({.pairing = true}), device, WirelessPath::Pairing);
    EXPECT_EQ(request.wirelessEditable, 0);
    EXPECT_EQ(request.securityMode, 0);
    EXPECT_EQ(request.key, "");
    EXPECT_EQ(request.ssid, "TRV81K");
}

// ---- Wireless-key safety --------------------------------------------------------------------

struct KeySafetyRow {
    int deviceCode;
    ConfigureOptions given;  // the device is filled in
    const char* fragment;    // empty: the configuration is allowed
};

class KeySafety : public ::testing::TestWithParam<KeySafetyRow> {};

TEST_P(KeySafety, ManualWirelessNeverDropsTheKey) {
    const KeySafetyRow& row = GetParam();
    DeviceInfo device = sampleDevice();
    device.securityMode = static_cast<std::uint8_t>(row.deviceCode);
    auto result = BuildSettings(planOf(options(row.given)).overrides, device, WirelessPath::Manual);
    if (std::string_view(row.fragment).empty()) {
        ASSERT_TRUE(std::holds_alternative<ConfigureSettings>(result))
            << Said(std::get<Refusal>(result));
        const ConfigureSettings& request = std::get<ConfigureSettings>(result);
        // A key-carrying code always travels with a key.
        EXPECT_TRUE(!SecurityNeedsKey(request.securityMode) || !request.key.empty());
        return;
    }
    ASSERT_TRUE(std::holds_alternative<Refusal>(result));
    const Refusal& refusal = std::get<Refusal>(result);
    EXPECT_EQ(refusal.outcome, Outcome::Usage);
    const std::string line = Said(refusal);
    EXPECT_NE(line.find(row.fragment), std::string::npos) << line;
}

INSTANTIATE_TEST_SUITE_P(
    Table, KeySafety,
    ::testing::Values(KeySafetyRow(1, {.ssid = "Net"}, "current security WEP (64-Bit)"),
                      KeySafetyRow(2, {.channel = 3}, "give --key K or --passphrase P"),
                      KeySafetyRow(3, {.netMode = "g-only"}, "WPA-Personal(TKIP)"),
                      KeySafetyRow(8, {.ssid = "Net"}, "its key is not known"),
                      KeySafetyRow(9, {.ssid = "Net"}, "WPA2-Personal(AES)"),
                      KeySafetyRow(10, {.ssid = "Net"}, "WPA2 Mixed"),
                      KeySafetyRow(5, {.ssid = "Net"}, "cannot be written back"),
                      KeySafetyRow(6, {.ssid = "Net"}, "cannot be written back"),
                      KeySafetyRow(7, {.key = "0123456789"}, "RADIUS: cannot be written back"),
                      KeySafetyRow(0, {.key = "0123456789"}, "uses no key"),
                      // Allowed: the key comes along, or the security is chosen anew.
                      KeySafetyRow(1, {.key = "abcdef0123"}, ""),
                      KeySafetyRow(9, {.passphrase = "a new passphrase"}, ""),
                      KeySafetyRow(7, {.security = "wpa2", .passphrase = "eight888"}, ""),
                      KeySafetyRow(9, {.security = "disabled"}, ""),
                      KeySafetyRow(0, {.ssid = "Open"}, "")));

TEST(WirelessPath, OptionsOrThePairingCheckDecide) {
    EXPECT_FALSE(WirelessFromOptions(planOf(options()).overrides));
    EXPECT_EQ(WirelessFromOptions(planOf(options({.pairing = true})).overrides),
              WirelessPath::Pairing);
    EXPECT_EQ(WirelessFromOptions(planOf(options({.channel = 11})).overrides),
              WirelessPath::Manual);

    const MacAddress mac{0, 0x11, 0x22, 0x33, 0x44, 0x55};
    EXPECT_EQ(std::get<WirelessPath>(WirelessFromCheck(Exchanges::Pairing::Managed, mac)),
              WirelessPath::Pairing);
    EXPECT_EQ(std::get<WirelessPath>(WirelessFromCheck(Exchanges::Pairing::NoAnswer, mac)),
              WirelessPath::Pairing);
    const auto refused = WirelessFromCheck(Exchanges::Pairing::NotManaged, mac);
    ASSERT_TRUE(std::holds_alternative<Refusal>(refused));
    const std::string line = Said(std::get<Refusal>(refused));
    EXPECT_EQ(line.rfind("device 00-11-22-33-44-55: the device's wireless settings "
                         "are not under pairing control (give --ssid",
                         0),
              0u)
        << line;
    EXPECT_NE(line.find("or --pairing"), std::string::npos);
}

// ---- --verify -------------------------------------------------------------------------------

TEST(CompareAnnounced, ReportsEachDifferenceOnceAndNeverThePassword) {
    const ConfigureOptions o = options({.staticIp = true,
                                        .ip = "10.0.0.5",
                                        .netmask = "255.0.0.0",
                                        .gateway = "0.0.0.0",
                                        .newPassword = "hidden-pw",
                                        .ssid = "Gr\xC3\xBC\xC3\x9F"
                                                "e"});
    const ConfigureSettings w = built(o, sampleDevice(), WirelessPath::Manual);

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
    const ConfigureSettings p =
        built(options({.pairing = true}), sampleDevice(), WirelessPath::Pairing);
    DeviceInfo paired = sampleDevice();
    paired.securityMode = kSecurityWpa2Aes;
    test::putText(paired.ssid, &paired.ssidLength, "PairedNet");
    EXPECT_TRUE(CompareAnnounced(p, paired).empty());
}

}  // namespace
}  // namespace trv81k
