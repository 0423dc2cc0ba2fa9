#include <gtest/gtest.h>

#include "protocol/wire.h"
#include "test_support.h"

namespace trv81k {
namespace {

using test::makeDevice;
using test::textAt;

const MacAddress kMac{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};

bool zeroFrom(const PlainMessage& plain, std::size_t offset) {
    return std::all_of(plain.begin() + static_cast<std::ptrdiff_t>(offset), plain.end(),
                       [](std::uint8_t b) { return b == 0; });
}

WizardState staticWpa2State() {
    WizardState s;
    s.currentDevice = makeDevice(1);
    s.bStaticIP = true;
    s.newIPText = "192.168.001.020";
    s.newNetmaskText = "255.255.255.0";
    s.newGatewayText = "192.168.1.1";
    s.newDeviceName = "Hall";
    s.newPassword = "secret1";
    s.bWirelessEditable = true;
    s.newSSID = "Home";
    s.newChannel = 11;
    s.newSecurityMode = kSecurityWpa2Aes;
    s.newPSK = "passw0rd";
    s.newNetMode = 2;
    return s;
}

TEST(Requests, SearchCarriesOnlyItsTag) {
    const PlainMessage plain = buildSearchRequest();
    EXPECT_EQ(textAt(plain, 0, 24), "TRV81KV3ClientSearchingF");
    EXPECT_TRUE(zeroFrom(plain, 24));
    EXPECT_EQ(classify(plain), MessageKind::SearchRequest);
}

TEST(Requests, AuthenticationLayout) {
    const PlainMessage plain = buildAuthRequest({1, 2, 3, 4}, kMac, {10, 0, 0, 7}, "pa%ss");
    EXPECT_EQ(textAt(plain, 0, 24), "TRV81KV3ClientAuthReqPkt");
    EXPECT_EQ(plain[24], 1);
    EXPECT_EQ(plain[27], 4);
    EXPECT_TRUE(std::equal(kMac.begin(), kMac.end(), plain.begin() + 28));
    EXPECT_EQ(plain[34], 10);
    EXPECT_EQ(plain[37], 7);
    EXPECT_EQ(plain[38], 5);
    EXPECT_EQ(textAt(plain, 39, 5), "pa%ss");
    EXPECT_TRUE(zeroFrom(plain, 44));

    const PlainMessage empty = buildAuthRequest({}, kMac, {}, "");
    EXPECT_EQ(empty[38], 0);
    EXPECT_TRUE(zeroFrom(empty, 39));

    // An over-long password is cut so that the length byte still tells what follows and
    // nothing is written past the message.
    const std::string longPassword(400, 'x');
    const PlainMessage cut = buildAuthRequest({}, kMac, {}, longPassword);
    EXPECT_EQ(cut[38], 255);
    const auto parsed = parseAuthRequest(cut);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->password, std::string(255, 'x'));
}

TEST(Requests, PairingCheckLayout) {
    const PlainMessage plain = buildCheckBPSRequest(kMac);
    EXPECT_EQ(textAt(plain, 0, 24), "TRV81KV3ClientCheckBPSRe");
    EXPECT_TRUE(std::equal(kMac.begin(), kMac.end(), plain.begin() + 24));
    EXPECT_TRUE(zeroFrom(plain, 30));
    EXPECT_EQ(parseCheckBPSRequest(plain), kMac);
}

TEST(ConfigureRequest, StaticLayoutByteForByte) {
    const WizardState s = staticWpa2State();
    const auto plain = buildConfigureRequest(kMac, s);
    ASSERT_TRUE(plain);
    const PlainMessage& p = *plain;
    EXPECT_EQ(textAt(p, 0, 24), "TRV81KV3ClientConfigureR");
    EXPECT_TRUE(std::equal(kMac.begin(), kMac.end(), p.begin() + 24));
    EXPECT_EQ(p[30], 1);
    const std::array<std::uint8_t, 12> addresses{192, 168, 1, 20, 255, 255, 255, 0, 192, 168, 1, 1};
    EXPECT_TRUE(std::equal(addresses.begin(), addresses.end(), p.begin() + 31));
    std::size_t at = 43;
    EXPECT_EQ(p[at], 4);
    EXPECT_EQ(textAt(p, at + 1, 4), "Hall");
    at += 5;
    EXPECT_EQ(p[at], 7);
    EXPECT_EQ(textAt(p, at + 1, 7), "secret1");
    at += 8;
    EXPECT_EQ(p[at++], 1);  // wireless settings typed by hand
    EXPECT_EQ(p[at], 8);
    EXPECT_EQ(textAt(p, at + 1, 8), "aux-name");
    at += 9;
    EXPECT_EQ(p[at++], 0x5A);
    EXPECT_EQ(p[at++], 0);  // auxKeyCode 0: the SSID's length byte follows at once
    EXPECT_EQ(p[at], 4);
    EXPECT_EQ(textAt(p, at + 1, 4), "Home");
    at += 5;
    EXPECT_EQ(p[at++], 11);
    EXPECT_EQ(p[at++], 9);
    EXPECT_EQ(textAt(p, at, 8), "passw0rd");
    EXPECT_TRUE(std::all_of(p.begin() + static_cast<std::ptrdiff_t>(at + 8),
                            p.begin() + static_cast<std::ptrdiff_t>(at + 64),
                            [](std::uint8_t b) { return b == 0; }));
    at += 64;
    EXPECT_EQ(p[at++], 2);
    EXPECT_TRUE(zeroFrom(p, at));
}

TEST(ConfigureRequest, AddressRules) {
    WizardState s = staticWpa2State();
    s.bStaticIP = false;
    s.newIPText = "garbage";  // ignored in DHCP mode
    auto plain = buildConfigureRequest(kMac, s);
    ASSERT_TRUE(plain);
    EXPECT_EQ((*plain)[30], 0);
    EXPECT_TRUE(std::all_of(plain->begin() + 31, plain->begin() + 43,
                            [](std::uint8_t b) { return b == 0; }));

    s = staticWpa2State();
    for (const char* gateway : {"", "0.0.0.0", "192.168.1.255"}) {
        s.newGatewayText = gateway;
        plain = buildConfigureRequest(kMac, s);
        ASSERT_TRUE(plain) << gateway;
        EXPECT_TRUE(std::all_of(plain->begin() + 39, plain->begin() + 43, [](std::uint8_t b) {
            return b == 0;
        })) << gateway;
    }

    s = staticWpa2State();
    s.newIPText = "192.168.1.0";
    EXPECT_FALSE(buildConfigureRequest(kMac, s));
    s = staticWpa2State();
    s.newNetmaskText = "255.255.255.255";
    EXPECT_FALSE(buildConfigureRequest(kMac, s));
}

TEST(ConfigureRequest, KeyBytesFollowTheSecurityCode) {
    struct Case {
        int mode;
        std::size_t width;
    };
    for (const Case c :
         {Case{0, 0}, Case{1, 10}, Case{2, 26}, Case{3, 64}, Case{4, 64}, Case{5, 0}, Case{6, 0},
          Case{7, 0}, Case{8, 64}, Case{9, 64}, Case{10, 64}, Case{11, 0}}) {
        WizardState s = staticWpa2State();
        s.newSecurityMode = c.mode;
        s.newWepKey = std::string(26, 'A') + "EXTRA";
        s.newPSK = std::string(70, 'p');
        const auto plain = buildConfigureRequest(kMac, s);
        ASSERT_TRUE(plain) << c.mode;
        const auto parsed = parseConfigureRequest(*plain);
        ASSERT_TRUE(parsed) << c.mode;
        EXPECT_EQ(parsed->securityMode, c.mode);
        const bool wep = c.mode == 1 || c.mode == 2;
        EXPECT_EQ(parsed->key, (wep ? s.newWepKey : s.newPSK).substr(0, c.width)) << c.mode;
        EXPECT_EQ(parsed->networkMode, 2) << c.mode;  // found right behind the key bytes
    }
    // WEP 64 with a 10-character key carries exactly those characters.
    WizardState s = staticWpa2State();
    s.newSecurityMode = kSecurityWep64;
    s.newWepKey = "0123456789";
    const auto parsed = parseConfigureRequest(*buildConfigureRequest(kMac, s));
    EXPECT_EQ(parsed->key, "0123456789");
}

TEST(ConfigureRequest, AuxKeyBlockSizes) {
    for (std::uint8_t code = 0; code <= 4; ++code) {
        WizardState s = staticWpa2State();
        s.currentDevice = makeDevice(1, "AP", code);
        const auto plain = buildConfigureRequest(kMac, s);
        ASSERT_TRUE(plain);
        const auto parsed = parseConfigureRequest(*plain);
        ASSERT_TRUE(parsed);
        EXPECT_EQ(parsed->auxKeyCode, code);
        EXPECT_EQ(parsed->auxKeyBlock.size(), auxKeyBlockSize(code));
        EXPECT_EQ(parsed->ssid, "Home") << int(code);
        EXPECT_EQ(parsed->auxName, "aux-name");
        EXPECT_EQ(parsed->auxAttr, 0x5A);
    }
    EXPECT_EQ(auxKeyBlockSize(1), 5u);
    EXPECT_EQ(auxKeyBlockSize(2), 13u);
    EXPECT_EQ(auxKeyBlockSize(3), 16u);
}

TEST(ConfigureRequest, TextsThatCannotFitAreRefusedNotTruncated) {
    WizardState s = staticWpa2State();
    s.newDeviceName = std::string(256, 'n');
    EXPECT_FALSE(buildConfigureRequest(kMac, s));
    s = staticWpa2State();
    s.newDeviceName = std::string(200, 'n');
    s.newSSID = std::string(100, 's');
    EXPECT_FALSE(buildConfigureRequest(kMac, s));  // together past the message's end
}

TEST(SearchAnswer, RoundTripKeepsEveryField) {
    for (std::uint8_t code : {0, 3}) {
        DeviceInfo device = makeDevice(3, "Lobby", code);
        const auto plain = buildSearchAnswer(device);
        ASSERT_TRUE(plain);
        EXPECT_EQ(classify(*plain), MessageKind::SearchAnswer);
        const ParsedSearchAnswer parsed = parseSearchAnswer(*plain);
        ASSERT_EQ(parsed.outcome, SearchAnswerParse::Stored);
        EXPECT_EQ(parsed.device, device);
        EXPECT_EQ(parsed.device.deviceNameText(), "Lobby3");
        EXPECT_EQ(parsed.device.ssidText(), "Office & Lab");
        EXPECT_EQ(parsed.device.firmwareText(), "1.2.3");
        EXPECT_EQ(parsed.device.devicePasswordText(), "admin");
    }
}

TEST(SearchAnswer, ThirtyTwoBytePasswordIsReadWithoutTerminator) {
    DeviceInfo device = makeDevice(1);
    device.devicePassword.fill('Z');
    const auto parsed = parseSearchAnswer(*buildSearchAnswer(device));
    EXPECT_EQ(parsed.device.devicePasswordText(), std::string(32, 'Z'));
}

TEST(SearchAnswer, MissingMarkerAndOversizedLengths) {
    PlainMessage plain = *buildSearchAnswer(makeDevice(1));
    // The marker sits right after the gateway; find it and break it.
    const std::string bytes(plain.begin(), plain.end());
    const auto marker = bytes.find("EWSC");
    ASSERT_NE(marker, std::string::npos);
    PlainMessage noMarker = plain;
    noMarker[marker] = 'X';
    EXPECT_EQ(parseSearchAnswer(noMarker).outcome, SearchAnswerParse::NoMarker);

    // A length byte above its field's capacity drops the answer whole.
    PlainMessage oversized = plain;
    oversized[30] = 33;  // auxName length
    EXPECT_EQ(parseSearchAnswer(oversized).outcome, SearchAnswerParse::Malformed);
    for (std::uint8_t length : {33, 200, 255}) {
        PlainMessage bad{};
        std::copy(tag::kSearchAnswer.begin(), tag::kSearchAnswer.end(), bad.begin());
        bad[30] = 0;
        bad[33 + 6] = length;  // SSID length after deviceId, empty auxName, attr, key code, MAC
        EXPECT_EQ(parseSearchAnswer(bad).outcome, SearchAnswerParse::Malformed) << int(length);
    }
}

TEST(SearchAnswer, DeviceTextsOverCapacityCannotBeBuilt) {
    DeviceInfo device = makeDevice(1);
    device.auxTextLength = 7;
    EXPECT_FALSE(buildSearchAnswer(device));
}

TEST(Answers, Layouts) {
    const PlainMessage auth = buildAuthAnswer({9, 8, 7, 6}, kMac, {10, 0, 0, 2}, 1);
    EXPECT_EQ(textAt(auth, 0, 24), "TRV81KV3ServerAuthReqAck");
    EXPECT_EQ(auth[24], 9);
    EXPECT_EQ(auth[28], 0x00);
    EXPECT_EQ(auth[33], 0x5E);
    EXPECT_EQ(auth[34], 10);
    EXPECT_EQ(auth[38], 1);
    const PlainMessage configure = buildConfigureAnswer(kMac, 0);
    EXPECT_EQ(textAt(configure, 0, 24), "TRV81KV3ServerConfigureA");
    EXPECT_EQ(configure[29], 0x5E);
    EXPECT_EQ(configure[30], 0);
    const PlainMessage pairing = buildCheckBPSAnswer(kMac, 1);
    EXPECT_EQ(textAt(pairing, 0, 24), "TRV81KV3ServerCheckBPSAc");
    EXPECT_EQ(pairing[30], 1);
}

TEST(Texts, AddressesFormatAndParse) {
    EXPECT_EQ(formatMac(kMac), "00-1A-2B-3C-4D-5E");
    EXPECT_EQ(formatIpv4({192, 168, 0, 255}), "192.168.0.255");
    EXPECT_EQ(parseMac("00-1a-2B-3c-4d-5e"), kMac);
    EXPECT_EQ(parseMac("00:1A:2B:3C:4D:5E"), kMac);
    for (const char* bad :
         {"", "00-1A-2B-3C-4D", "00-1A-2B-3C-4D-5G", "00-1A:2B-3C-4D-5E", "001A2B3C4D5E00000"}) {
        EXPECT_FALSE(parseMac(bad)) << bad;
    }
}

TEST(WizardStateTest, LoginTakesTheDeviceSettingsOver) {
    DeviceInfo device = makeDevice(4);
    device.ipMode = 0;
    WizardState s;
    s.loadFromDevice(device);
    EXPECT_FALSE(s.bStaticIP);
    EXPECT_EQ(s.newIPText, "192.168.1.14");
    EXPECT_EQ(s.newNetmaskText, "255.255.255.0");
    EXPECT_EQ(s.newGatewayText, "192.168.1.1");
    EXPECT_EQ(s.lastGoodGatewayText, "192.168.1.1");
    EXPECT_EQ(s.newSecurityMode, 9);
    EXPECT_EQ(s.newSSID, "Office & Lab");
    EXPECT_EQ(s.newDeviceName, "AP4");
    EXPECT_EQ(s.newChannel, 6);
    EXPECT_EQ(s.newNetMode, 1);
    EXPECT_EQ(s.newPassword, "admin");
}

}  // namespace
}  // namespace trv81k
