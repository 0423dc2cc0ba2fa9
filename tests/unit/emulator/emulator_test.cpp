// The emulated devices' answers to every request kind, under every behaviour switch.

#include "emulator/emulator.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <iterator>
#include <random>
#include <utility>

#include "emulator/config.h"
#include "protocol/cipher.h"

namespace trv81k::emulator {
namespace {

using namespace std::chrono_literals;

const Ipv4Address kClient{10, 81, 0, 1};
const Ipv4Address kOtherClient{10, 81, 0, 2};
const Clock::time_point kStart = Clock::time_point{} + 24h;

EmulatedDevice makeDevice(std::uint8_t last, const std::string& name) {
    EmulatedDevice device;
    device.mac = {0x02, 0x81, 0x00, 0x00, 0x00, last};
    device.deviceId = {0xD0, 0x00, 0x00, 0x00, 0x00, last};
    device.token = {0xA0, 0xB1, 0xC2, last};
    device.firmware = "2.13";
    device.auxName = "aux";
    device.auxText = "t";
    device.settings.name = name;
    device.settings.password = "secret";
    device.settings.ip = {10, 81, 0, static_cast<std::uint8_t>(10 + last)};
    device.settings.netmask = {255, 255, 255, 0};
    device.settings.gateway = {10, 81, 0, 1};
    device.settings.ssid = "net-" + name;
    device.settings.channel = 11;
    device.settings.security = kSecurityWpa2Aes;
    device.settings.key = "passphrase1";
    device.settings.networkMode = 1;
    return device;
}

PlainMessage auth(const EmulatedDevice& device, std::string_view password,
                  const Ipv4Address& localIP = kClient) {
    return buildAuthRequest(device.token, device.mac, localIP, password);
}

std::uint8_t status(const PlainMessage& answer, std::size_t at) {
    return answer[at];
}

// What a configure request carries after a login to `device`: its current settings, the
// wireless ones left to the pairing. Not checked as the wizard checks them: the device's own
// checks are under test here.
ConfigureSettings settingsAfterLogin(const EmulatedDevice& device) {
    const DeviceInfo info = describe(device);
    ConfigureSettings s;
    s.mac = info.macAddress;
    s.ipMode = info.ipMode;
    s.ipAddress = info.ipAddress;
    s.subnetMask = info.subnetMask;
    s.gateway = info.gateway;
    s.deviceName = info.deviceNameText();
    s.password = info.devicePasswordText();
    s.auxName = info.auxNameText();
    s.auxAttr = info.auxAttr;
    s.auxKeyCode = info.auxKeyCode;
    s.ssid = info.ssidText();
    s.channel = info.channel;
    s.securityMode = info.securityMode;
    s.networkMode = info.networkMode;
    return s;
}

PlainMessage configure(const ConfigureSettings& settings) {
    return buildConfigureRequest(settings).value();
}

// A message as the log spells it: two lower-case hexadecimal digits a byte.
std::string lowerHex(const PlainMessage& plain) {
    std::string text;
    for (const std::uint8_t b : plain) {
        std::array<char, 3> digits{};
        std::snprintf(digits.data(), digits.size(), "%02x", b);
        text += digits.data();
    }
    return text;
}

// The last field of a log entry: its name and value.
std::pair<std::string, nlohmann::ordered_json> lastField(const nlohmann::ordered_json& log) {
    const auto last = std::prev(log.end());
    return {last.key(), last.value()};
}

class EmulatorTest : public ::testing::Test {
protected:
    EmulatorTest() : emulator({makeDevice(1, "AP-1"), makeDevice(2, "AP-2")}) {}

    const EmulatedDevice& device(std::size_t i) const { return emulator.devices()[i]; }

    Reaction send(const PlainMessage& plain, const Ipv4Address& sender = kClient,
                  Clock::time_point at = kStart) {
        return emulator.handlePlain(plain, sender, at);
    }

