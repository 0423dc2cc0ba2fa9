#include "settings/keygen.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace trv81k {
namespace {

// Known answers computed outside this code: the 64-bit keys with a few lines of python3 (seed
// folding and the 214013 / 2531011 generator), the 128-bit keys with md5sum over the repeated
// passphrase (the first 26 hex digits of the digest).

std::vector<std::uint8_t> Bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

std::string Keys64Text(std::string_view passphrase) {
    return HexUpper(Wep64KeysFromPassphrase(Bytes(passphrase)));
}

std::string Key128Text(std::string_view passphrase) {
    return HexUpper(Wep128KeyFromPassphrase(Bytes(passphrase)));
}

// The text forms show key 1 of the four 64-bit keys and the whole 128-bit key, leading zeros
// kept; bytes above 127 count unsigned.
TEST(WepKeys, KnownAnswers) {
    const struct {
        std::string_view passphrase;
        std::string_view keys64;  // all four keys, or key 1 alone
        std::string_view key128;  // "": not looked at
    } cases[] = {
        {"a", "63CACE42D9F201F42A09D275059AF9B4721C60FD", "014842D480B571495A4A036379"},
        {"secret", "C93CA31ECADC1124096FAF8C5062BFDD15219276", "1C064922046D6517DFEF3B7EF3"},
        {"0123456789ABCDEF", "E78B0324176C51A68B5DD743611445805964F3E0",
         "E889D82DD111D6315D7B1EDCE2"},
        {"Passw\xF6rt", "BD013E1BBD5A66488164857696892B83B1B85DF1", "06B19FD823B3FFAE20B60DE78C"},
        {"\xFF", "67935AD6DF79F846EA8789A4DCCAB38E2DED461F", "AABD2B2A451504E119A243D8E7"},
        // Three bytes do not divide 64: the last repetition is cut after one byte.
        {"\xE9t\xE9", "33377702EE", "1E2C0D0E4CDD740840BB517EB3"},
        // A four-character passphrase written twice folds to the seed 0.
        {"abcdabcd", "2627F6859715AD1DD294DDC476193931F1ADB558", "386F81FD57366030AE7EA0392A"},
        {"ah", "020EA4E396", ""},
    };
    for (const auto& c : cases) {
        if (c.keys64.size() == 40) {
            EXPECT_EQ(Keys64Text(c.passphrase), c.keys64) << c.passphrase;
        }
        EXPECT_EQ(Wep64KeyText(c.passphrase), c.keys64.substr(0, 10)) << c.passphrase;
        if (!c.key128.empty()) {
            EXPECT_EQ(Key128Text(c.passphrase), c.key128) << c.passphrase;
            EXPECT_EQ(Wep128KeyText(c.passphrase), c.key128) << c.passphrase;
        }
    }
}

TEST(Wep64Keys, CharactersThatCancelInTheSeedGiveTheSameKeys) {
    // Each seed byte receives 'w', 'x', 'y' or 'z' twice.
    EXPECT_EQ(Keys64Text("secretwxyzwxyz"), Keys64Text("secret"));
    // Seed 0, like no passphrase; but not like the four characters once.
    EXPECT_EQ(Keys64Text(""), Keys64Text("abcdabcd"));
    EXPECT_NE(Keys64Text("abcdabcd"), Keys64Text("abcd"));
}

TEST(Wep128Key, APassphraseAndItsDoubleGiveTheSameKey) {
    EXPECT_EQ(Key128Text("secretsecret"), Key128Text("secret"));
    EXPECT_EQ(Key128Text("abcdabcd"), Key128Text("abcd"));
    EXPECT_EQ(Key128Text("aa"), Key128Text("a"));
}

// The byte form gives zeros instead of dividing by zero; the text form is empty, as for 64 bits.
TEST(WepKeys, EmptyPassphrase) {
    EXPECT_EQ(Key128Text(""), std::string(26, '0'));
    EXPECT_EQ(Wep64KeyText(""), "");
    EXPECT_EQ(Wep128KeyText(""), "");
}

TEST(WepKeys, LongPassphraseStaysInBounds) {
    // Longer than the field allows and longer than the 64-byte block: only the first 64
    // bytes reach the block; the seed folds all of them.
    const std::string longText(104, 'q');
    EXPECT_EQ(Wep128KeyText(longText), Wep128KeyText("q"));
    EXPECT_EQ(Wep64KeyText(longText), "2627F68597");  // 104 = 26 x 4: all cancel to seed 0
}

TEST(HexUpper, TwoUpperCaseDigitsPerByte) {
    const std::vector<std::uint8_t> bytes = {0x00, 0x0A, 0xAB, 0xFF};
    EXPECT_EQ(HexUpper(bytes), "000AABFF");
    EXPECT_EQ(HexUpper({}), "");
}

}  // namespace
}  // namespace trv81k
