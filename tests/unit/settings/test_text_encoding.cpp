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