    Emulator emulator;
};

Emulator withBehaviour(Behaviour behaviour) {
    EmulatedDevice device = makeDevice(1, "AP-1");
    device.behaviour = behaviour;
    return Emulator({device});
}

// ---- Search ---------------------------------------------------------------------------------

TEST_F(EmulatorTest, SearchIsAnsweredByEveryDeviceWithItsCurrentSettings) {
    const Reaction reaction = send(buildSearchRequest());
    ASSERT_EQ(reaction.answers.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        ASSERT_EQ(classify(reaction.answers[i]), MessageKind::SearchAnswer);
        const ParsedSearchAnswer parsed = parseSearchAnswer(reaction.answers[i]);
        ASSERT_EQ(parsed.outcome, SearchAnswerParse::Stored);
        const DeviceInfo& info = parsed.device;
        EXPECT_EQ(info.macAddress, device(i).mac);
        EXPECT_EQ(info.deviceId, device(i).deviceId);
        EXPECT_EQ(info.deviceToken, device(i).token);
        EXPECT_EQ(info.deviceNameText(), device(i).settings.name);
        EXPECT_EQ(info.devicePasswordText(), "secret");
        EXPECT_EQ(info.ssidText(), device(i).settings.ssid);
        EXPECT_EQ(info.ipAddress, device(i).settings.ip);
        EXPECT_EQ(info.subnetMask, (Ipv4Address{255, 255, 255, 0}));
        EXPECT_EQ(info.gateway, (Ipv4Address{10, 81, 0, 1}));
        EXPECT_EQ(info.ipMode, 1);
        EXPECT_EQ(info.channel, 11);
        EXPECT_EQ(info.securityMode, kSecurityWpa2Aes);
        EXPECT_EQ(info.networkMode, 1);
        EXPECT_EQ(info.firmwareText(), "2.13");
        EXPECT_EQ(info.auxNameText(), "aux");
    }
    EXPECT_EQ(reaction.log["kind"], "search");
    EXPECT_EQ(reaction.log["answers"].size(), 2u);
    EXPECT_FALSE(reaction.settingsApplied);
}

TEST(EmulatorSearch, NoMarkerZeroesOnlyTheMarker) {
    Emulator plain = withBehaviour({});
    Emulator marked = withBehaviour({.noMarker = true});
    const PlainMessage with = plain.handlePlain(buildSearchRequest(), kClient, kStart).answers[0];
    const PlainMessage without =
        marked.handlePlain(buildSearchRequest(), kClient, kStart).answers[0];
    EXPECT_EQ(parseSearchAnswer(without).outcome, SearchAnswerParse::NoMarker);
    // Counted by hand for makeDevice(1): 24 tag + 6 id + 4 "aux" + 2 + 6 MAC + 9 "net-AP-1"
    // + 2 + 5 "AP-1" + 2 "t" + 5 firmware + 1 + 12 addresses = 78.
    const std::size_t at = 78;
    EXPECT_EQ(std::string(with.begin() + at, with.begin() + at + 4), "EWSC");
    for (std::size_t i = 0; i < kPlainSize; ++i) {
        if (i >= at && i < at + 4) {
            EXPECT_EQ(without[i], 0) << i;
        } else {
            EXPECT_EQ(without[i], with[i]) << i;
        }
    }
}

TEST(EmulatorSearch, LongestTextsStillFitTheAnswer) {
    EmulatedDevice device = makeDevice(1, std::string(32, 'n'));
    device.auxName = std::string(32, 'a');
    device.auxText = std::string(6, 'x');
    device.settings.ssid = std::string(32, 's');
    device.settings.password = std::string(32, 'p');
    device.firmware = "12345";
    const ParsedSearchAnswer parsed = parseSearchAnswer(searchAnswerFor(device));
    ASSERT_EQ(parsed.outcome, SearchAnswerParse::Stored);
    EXPECT_EQ(parsed.device.deviceNameText(), std::string(32, 'n'));
    EXPECT_EQ(parsed.device.devicePasswordText(), std::string(32, 'p'));
    EXPECT_EQ(parsed.device.ssidText(), std::string(32, 's'));
    EXPECT_EQ(parsed.device.firmwareText(), "12345");
}

// ---- Authentication -------------------------------------------------------------------------

TEST_F(EmulatorTest, OnlyTheAddressedDeviceAnswersALogin) {
    const Reaction reaction = send(auth(device(1), "secret", {192, 168, 7, 9}));
    ASSERT_EQ(reaction.answers.size(), 1u);
    const PlainMessage& answer = reaction.answers[0];
    EXPECT_EQ(classify(answer), MessageKind::AuthAnswer);
    EXPECT_TRUE(std::equal(device(1).token.begin(), device(1).token.end(), answer.begin() + 24));
    EXPECT_TRUE(std::equal(device(1).mac.begin(), device(1).mac.end(), answer.begin() + 28));
    // The client address comes from the request, not from the datagram's sender.
    EXPECT_EQ((Ipv4Address{answer[34], answer[35], answer[36], answer[37]}),
              (Ipv4Address{192, 168, 7, 9}));
    EXPECT_EQ(status(answer, 38), 0);
    EXPECT_EQ(reaction.log["password"], "secret");
    EXPECT_EQ(reaction.log["answers"][0]["status"], 0);
}

TEST_F(EmulatorTest, WrongTokenOrPasswordIsRefusedWithTheDevicesOwnToken) {
    EmulatedDevice wrongToken = device(0);
    wrongToken.token = {9, 9, 9, 9};
    for (const PlainMessage& request : {auth(wrongToken, "secret"), auth(device(0), "Secret"),
                                        auth(device(0), "secre"), auth(device(0), "")}) {
        const Reaction reaction = send(request);
        ASSERT_EQ(reaction.answers.size(), 1u);
        EXPECT_EQ(status(reaction.answers[0], 38), 1);
        EXPECT_TRUE(std::equal(device(0).token.begin(), device(0).token.end(),
                               reaction.answers[0].begin() + 24));
    }
}

TEST_F(EmulatorTest, LongestPasswordLengthIsReadAsSent) {
    PlainMessage request = auth(device(0), "secret");
    request[38] = 255;  // the password now takes 255 bytes, most of them zero
    const Reaction reaction = send(request);
    ASSERT_EQ(reaction.answers.size(), 1u);
    EXPECT_EQ(status(reaction.answers[0], 38), 1);
    EXPECT_EQ(reaction.log["passwordLength"], 255);
}

// ---- Pairing check --------------------------------------------------------------------------

TEST_F(EmulatorTest, PairingCheckAnswersTheStateOfTheAddressedDevice) {
    const Reaction reaction = send(buildCheckBPSRequest(device(1).mac));
    ASSERT_EQ(reaction.answers.size(), 1u);
    EXPECT_EQ(classify(reaction.answers[0]), MessageKind::CheckBPSAnswer);
    EXPECT_TRUE(
        std::equal(device(1).mac.begin(), device(1).mac.end(), reaction.answers[0].begin() + 24));
    EXPECT_EQ(reaction.answers[0][30], 0);
}

TEST_F(EmulatorTest, RequestsForAnUnknownMacAreLoggedButNotAnswered) {
    const EmulatedDevice stranger = makeDevice(9, "X");
    const Reaction login = send(auth(stranger, "secret"));
    EXPECT_TRUE(login.answers.empty());
    EXPECT_EQ(login.log["kind"], "auth");
    EXPECT_TRUE(send(buildCheckBPSRequest(stranger.mac)).answers.empty());
}

// ---- Configure ------------------------------------------------------------------------------

TEST_F(EmulatorTest, ConfigureWithoutLoginIsRefusedAndChangesNothing) {
    const DeviceSettings before = device(0).settings;
    ConfigureSettings state = settingsAfterLogin(device(0));
    state.deviceName = "changed";
    const Reaction reaction = send(configure(state));
    ASSERT_EQ(reaction.answers.size(), 1u);
    EXPECT_EQ(classify(reaction.answers[0]), MessageKind::ConfigureAnswer);
    EXPECT_EQ(reaction.answers[0][30], 1);
    EXPECT_FALSE(reaction.settingsApplied);
    EXPECT_EQ(device(0).settings, before);
    EXPECT_EQ(reaction.log["result"], "refused");
}

TEST_F(EmulatorTest, LoginCountsOnlyForItsAddressItsDeviceAndTenMinutes) {
    ConfigureSettings state = settingsAfterLogin(device(0));
    state.deviceName = "changed";
    const PlainMessage request = configure(state);

    ASSERT_EQ(status(send(auth(device(0), "secret"), kClient, kStart).answers[0], 38), 0);
    // Another client, another device, a failed login, or too late: refused.
    EXPECT_EQ(send(request, kOtherClient, kStart + 1s).answers[0][30], 1);
    ASSERT_EQ(send(auth(device(1), "wrong"), kOtherClient, kStart).answers[0][38], 1);
    EXPECT_EQ(send(request, kOtherClient, kStart + 2s).answers[0][30], 1);
    ConfigureSettings other = settingsAfterLogin(device(1));
    EXPECT_EQ(send(configure(other), kClient, kStart + 1s).answers[0][30], 1);
    EXPECT_EQ(send(request, kClient, kStart + 10min + 1s).answers[0][30], 1);
    EXPECT_EQ(device(0).settings.name, "AP-1");
    // Within ten minutes: applied.
    EXPECT_EQ(send(request, kClient, kStart + 10min).answers[0][30], 0);
    EXPECT_EQ(device(0).settings.name, "changed");
}

TEST_F(EmulatorTest, ConfigureAppliesEveryFieldWhenWirelessIsEditable) {
    send(auth(device(0), "secret"));
    ConfigureSettings state = settingsAfterLogin(device(0));
    state.ipMode = 1;
    state.ipAddress = {192, 168, 5, 20};
    state.subnetMask = {255, 255, 0, 0};
    state.gateway = {192, 168, 5, 1};
    state.deviceName = "Office";
    state.password = "n3wpass";
    state.wirelessEditable = 1;
    state.ssid = "HomeNet";
    state.channel = 3;
    state.securityMode = kSecurityWep128;
    state.key = "0123456789ABCDEF0123456789";
    state.networkMode = 2;
    const Reaction reaction = send(configure(state));
    ASSERT_EQ(reaction.answers.size(), 1u);
    EXPECT_TRUE(
        std::equal(device(0).mac.begin(), device(0).mac.end(), reaction.answers[0].begin() + 24));
    EXPECT_EQ(reaction.answers[0][30], 0);
    EXPECT_TRUE(reaction.settingsApplied);

    const DeviceSettings& s = device(0).settings;
    EXPECT_EQ(s.ipMode, 1);
    EXPECT_EQ(s.ip, (Ipv4Address{192, 168, 5, 20}));
    EXPECT_EQ(s.netmask, (Ipv4Address{255, 255, 0, 0}));
    EXPECT_EQ(s.gateway, (Ipv4Address{192, 168, 5, 1}));
    EXPECT_EQ(s.name, "Office");
    EXPECT_EQ(s.password, "n3wpass");
    EXPECT_EQ(s.ssid, "HomeNet");
    EXPECT_EQ(s.channel, 3);
    EXPECT_EQ(s.security, kSecurityWep128);
    EXPECT_EQ(s.key, "0123456789ABCDEF0123456789");
    EXPECT_EQ(s.networkMode, 2);
    EXPECT_EQ(device(1).settings, makeDevice(2, "AP-2").settings);

    // The next search announces the new settings, the new password included.
    const Reaction search = send(buildSearchRequest());
    const ParsedSearchAnswer parsed = parseSearchAnswer(search.answers[0]);
    EXPECT_EQ(parsed.device.deviceNameText(), "Office");
    EXPECT_EQ(parsed.device.devicePasswordText(), "n3wpass");
    EXPECT_EQ(parsed.device.ssidText(), "HomeNet");
    // The old password no longer logs in; the new one does.
    EXPECT_EQ(send(auth(device(0), "secret")).answers[0][38], 1);
    EXPECT_EQ(send(auth(device(0), "n3wpass")).answers[0][38], 0);
}

TEST_F(EmulatorTest, WirelessNotEditableKeepsTheWirelessSettings) {
    send(auth(device(0), "secret"));
    const DeviceSettings before = device(0).settings;
    ConfigureSettings state = settingsAfterLogin(device(0));
    state.ipMode = 0;  // DHCP: the address stays as it is
    state.deviceName = "Paired";
    state.wirelessEditable = 0;
    state.securityMode = kSecurityPairing;
    state.ssid = "ignored";
    state.channel = 1;
    const Reaction reaction = send(configure(state));
    EXPECT_EQ(reaction.answers.at(0)[30], 0);
    DeviceSettings expected = before;
    expected.ipMode = 0;
    expected.name = "Paired";
    EXPECT_EQ(device(0).settings, expected);
}

TEST_F(EmulatorTest, RepeatedConfigureIsAnsweredAgainAndChangesNothingMore) {
    send(auth(device(0), "secret"));
    ConfigureSettings state = settingsAfterLogin(device(0));
    state.password = "another";
    const PlainMessage request = configure(state);
    ASSERT_EQ(send(request).answers.at(0)[30], 0);
    const DeviceSettings after = device(0).settings;
    for (int i = 1; i < 5; ++i) {
        const Reaction reaction = send(request, kClient, kStart + i * 7s);
        ASSERT_EQ(reaction.answers.size(), 1u);
        EXPECT_EQ(reaction.answers[0][30], 0);
        EXPECT_EQ(device(0).settings, after);
    }
}

TEST_F(EmulatorTest, ValuesTheDeviceCannotHoldAreRefused) {
    send(auth(device(0), "secret"));
    const DeviceSettings before = device(0).settings;
    auto tryState = [&](auto change) {
        ConfigureSettings state = settingsAfterLogin(device(0));
        state.wirelessEditable = 1;
        change(state);
        return send(configure(state)).answers.at(0)[30];
    };
    EXPECT_EQ(tryState([](ConfigureSettings& s) { s.channel = 0; }), 1);
    EXPECT_EQ(tryState([](ConfigureSettings& s) { s.channel = 14; }), 1);
    EXPECT_EQ(tryState([](ConfigureSettings& s) { s.ssid = std::string(33, 'x'); }), 1);
    EXPECT_EQ(tryState([](ConfigureSettings& s) { s.deviceName = std::string(33, 'x'); }), 1);
    EXPECT_EQ(tryState([](ConfigureSettings& s) { s.password = std::string(33, 'x'); }), 1);
    EXPECT_EQ(tryState([](ConfigureSettings& s) { s.securityMode = 11; }), 1);
    EXPECT_EQ(tryState([](ConfigureSettings& s) { s.networkMode = 3; }), 1);
    EXPECT_EQ(device(0).settings, before);
    // The limits themselves are taken.
    EXPECT_EQ(tryState([](ConfigureSettings& s) {
                  s.ssid = std::string(32, 's');
                  s.password = std::string(32, 'p');
                  s.channel = 13;
              }),
              0);
}

TEST_F(EmulatorTest, ConfigureLogNamesEveryFieldInReadableForm) {
    send(auth(device(0), "secret"));
    ConfigureSettings state = settingsAfterLogin(device(0));
    state.deviceName = "B\xFCro";  // Latin-1 u umlaut
    state.wirelessEditable = 1;
    state.securityMode = kSecurityWep64;
    state.key = "ABCDEF0123";
    const Reaction reaction = send(configure(state));
    const auto& log = reaction.log;
    EXPECT_EQ(log["kind"], "configure");
    EXPECT_EQ(log["from"], "10.81.0.1");
    EXPECT_EQ(log["mac"], "02-81-00-00-00-01");
    EXPECT_EQ(log["ip"], "10.81.0.11");
    EXPECT_EQ(log["netmask"], "255.255.255.0");
    EXPECT_EQ(log["gateway"], "10.81.0.1");
    EXPECT_EQ(log["deviceName"], "B\xC3\xBCro");  // as UTF-8
    EXPECT_EQ(log["password"], "secret");
    EXPECT_EQ(log["wirelessEditable"], 1);
    EXPECT_EQ(log["ssid"], "net-AP-1");
    EXPECT_EQ(log["securityMode"], 1);
    EXPECT_EQ(log["key"], "ABCDEF0123");
    EXPECT_EQ(log["auxName"], "aux");
    EXPECT_EQ(log["auxKeyBlock"], "");
    EXPECT_EQ(log["result"], "applied");
    EXPECT_EQ(device(0).settings.name, "B\xFCro");
    for (const char* field : {"ipMode", "auxAttr", "auxKeyCode", "channel", "networkMode"}) {
        EXPECT_TRUE(log.contains(field)) << field;
    }
}

// ---- Behaviour switches ---------------------------------------------------------------------

// The requests of the wizard to a device, the answer each gets, and where that answer's
// status (or pairing state) lies.
struct Request {
    PlainMessage (*build)(const EmulatedDevice&);
    MessageKind answer;
    std::size_t statusAt;
};
const Request kSearch{[](const EmulatedDevice&) { return buildSearchRequest(); },
                      MessageKind::SearchAnswer, 0};
const Request kLogin{[](const EmulatedDevice& d) { return auth(d, "secret"); },
                     MessageKind::AuthAnswer, 38};
const Request kCheck{[](const EmulatedDevice& d) { return buildCheckBPSRequest(d.mac); },
                     MessageKind::CheckBPSAnswer, 30};
const Request kRename{[](const EmulatedDevice& d) {
                          ConfigureSettings state = settingsAfterLogin(d);
                          state.deviceName = "changed";
                          return configure(state);
                      },
                      MessageKind::ConfigureAnswer, 30};

struct Switched {
    const char* what;
    Behaviour behaviour;
    Request request;
    std::size_t answers;  // all copies of one answer
    int status;           // the last answer's status or pairing state; -1: not looked at
    bool applied;         // the new name was taken
};

void PrintTo(const Switched& row, std::ostream* os) {
    *os << row.what;
}

class BehaviourSwitches : public ::testing::TestWithParam<Switched> {};

TEST_P(BehaviourSwitches, ChangeOnlyWhatTheyAreFor) {
    const Switched& row = GetParam();
    Emulator emulator = withBehaviour(row.behaviour);
    const EmulatedDevice device = emulator.devices()[0];
    emulator.handlePlain(auth(device, "secret"), kClient, kStart);  // the right to configure
    const Reaction reaction = emulator.handlePlain(row.request.build(device), kClient, kStart);
    ASSERT_EQ(reaction.answers.size(), row.answers) << row.what;
    for (const PlainMessage& answer : reaction.answers) {
        EXPECT_EQ(classify(answer), row.request.answer) << row.what;
        EXPECT_EQ(answer, reaction.answers[0]) << row.what;  // copies are the same
    }
    if (row.status >= 0) {
        EXPECT_EQ(reaction.answers.back()[row.request.statusAt], row.status) << row.what;
    }
    EXPECT_EQ(emulator.devices()[0].settings.name, row.applied ? "changed" : "AP-1") << row.what;
    EXPECT_EQ(reaction.settingsApplied, row.applied) << row.what;
}

INSTANTIATE_TEST_SUITE_P(
    Table, BehaviourSwitches,
    ::testing::Values(
        Switched{"silent search", {.silent = true}, kSearch, 0, -1, false},
        Switched{"search twice", {.answerTwice = true}, kSearch, 2, -1, false},
        Switched{"refused login", {.refusePassword = true}, kLogin, 1, 1, false},
        Switched{"silent login", {.silent = true}, kLogin, 0, -1, false},
        Switched{"login twice", {.answerTwice = true}, kLogin, 2, 0, false},
        Switched{"managed", {.pairingManaged = true}, kCheck, 1, 1, false},
        Switched{"silent managed", {.pairingManaged = true, .silent = true}, kCheck, 0, -1, false},
        Switched{"check twice", {.answerTwice = true}, kCheck, 2, 0, false},
        Switched{
            "refused login, no right to configure", {.refusePassword = true}, kRename, 1, 1, false},
        Switched{"silent configure", {.silent = true}, kRename, 0, -1, false},
        Switched{
            "never acknowledges but applies", {.neverAcknowledge = true}, kRename, 0, -1, true},
        Switched{"configure twice", {.answerTwice = true}, kRename, 2, 0, true},
        // Deaf to the pairing check only: every other request is answered as ever.
        Switched{"deaf check",
                 {.pairingManaged = true, .ignorePairingCheck = true},
                 kCheck,
                 0,
                 -1,
                 false},
        Switched{"deaf search", {.ignorePairingCheck = true}, kSearch, 1, -1, false},
        Switched{"deaf login", {.ignorePairingCheck = true}, kLogin, 1, 0, false},
        Switched{"deaf configure", {.ignorePairingCheck = true}, kRename, 1, 0, true}));

TEST(EmulatorLog, UnansweredRequestsAreStillLogged) {
    Emulator silent = withBehaviour({.silent = true});
    EXPECT_EQ(silent.handlePlain(buildSearchRequest(), kClient, kStart).log["kind"], "search");
    Emulator deaf = withBehaviour({.ignorePairingCheck = true});
    const Reaction check =
        deaf.handlePlain(buildCheckBPSRequest(deaf.devices()[0].mac), kClient, kStart);
    EXPECT_EQ(check.log["kind"], "check-bps");
    EXPECT_EQ(check.log["note"], "the device ignores the pairing check");
    Emulator twice = withBehaviour({.answerTwice = true});
    EXPECT_EQ(twice.handlePlain(buildSearchRequest(), kClient, kStart).log["answers"][0]["copies"],
              2);
}

// ---- What is not a request ------------------------------------------------------------------

TEST_F(EmulatorTest, AnswersHeardBackAreIgnoredAndNotLogged) {
    const Reaction search = send(buildSearchRequest());
    for (const PlainMessage& answer : {search.answers[0], buildAuthAnswer({}, {}, {}, 0),
                                       buildConfigureAnswer({}, 0), buildCheckBPSAnswer({}, 1)}) {
        const Reaction reaction = send(answer);
        EXPECT_TRUE(reaction.answers.empty());
        EXPECT_TRUE(reaction.log.is_null());
    }
}

TEST_F(EmulatorTest, JunkIsLoggedAsUnknownAndNotAnswered) {
    PlainMessage junk{};
    junk[0] = 'H';
    junk[1] = 0x01;
    const Reaction reaction = send(junk);
    EXPECT_TRUE(reaction.answers.empty());
    EXPECT_EQ(reaction.log["kind"], "unknown");
    EXPECT_EQ(reaction.log["tag"].get<std::string>().substr(0, 5), "H\\x01");
}

TEST_F(EmulatorTest, SealedDatagramsAreHandledLikePlainMessages) {
    const Datagram sealed = sealPacket(buildCheckBPSRequest(device(0).mac));
    const Reaction reaction = emulator.handleDatagram(sealed, kClient, kStart);
    ASSERT_EQ(reaction.answers.size(), 1u);
    EXPECT_EQ(classify(reaction.answers[0]), MessageKind::CheckBPSAnswer);
    EXPECT_EQ(reaction.log["size"], 641);
    EXPECT_EQ(lastField(reaction.log),
              std::pair(std::string("plain"),
                        nlohmann::ordered_json(lowerHex(buildCheckBPSRequest(device(0).mac)))));
}

TEST_F(EmulatorTest, EveryLoggedRequestEndsWithItsWholeMessage) {
    PlainMessage junk{};
    junk[0] = 'Z';
    junk[kPlainSize - 1] = 0xAB;
    ConfigureSettings state = settingsAfterLogin(device(1));
    state.deviceName = "renamed";
    for (const PlainMessage& request :
         {buildSearchRequest(), auth(device(1), "secret"), buildCheckBPSRequest(device(1).mac),
          configure(state), junk}) {
        const Reaction reaction = send(request);
        const auto [key, value] = lastField(reaction.log);
        EXPECT_EQ(key, "plain") << reaction.log["kind"];
        EXPECT_EQ(value, lowerHex(request)) << reaction.log["kind"];
        EXPECT_EQ(value.get<std::string>().size(), 2 * kPlainSize);
    }
}

TEST_F(EmulatorTest, DatagramsOfAnySizeAndContentNeverCrash) {
    std::mt19937 random(81);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<std::size_t> size(0, kReceiveBufferSize);
    const std::string_view tags[] = {tag::kSearchRequest, tag::kAuthRequest, tag::kConfigureRequest,
                                     tag::kCheckBPSRequest};
    send(auth(device(0), "secret"));
    for (int round = 0; round < 3000; ++round) {
        std::vector<std::uint8_t> datagram(size(random));
        for (auto& b : datagram) {
            b = static_cast<std::uint8_t>(byte(random));
        }
        emulator.handleDatagram(datagram, kClient, kStart);
        // Request tags with random payloads reach the parsers.
        PlainMessage plain{};
        for (auto& b : plain) {
            b = static_cast<std::uint8_t>(byte(random));
        }
        const std::string_view tagText = tags[round % 4];
        std::copy(tagText.begin(), tagText.end(), plain.begin());
        if (round % 8 == 2) {  // aim at the first device, which is logged in
            std::copy(device(0).mac.begin(), device(0).mac.end(), plain.begin() + 24);
        }
        const Reaction reaction = emulator.handleDatagram(sealPacket(plain), kClient, kStart);
        EXPECT_LE(reaction.answers.size(), 2u);
    }
    // Whatever was applied can still be announced and saved.
    for (const EmulatedDevice& d : emulator.devices()) {
        EXPECT_EQ(parseSearchAnswer(searchAnswerFor(d)).outcome, SearchAnswerParse::Stored);
    }
    std::vector<EmulatedDevice> reloaded = {makeDevice(1, "AP-1"), makeDevice(2, "AP-2")};
    ASSERT_TRUE(applyState(stateText(emulator.devices()), reloaded).ok());
    for (std::size_t i = 0; i < reloaded.size(); ++i) {
        EXPECT_EQ(reloaded[i].settings, emulator.devices()[i].settings);
    }
}

}  // namespace
}  // namespace trv81k::emulator
