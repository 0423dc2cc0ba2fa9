#include "settings/validators.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <string_view>

namespace trv81k {
namespace {

using Bytes = std::array<std::uint8_t, 4>;

void ExpectValid(const AddressCheck& check, std::string_view normalised, Bytes bytes) {
    EXPECT_EQ(check.outcome, FieldOutcome::Valid);
    EXPECT_EQ(check.normalised, normalised);
    EXPECT_EQ(check.bytes, bytes);
    EXPECT_TRUE(check.messageKey.empty());
    EXPECT_EQ(check.field, SettingField::None);
}

// A refusal names its message and field, empties the field unless `reset` is false, and leaves
// no value behind.
void ExpectInvalid(const AddressCheck& check, std::string_view message, SettingField focus,
                   std::string_view text, bool reset = true) {
    EXPECT_EQ(check.outcome, FieldOutcome::Invalid) << text;
    EXPECT_FALSE(check.ok()) << text;
    EXPECT_EQ(check.messageKey, message) << text;
    EXPECT_EQ(check.field, focus) << text;
    EXPECT_EQ(check.resetField, reset) << text;
    EXPECT_TRUE(check.normalised.empty()) << text;
    EXPECT_EQ(check.bytes, (Bytes{})) << text;
}

// ---- addresses ----

TEST(ValidateIPText, AcceptsAndNormalisesWithoutOctal) {
    ExpectValid(ValidateIPText("192.168.1.10"), "192.168.1.10", {192, 168, 1, 10});
    ExpectValid(ValidateIPText("192.168.001.010"), "192.168.1.10", {192, 168, 1, 10});
    ExpectValid(ValidateIPText("010.008.0.09"), "10.8.0.9", {10, 8, 0, 9});
    ExpectValid(ValidateIPText("0.1.2.3"), "0.1.2.3", {0, 1, 2, 3});
    ExpectValid(ValidateIPText("255.255.255.254"), "255.255.255.254", {255, 255, 255, 254});
}

TEST(ValidateIPText, RefusesWithMessageFocusAndReset) {
    for (const std::string_view text :
         {"192.168.1.0", "192.168.1.255", "192.168.1.000", "0.0.0.0", "255.255.255.255",
          "192.168.1", "192..168.1", ".192.168.1.1", "192.168.1.1.", "192.168.1.1.1",
          "192.168.1.300", "256.1.1.1", "", ".", "192.168.1.1a", "192.168.1. 1", "-1.2.3.4",
          "192.168.\xB9.1"}) {
        ExpectInvalid(ValidateIPText(text), "INVALID_IP", SettingField::IpAddress, text);
    }
}

TEST(ValidateIPText, LongDigitRunsDoNotWrapIntoRange) {
    // 4294967306 = 2^32 + 10: a 32-bit reading would wrap to 10.
    EXPECT_FALSE(ValidateIPText("192.168.1.4294967306").ok());
    EXPECT_FALSE(ValidateIPText("192.168.99999999999999999999.1").ok());
    ExpectValid(ValidateIPText("00000000000000000000192.168.1.1"), "192.168.1.1", {192, 168, 1, 1});
}

// ---- netmasks ----

TEST(ValidateNetmaskText, AcceptsListedOctetsInAnyOrder) {
    ExpectValid(ValidateNetmaskText("255.255.255.0"), "255.255.255.0", {255, 255, 255, 0});
    ExpectValid(ValidateNetmaskText("255.255.0.0"), "255.255.0.0", {255, 255, 0, 0});
    ExpectValid(ValidateNetmaskText("255.0.255.0"), "255.0.255.0", {255, 0, 255, 0});
    ExpectValid(ValidateNetmaskText("128.0.0.0"), "128.0.0.0", {128, 0, 0, 0});
    ExpectValid(ValidateNetmaskText("255.255.255.252"), "255.255.255.252", {255, 255, 255, 252});
    // Leading zeros are dropped in the first three octets; only the last is compared as typed.
    ExpectValid(ValidateNetmaskText("255.255.000.0"), "255.255.0.0", {255, 255, 0, 0});
    ExpectValid(ValidateNetmaskText("0255.255.255.0"), "255.255.255.0", {255, 255, 255, 0});
}

TEST(ValidateNetmaskText, RefusesEverythingElseWithMessageFocusAndReset) {
    for (const std::string_view text :
         {"0.0.0.0", "0.255.255.0", "255.255.255.255", "255.255.255.1", "255.255.255.000",
          "255.255.255.00", "255.255.255.01", "255.255.1.0", "255.1.0.0", "1.0.0.0", "255.255.255",
          "255.255.255.0.0", "255..255.0", ".255.255.255.0", "255.255.255.0.", "255.255.256.0",
          "255.255.255.256", "", "255.255.99999999999.0", "255.255.255.0128",
          // Each of these would read as a listed mask if a letter merely ended the octet's number.
          "255a.255.255.0", "255.255.0a.0", "255.255.255.0a", "255.2a55.255.0", "255.255.255.a",
          "255 .255.255.0", "255.255.255.0 ", "255.255.255.\xB0", "+255.255.255.0"}) {
        ExpectInvalid(ValidateNetmaskText(text), "INVALID_NETMASK", SettingField::Netmask, text);
    }
}

// ---- the sender's conversion ----

TEST(AddressBytes, AgreesWithTheWindowsValidators) {
    // The sender's conversion and the validators the windows use are one rule.
    for (const std::string_view text :
         {"192.168.1.20", "192.168.001.010", "192.168.1.0", "0.1.2.3", "255.255.255.0",
          "255.0.255.0", "255.255.255.000", "0.0.0.0", "000.0.0.0", "10.0.0.1.", "1..2.3",
          "10.0.0.x", "", "255.255.255.255", "99999999999.1.1.1", "192.168.1.300"}) {
        const auto check = [&](AddressField field, const AddressCheck& validated) {
            const auto bytes = AddressBytes(field, text);
            if (validated.outcome == FieldOutcome::Valid) {
                ASSERT_TRUE(bytes.has_value()) << text;
                EXPECT_EQ(*bytes, validated.bytes) << text;
            } else {
                EXPECT_FALSE(bytes.has_value()) << text;
            }
        };
        check(AddressField::IP, ValidateIPText(text));
        check(AddressField::Netmask, ValidateNetmaskText(text));
        check(AddressField::Gateway, ValidateGatewayText(text));
    }
}

// ---- gateways ----

TEST(ValidateGatewayText, ZeroAddressMeansNoGateway) {
    for (const std::string_view text : {"0.0.0.0", "000.0.0.0", "0.00.000.0000"}) {
        const AddressCheck check = ValidateGatewayText(text);
        EXPECT_EQ(check.outcome, FieldOutcome::None) << text;
        EXPECT_TRUE(check.ok()) << text;
        EXPECT_EQ(check.normalised, "0.0.0.0") << text;
        EXPECT_EQ(check.bytes, (Bytes{})) << text;
        EXPECT_TRUE(check.messageKey.empty()) << text;
    }
}

TEST(ValidateGatewayText, AcceptsAndNormalises) {
    ExpectValid(ValidateGatewayText("192.168.1.1"), "192.168.1.1", {192, 168, 1, 1});
    ExpectValid(ValidateGatewayText("192.168.001.001"), "192.168.1.1", {192, 168, 1, 1});
    ExpectValid(ValidateGatewayText("0.1.2.3"), "0.1.2.3", {0, 1, 2, 3});
}

// A character that is no digit or dot keeps what was typed; every other refusal empties it.
TEST(ValidateGatewayText, RefusesWithOrWithoutReset) {
    for (const std::string_view text : {"192.168.1.a", "gateway", "192.168.1.1 ", "192,168,1,1"}) {
        ExpectInvalid(ValidateGatewayText(text), "INVALID_Gateway", SettingField::Gateway, text,
                      false);
    }
    for (const std::string_view text :
         {"192.168.1", "192..168.1", ".192.168.1.1", "192.168.1.1.", "192.168.1.0", "192.168.1.255",
          "255.255.255.255", "192.168.1.300", "0.0.0", "0.0.0.0.0", "0.0.0.00.", ""}) {
        ExpectInvalid(ValidateGatewayText(text), "INVALID_Gateway", SettingField::Gateway, text);
    }
    // The scan stops at the first fault: a double dot before a letter resets.
    EXPECT_TRUE(ValidateGatewayText("192..a").resetField);
    EXPECT_FALSE(ValidateGatewayText("a..1").resetField);
}

// ---- field checks ----

void ExpectRefused(const FieldCheck& check, std::string_view message, SettingField focus) {
    EXPECT_FALSE(check.ok);
    EXPECT_EQ(check.messageKey, message);
    EXPECT_EQ(check.field, focus);
}

void ExpectPassed(const FieldCheck& check) {
    EXPECT_TRUE(check.ok);
    EXPECT_TRUE(check.messageKey.empty());
    EXPECT_EQ(check.field, SettingField::None);
}

TEST(CheckLengths, PasswordFourToSixteenSsidOneToThirtyTwo) {
    ExpectRefused(CheckDevicePassword(""), "INVALID_PASSWORD", SettingField::DevicePassword);
    ExpectRefused(CheckDevicePassword("abc"), "INVALID_PASSWORD", SettingField::DevicePassword);
    ExpectPassed(CheckDevicePassword("abcd"));
    ExpectPassed(CheckDevicePassword(std::string(16, 'x')));
    ExpectRefused(CheckDevicePassword(std::string(17, 'x')), "INVALID_PASSWORD",
                  SettingField::DevicePassword);
    ExpectRefused(CheckSSID(""), "SSID_ERROR", SettingField::Ssid);
    ExpectPassed(CheckSSID("a"));
    ExpectPassed(CheckSSID(std::string(32, 'n')));
    ExpectRefused(CheckSSID(std::string(33, 'n')), "SSID_ERROR", SettingField::Ssid);
}

// Values a device would store but nobody means: control characters (they cannot be typed) and
// an empty device name. Blanks and Latin-1 letters are ordinary characters.
TEST(CheckTexts, ControlCharactersAndAnEmptyNameAreRefused) {
    for (const std::string_view bad : std::initializer_list<std::string_view>{
             "ab\x1B[2J", "line\nbreak", "del\x7F", "c1\x85x", std::string_view("ab\0cd", 5)}) {
        const std::string text(bad);
        ExpectRefused(CheckDeviceName(text), "CONTROL_CHARACTER_ERROR", SettingField::DeviceName);
        ExpectRefused(CheckSSID(text), "CONTROL_CHARACTER_ERROR", SettingField::Ssid);
        ExpectRefused(CheckDevicePassword(text), "CONTROL_CHARACTER_ERROR",
                      SettingField::DevicePassword);
    }
    ExpectRefused(CheckDeviceName(""), "DEVICE_NAME_ERROR", SettingField::DeviceName);
    ExpectPassed(CheckDeviceName(" Caf\xE9 Hall "));
    ExpectPassed(CheckSSID("my net \xA0"));
    ExpectPassed(CheckDevicePassword("pass word"));
}

TEST(CheckWepKey, LengthThenDigitsForBothSizes) {
    ExpectPassed(CheckWepKey(1, "", "0123456789"));
    ExpectPassed(CheckWepKey(1, "pass", "abcdefABCD"));
    ExpectRefused(CheckWepKey(1, "", "012345678"), "KEY64_ERROR", SettingField::WepKey);
    // Length before digits: nine characters with a G still give the length message.
    ExpectRefused(CheckWepKey(1, "", "G12345678"), "KEY64_ERROR", SettingField::WepKey);
    ExpectRefused(CheckWepKey(1, "", "012345678901"), "KEY64_ERROR", SettingField::WepKey);
    ExpectRefused(CheckWepKey(1, "", "01234G6789"), "KEY64_HEX_ERROR", SettingField::WepKey);
    ExpectRefused(CheckWepKey(1, "", "0123 56789"), "KEY64_HEX_ERROR", SettingField::WepKey);
    // A 128-bit key is the wrong length for 64 bits.
    ExpectRefused(CheckWepKey(1, "", std::string(26, 'A')), "KEY64_ERROR", SettingField::WepKey);
    // 128 bits.
    ExpectPassed(CheckWepKey(2, "", "0123456789abcdefABCDEF0123"));
    ExpectRefused(CheckWepKey(2, "", std::string(25, 'A')), "KEY128_ERROR", SettingField::WepKey);
    ExpectRefused(CheckWepKey(2, "", "0123456789"), "KEY128_ERROR", SettingField::WepKey);
    ExpectRefused(CheckWepKey(2, "", "0123456789abcdefABCDEF012g"), "KEY128_HEX_ERROR",
                  SettingField::WepKey);
    // The passphrase's length comes first; codes other than 1 and 2 have no WEP checks.
    ExpectPassed(CheckWepKey(1, std::string(16, 'p'), "0123456789"));
    ExpectRefused(CheckWepKey(1, std::string(17, 'p'), "bad"), "INVALID_PASSPHRASE",
                  SettingField::Passphrase);
    ExpectRefused(CheckWepKey(2, std::string(17, 'p'), "0123456789abcdefABCDEF0123"),
                  "INVALID_PASSPHRASE", SettingField::Passphrase);
    ExpectPassed(CheckWepKey(0, std::string(17, 'p'), ""));
    ExpectPassed(CheckWepKey(3, "", "xyz"));
}

TEST(CheckPreSharedKey, LengthThenHexWhenSixtyFour) {
    ExpectRefused(CheckPreSharedKey(""), "INVALID_PSK_LENGTH", SettingField::PreSharedKey);
    ExpectRefused(CheckPreSharedKey("1234567"), "INVALID_PSK_LENGTH", SettingField::PreSharedKey);
    ExpectPassed(CheckPreSharedKey("  a b  !"));
    ExpectPassed(CheckPreSharedKey(std::string(63, '#')));
    std::string hex64;
    for (int i = 0; i < 4; ++i) {
        hex64 += "0123456789abcdef";
    }
    ExpectPassed(CheckPreSharedKey(hex64));
    hex64[40] = 'g';
    ExpectRefused(CheckPreSharedKey(hex64), "INVALID_PSK_KEY", SettingField::PreSharedKey);
    ExpectRefused(CheckPreSharedKey(std::string(65, 'a')), "INVALID_PSK_LENGTH",
                  SettingField::PreSharedKey);
}

TEST(CheckKeysForMode, DispatchesBySecurityCode) {
    const std::string badPassphrase(17, 'p');
    const std::string badPsk = "short";
    for (const int mode : {1, 2}) {
        ExpectRefused(CheckKeysForMode(mode, badPassphrase, "", badPsk), "INVALID_PASSPHRASE",
                      SettingField::Passphrase);
    }
    ExpectPassed(CheckKeysForMode(1, "", "0123456789", badPsk));
    ExpectPassed(CheckKeysForMode(2, "", "0123456789abcdefABCDEF0123", badPsk));
    for (const int mode : {3, 4, 8, 9, 10}) {
        ExpectRefused(CheckKeysForMode(mode, badPassphrase, "", badPsk), "INVALID_PSK_LENGTH",
                      SettingField::PreSharedKey);
        ExpectPassed(CheckKeysForMode(mode, badPassphrase, "", "longenough"));
    }
    for (const int mode : {-1, 0, 5, 6, 7, 11, 12}) {
        ExpectPassed(CheckKeysForMode(mode, badPassphrase, "", badPsk));
    }
}

// ---- key filters ----

TEST(KeyFilters, AddressFieldsAndHexKeys) {
    for (const char c : std::string_view("0123456789.\b")) {
        EXPECT_TRUE(IsAddressFieldChar(c)) << int(c);
    }
    for (const char c : std::string_view("a/:- ,\x16\x03\xB9")) {
        EXPECT_FALSE(IsAddressFieldChar(c)) << int(c);
    }
    for (const char c : std::string_view("0123456789abcdefABCDEF\b")) {
        EXPECT_TRUE(IsHexKeyChar(c)) << int(c);
    }
    // G, blank, the copy / paste / cut / undo control characters, a Latin-1 letter.
    for (const char c : std::string_view("gG .\x03\x16\x18\x1A\xE9")) {
        EXPECT_FALSE(IsHexKeyChar(c)) << int(c);
    }
    EXPECT_TRUE(IsHexText("09afAF"));
    EXPECT_TRUE(IsHexText(""));
    EXPECT_FALSE(IsHexText("09af\b"));
    EXPECT_FALSE(IsHexText("x"));
}

}  // namespace
}  // namespace trv81k
