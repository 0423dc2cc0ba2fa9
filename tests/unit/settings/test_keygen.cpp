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
    const auto bytes = Bytes(passphrase);
    return HexUpper(Wep64KeysFromPassphrase(bytes));
}

std::string Key128Text(std::string_view passphrase) {
    const auto bytes = Bytes(passphrase);
    return HexUpper(Wep128KeyFromPassphrase(bytes));
}

TEST(Wep64Keys, KnownAnswersForAllFourKeys) {
    EXPECT_EQ(Keys64Text("a"), "63CACE42D9F201F42A09D275059AF9B4721C60FD");
    EXPECT_EQ(Keys64Text("secret"), "C93CA31ECADC1124096FAF8C5062BFDD15219276");
    EXPECT_EQ(Keys64Text("0123456789ABCDEF"), "E78B0324176C51A68B5DD743611445805964F3E0");
}

TEST(Wep64Keys, BytesAbove127CountUnsigned) {
    EXPECT_EQ(Keys64Text("Passw\xF6rt"), "BD013E1BBD5A66488164857696892B83B1B85DF1");
    EXPECT_EQ(Keys64Text("\xFF"), "67935AD6DF79F846EA8789A4DCCAB38E2DED461F");
    EXPECT_EQ(Wep64KeyText("\xE9t\xE9"), "33377702EE");
}

TEST(Wep64Keys, CharactersThatCancelInTheSeedGiveTheSameKeys) {
    // Each seed byte receives 'w', 'x', 'y' or 'z' twice.
    EXPECT_EQ(Keys64Text("secretwxyzwxyz"), Keys64Text("secret"));
    // A four-character passphrase written twice folds to the seed 0, like no passphrase.
    EXPECT_EQ(Keys64Text("abcdabcd"), "2627F6859715AD1DD294DDC476193931F1ADB558");
    EXPECT_EQ(Keys64Text(""), Keys64Text("abcdabcd"));
    EXPECT_NE(Keys64Text("abcdabcd"), Keys64Text("abcd"));
}

TEST(Wep128Key, KnownAnswers) {
    EXPECT_EQ(Key128Text("secret"), "1C064922046D6517DFEF3B7EF3");
    EXPECT_EQ(Key128Text("0123456789ABCDEF"), "E889D82DD111D6315D7B1EDCE2");
    // One character fills the whole block: MD5 of 64 times 'a'.
    EXPECT_EQ(Key128Text("a"), "014842D480B571495A4A036379");
}

TEST(Wep128Key, BytesAbove127CountUnsigned) {
    EXPECT_EQ(Key128Text("Passw\xF6rt"), "06B19FD823B3FFAE20B60DE78C");
    // Three bytes do not divide 64: the last repetition is cut after one byte.
    EXPECT_EQ(Key128Text("\xE9t\xE9"), "1E2C0D0E4CDD740840BB517EB3");
    EXPECT_EQ(Key128Text("\xFF"), "AABD2B2A451504E119A243D8E7");
}

TEST(Wep128Key, APassphraseAndItsDoubleGiveTheSameKey) {
    EXPECT_EQ(Key128Text("secretsecret"), Key128Text("secret"));
    EXPECT_EQ(Key128Text("abcdabcd"), Key128Text("abcd"));
    EXPECT_EQ(Key128Text("abcdabcd"), "386F81FD57366030AE7EA0392A");
    EXPECT_EQ(Key128Text("aa"), Key128Text("a"));
}

TEST(Wep128Key, EmptyPassphraseGivesZerosInsteadOfDividingByZero) {
    EXPECT_EQ(Key128Text(""), std::string(26, '0'));
}

TEST(WepKeyText, KeyOneOnlyAndLeadingZerosKept) {
    EXPECT_EQ(Wep64KeyText("secret"), "C93CA31ECA");
    EXPECT_EQ(Wep64KeyText("ah"), "020EA4E396");
    EXPECT_EQ(Wep128KeyText("aa"), "014842D480B571495A4A036379");
    for (const std::string_view passphrase : {"x", "ah", "Passw\xF6rt", "0123456789ABCDEF"}) {
        EXPECT_EQ(Wep64KeyText(passphrase).size(), 10u) << passphrase;
        EXPECT_EQ(Wep128KeyText(passphrase).size(), 26u) << passphrase;
    }
}

TEST(WepKeyText, EmptyPassphraseGivesEmptyText) {
    EXPECT_EQ(Wep64KeyText(""), "");
    EXPECT_EQ(Wep128KeyText(""), "");
}

TEST(WepKeyText, LongPassphraseStaysInBounds) {
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
