#include "l10n/language.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace trv81k {
namespace {

// The listed identifiers, and nothing else in the whole identifier space (neutral and custom
// ids, the next sublanguages, other languages), give German or French.
TEST(GetLanguageSection, ExactlyTheListedIdentifiers) {
    for (std::uint16_t id : {0x0407, 0x0807, 0x0C07, 0x1007, 0x1407}) {
        EXPECT_EQ(GetLanguageSection(id), "German") << std::hex << id;
    }
    for (std::uint16_t id : {0x040C, 0x080C, 0x0C0C, 0x100C, 0x140C, 0x180C}) {
        EXPECT_EQ(GetLanguageSection(id), "French") << std::hex << id;
    }
    int german = 0;
    int french = 0;
    for (std::uint32_t id = 0; id <= 0xFFFF; ++id) {
        const auto section = GetLanguageSection(static_cast<std::uint16_t>(id));
        german += section == "German";
        french += section == "French";
        ASSERT_TRUE(section == "German" || section == "French" || section == "English");
    }
    EXPECT_EQ(german, 5);
    EXPECT_EQ(french, 6);
}

TEST(LanguageBaseFor, ExactCaseSensitiveNames) {
    EXPECT_EQ(LanguageBaseFor("English"), 100);
    EXPECT_EQ(LanguageBaseFor("German"), 200);
    EXPECT_EQ(LanguageBaseFor("French"), 300);
    EXPECT_EQ(LanguageBaseFor("english"), 0);
    EXPECT_EQ(LanguageBaseFor("German "), 0);
    EXPECT_EQ(LanguageBaseFor(""), 0);
    EXPECT_EQ(LanguageBaseFor("Spanish"), 0);
}

}  // namespace
}  // namespace trv81k
