#include "settings/text_encoding.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace trv81k {
namespace {

TEST(Utf8ToLatin1, ConvertsLatin1CharactersAndRefusesOthers) {
    EXPECT_EQ(Utf8ToLatin1("plain ASCII"), "plain ASCII");
    EXPECT_EQ(Utf8ToLatin1(""), "");
    EXPECT_EQ(Utf8ToLatin1("Passw\xC3\xB6rt"), "Passw\xF6rt");
    EXPECT_EQ(Utf8ToLatin1("\xC2\x80\xC2\xA0\xC3\xBF"), "\x80\xA0\xFF");
    EXPECT_EQ(Utf8ToLatin1(std::string_view("a\0b", 3)), std::string("a\0b", 3));
    EXPECT_FALSE(Utf8ToLatin1("\xC4\x80").has_value());          // U+0100
    EXPECT_FALSE(Utf8ToLatin1("10 \xE2\x82\xAC").has_value());   // euro sign
    EXPECT_FALSE(Utf8ToLatin1("\xF0\x9F\x98\x80").has_value());  // emoji
}

TEST(Utf8ToLatin1, RefusesMalformedUtf8) {
    for (const std::string_view text : {
             "\xF6",              // a Latin-1 byte, not UTF-8
             "\x80",              // stray continuation byte
             "\xC3",              // truncated at the end
             "\xC3(",             // lead byte without continuation
             "\xC1\xBF",          // overlong 'DEL'
             "\xC0\x80",          // overlong NUL
             "\xE0\x80\xA9",      // overlong three-byte form of U+0029
             "\xE0\x83\xA9",      // overlong three-byte form of U+00E9
             "\xED\xA0\x80",      // surrogate
             "\xF4\x90\x80\x80",  // above U+10FFFF
             "\xF8\x88\x80\x80\x80",
             "\xFF",
         }) {
        EXPECT_FALSE(Utf8ToLatin1(text).has_value()) << testing::PrintToString(text);
    }
}

TEST(Latin1ToUtf8, EncodesHighBytesAsTwoAndRoundTripsEveryByte) {
    EXPECT_EQ(Latin1ToUtf8("abc"), "abc");
    EXPECT_EQ(Latin1ToUtf8("Passw\xF6rt"), "Passw\xC3\xB6rt");
    EXPECT_EQ(Latin1ToUtf8("\x80\xFF"), "\xC2\x80\xC3\xBF");
    std::string all;
    for (int b = 0; b < 256; ++b) {
        all.push_back(static_cast<char>(b));
    }
    EXPECT_EQ(Utf8ToLatin1(Latin1ToUtf8(all)), all);
}

}  // namespace
}  // namespace trv81k

namespace trv81k {

// What a hostile device or file may put into a name: OSC titles, screen clears, clipboard
// writes (OSC 52), C1 controls in UTF-8 and broken bytes. None of it reaches a terminal.
TEST(TerminalText, LeavesNoEscapeSequenceAndKeepsOrdinaryText) {
    const std::string hostile =
        "\x1B]0;owned\x07|\x1B[2J|\x1B]52;c;aGk=\x07|\xC2\x9B"
        "31m|\x7F|\xFF|\xC3\xA9t\xC3\xA9";
    const std::string safe = TerminalText(hostile);
    EXPECT_EQ(safe.find('\x1B'), std::string::npos);
    EXPECT_EQ(safe.find('\x07'), std::string::npos);
    EXPECT_EQ(safe, "?]0;owned?|?[2J|?]52;c;aGk=?|?31m|?|?|\xC3\xA9t\xC3\xA9");
    EXPECT_EQ(TerminalLatin1("a\x7F\x85\xA0\x1B"), "a??\xC2\xA0?");
    EXPECT_EQ(TerminalText("Hall 2, \xE2\x82\xAC 5"), "Hall 2, \xE2\x82\xAC 5");
}

TEST(ShownValue, CutsLongValuesOnACharacterBoundary) {
    EXPECT_EQ(ShownValue("short"), "short");
    const std::string huge(1 << 20, 'v');
    EXPECT_EQ(ShownValue(huge, 10), "vvvvvvvvvv...");
    // Ten two-byte characters and more: the cut never splits one.
    std::string accents;
    for (int i = 0; i < 12; ++i) {
        accents += "\xC3\xA9";
    }
    EXPECT_EQ(ShownValue(accents, 10), accents.substr(0, 20) + "...");
    EXPECT_EQ(ShownValue("a\x1B"
                         "b",
                         10),
              "a?b");
}

TEST(HasControlCharacter, FindsC0DelAndC1ButNotLatin1Letters) {
    for (const std::string_view text : std::initializer_list<std::string_view>{
             "a\nb", "\x1B", "x\x7F", "\x85", std::string_view("a\0b", 3)}) {
        EXPECT_TRUE(HasControlCharacter(text)) << testing::PrintToString(std::string(text));
    }
    EXPECT_FALSE(HasControlCharacter("Caf\xE9 \xA0 Hall-2"));
}

}  // namespace trv81k
