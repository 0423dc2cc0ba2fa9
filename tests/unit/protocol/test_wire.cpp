#include <gtest/gtest.h>

#include "protocol/wire.h"
#include "test_support.h"

namespace trv81k {
namespace {

using test::makeDevice;
using std::string_literals::operator""s;
using test::textAt;

const MacAddress kMac{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
const std::string kMacBytes = "\x00\x1A\x2B\x3C\x4D\x5E"s;

// Whether the bytes from `begin` up to `end` are all zero.
bool zeroIn(const PlainMessage& plain, std::size_t begin, std::size_t end = kPlainSize) {
    return std::all_of(plain.begin() + static_cast<std::ptrdiff_t>(begin),
                       plain.begin() + static_cast<std::ptrdiff_t>(end),
                       [](std::uint8_t b) { return b == 0; });
}

// The message is `bytes`, then zeros to its end.
void expectMessage(const PlainMessage& plain, const std::string& bytes) {
    EXPECT_EQ(textAt(plain, 0, bytes.size()), bytes);
    EXPECT_TRUE(zeroIn(plain, bytes.size()));
}

// What the wizard's pages make of a static address with WPA2 (test_entered_settings.cpp builds
// the same settings from the typed texts).
ConfigureSettings staticWpa2Settings() {
    ConfigureSettings s;
    s.mac = kMac;
    s.ipMode = 1;
    s.ipAddress = {192, 168, 1, 20};
    s.subnetMask = {255, 255, 255, 0};
    s.gateway = {192, 168, 1, 1};
    s.deviceName = "Hall";
    s.password = "secret1";
    s.wirelessEditable = 1;
    s.auxName = "aux-name";
    s.auxAttr = 0x5A;
    s.ssid = "Home";
    s.channel = 11;
    s.securityMode = kSecurityWpa2Aes;
    s.key = "passw0rd";
    s.networkMode = 2;
    return s;
}

TEST(Requests, Layouts) {
    expectMessage(buildSearchRequest(), "TRV81KV3ClientSearchingF");
    EXPECT_EQ(classify(buildSearchRequest()), MessageKind::SearchRequest);
    // Token, MAC, the adapter's address, the password behind its length byte.
    expectMessage(
        buildAuthRequest({1, 2, 3, 4}, kMac, {10, 0, 0, 7}, "pa%ss"),
        "TRV81KV3ClientAuthReqPkt\x01\x02\x03\x04"s + kMacBytes + "\x0A\x00\x00\x07\x05pa%ss"s);
    expectMessage(buildAuthRequest({}, kMac, {}, ""),
                  "TRV81KV3ClientAuthReqPkt"s + std::string(4, '\0') + kMacBytes);
    expectMessage(buildCheckBPSRequest(kMac), "TRV81KV3ClientCheckBPSRe"s + kMacBytes);
    EXPECT_EQ(parseCheckBPSRequest(buildCheckBPSRequest(kMac)), kMac);

    // An over-long password is cut so that the length byte still tells what follows and
    // nothing is written past the message.
    const PlainMessage cut = buildAuthRequest({}, kMac, {}, std::string(400, 'x'));
    EXPECT_EQ(cut[38], 255);
    const auto parsed = parseAuthRequest(cut);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->password, std::string(255, 'x'));
}

// The whole message: tag, MAC, static 192.168.1.20/24 via .1, the texts behind their length
// bytes, 1 for wireless settings typed by hand, the aux name and attribute, auxKeyCode 0 (so the
// SSID's length byte follows at once), channel, security code, the key in its 64 bytes, the
// network mode; zeros after. A device reads back what went in.
TEST(ConfigureRequest, StaticLayoutByteForByte) {
    const auto plain = buildConfigureRequest(staticWpa2Settings());
    ASSERT_TRUE(plain);
    const std::string expected = "TRV81KV3ClientConfigureR"s + kMacBytes + "\x01" +
                                 "\xC0\xA8\x01\x14\xFF\xFF\xFF\x00\xC0\xA8\x01\x01"s +
                                 "\x04Hall\x07secret1\x01\x08"
                                 "aux-name\x5A\x00"s +
                                 "\x04Home\x0B\x09passw0rd" + std::string(56, '\0') + "\x02";
    expectMessage(*plain, expected);
    EXPECT_EQ(parseConfigureRequest(*plain), staticWpa2Settings());
}

TEST(ConfigureRequest, KeyBytesFollowTheSecurityCode) {
    struct Case {
        int mode;
        std::size_t width;
    };
    for (const Case c :
         {Case{0, 0}, Case{1, 10}, Case{2, 26}, Case{3, 64}, Case{4, 64}, Case{5, 0}, Case{6, 0},
          Case{7, 0}, Case{8, 64}, Case{9, 64}, Case{10, 64}, Case{11, 0}}) {
        ConfigureSettings s = staticWpa2Settings();
        s.securityMode = static_cast<std::uint8_t>(c.mode);
        s.key = std::string(70, 'k');
        const auto plain = buildConfigureRequest(s);
        ASSERT_TRUE(plain) << c.mode;
        const auto parsed = parseConfigureRequest(*plain);
        ASSERT_TRUE(parsed) << c.mode;
        EXPECT_EQ(parsed->securityMode, c.mode);
        EXPECT_EQ(parsed->key, s.key.substr(0, c.width)) << c.mode;
        EXPECT_EQ(parsed->networkMode, 2) << c.mode;  // found right behind the key bytes
    }
    // A shorter key is followed by zeros up to its width.
    ConfigureSettings s = staticWpa2Settings();
    s.securityMode = kSecurityWep64;
    s.key = "01234";
    const auto plain = buildConfigureRequest(s);
    EXPECT_EQ(textAt(*plain, 74, 12),
              "\x01"
              "01234"s +
                  std::string(5, '\0') + "\x02");
}

TEST(ConfigureRequest, AuxKeyBlockSizes) {
    for (std::uint8_t code = 0; code <= 4; ++code) {
        ConfigureSettings s = staticWpa2Settings();
        s.auxKeyCode = code;
        const auto plain = buildConfigureRequest(s);
        ASSERT_TRUE(plain);
        const auto parsed = parseConfigureRequest(*plain);
        ASSERT_TRUE(parsed);
        EXPECT_EQ(parsed->auxKeyCode, code);
        EXPECT_EQ(parsed->auxKeyBlock, std::string(auxKeyBlockSize(code), '\0'));
        EXPECT_EQ(parsed->ssid, "Home") << int(code);
        EXPECT_EQ(parsed->auxName, "aux-name");
        EXPECT_EQ(parsed->auxAttr, 0x5A);
    }
    EXPECT_EQ(auxKeyBlockSize(1), 5u);
    EXPECT_EQ(auxKeyBlockSize(2), 13u);
    EXPECT_EQ(auxKeyBlockSize(3), 16u);
}

TEST(ConfigureRequest, TextsThatCannotFitAreRefusedNotTruncated) {
    ConfigureSettings s = staticWpa2Settings();
    s.deviceName = std::string(256, 'n');
    EXPECT_FALSE(buildConfigureRequest(s));
    s = staticWpa2Settings();
    s.deviceName = std::string(200, 'n');
    s.ssid = std::string(100, 's');
    EXPECT_FALSE(buildConfigureRequest(s));  // together past the message's end
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
    // A text longer than its field's capacity cannot be built at all.
    device.auxTextLength = 7;
    EXPECT_FALSE(buildSearchAnswer(device));
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

// Token, MAC, client address and status for the login; MAC and status or pairing state for
// the others.
TEST(Answers, Layouts) {
    expectMessage(
        buildAuthAnswer({9, 8, 7, 6}, kMac, {10, 0, 0, 2}, 1),
        "TRV81KV3ServerAuthReqAck\x09\x08\x07\x06"s + kMacBytes + "\x0A\x00\x00\x02\x01"s);
    expectMessage(buildConfigureAnswer(kMac, 1), "TRV81KV3ServerConfigureA"s + kMacBytes + "\x01");
    expectMessage(buildCheckBPSAnswer(kMac, 1), "TRV81KV3ServerCheckBPSAc"s + kMacBytes + "\x01");

    const auto auth = parseAuthAnswer(buildAuthAnswer({9, 8, 7, 6}, kMac, {10, 0, 0, 2}, 1));
    ASSERT_TRUE(auth);
    EXPECT_EQ(auth->token, (DeviceToken{9, 8, 7, 6}));
    EXPECT_EQ(auth->clientIP, (Ipv4Address{10, 0, 0, 2}));
    EXPECT_EQ(auth->status, 1);
    const auto configure = parseConfigureAnswer(buildConfigureAnswer(kMac, 2));
    ASSERT_TRUE(configure);
    EXPECT_EQ(configure->mac, kMac);
    EXPECT_EQ(configure->status, 2);
    const auto pairing = parseCheckBPSAnswer(buildCheckBPSAnswer(kMac, 1));
    ASSERT_TRUE(pairing);
    EXPECT_EQ(pairing->mac, kMac);
    EXPECT_EQ(pairing->pairingState, 1);
    // Each parser takes only its own tag.
    EXPECT_FALSE(parseAuthAnswer(buildConfigureAnswer(kMac, 0)));
    EXPECT_FALSE(parseConfigureAnswer(buildCheckBPSAnswer(kMac, 0)));
    EXPECT_FALSE(parseCheckBPSAnswer(buildSearchRequest()));
}

TEST(Texts, AddressesFormatAndParse) {
    EXPECT_EQ(formatMac(kMac), "00-1A-2B-3C-4D-5E");
    EXPECT_EQ(FormatIPv4({192, 168, 0, 255}), "192.168.0.255");
    EXPECT_EQ(parseMac("00-1a-2B-3c-4d-5e"), kMac);
    EXPECT_EQ(parseMac("00:1A:2B:3C:4D:5E"), kMac);
    for (const char* bad :
         {"", "00-1A-2B-3C-4D", "00-1A-2B-3C-4D-5G", "00-1A:2B-3C-4D-5E", "001A2B3C4D5E00000"}) {
        EXPECT_FALSE(parseMac(bad)) << bad;
    }
}

}  // namespace
}  // namespace trv81k
