#include "l10n/language.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/system_language.h"
#include "temp_dir.h"

namespace trv81k {
namespace {

TEST(GetLanguageSection, TableIdentifiers) {
    for (std::uint16_t id : {0x0407, 0x0807, 0x0C07, 0x1007, 0x1407}) {
        EXPECT_EQ(GetLanguageSection(id), "German") << std::hex << id;
    }
    for (std::uint16_t id : {0x040C, 0x080C, 0x0C0C, 0x100C, 0x140C, 0x180C}) {
        EXPECT_EQ(GetLanguageSection(id), "French") << std::hex << id;
    }
    for (std::uint16_t id :
         {0x0409, 0x0809, 0x0C09, 0x1009, 0x1409, 0x1809, 0x1C09, 0x2009, 0x2409, 0x2809, 0x2C09}) {
        EXPECT_EQ(GetLanguageSection(id), "English") << std::hex << id;
    }
}

TEST(GetLanguageSection, VariantsOutsideTheTableFallToEnglish) {
    // Next sublanguage after the last listed one, neutral and custom ids, other languages.
    for (std::uint16_t id : {0x1807, 0x0007, 0x1C07, 0x200C, 0x1C0C, 0x000C, 0x3009, 0x0416, 0x0816,
                             0x0410, 0x0000, 0x1000, 0x0400, 0xFFFF, 0x8407, 0x840C}) {
        EXPECT_EQ(GetLanguageSection(id), "English") << std::hex << id;
    }
}

TEST(GetLanguageSection, WholeIdentifierSpaceHasExactlyTheListedMatches) {
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

// From the system locale file to the section and picture base, as the main window chooses.
TEST(LanguageChoice, SystemLocaleToSectionAndBase) {
    struct Case {
        const char* lang;
        const char* section;
        int base;
    };
    for (const Case& c : {Case{"de_AT.UTF-8", "German", 200}, Case{"pt_BR.UTF-8", "English", 100},
                          Case{"fr_BE.UTF-8", "French", 300}, Case{"fr_RE.UTF-8", "English", 100},
                          Case{"en_ZW.UTF-8", "English", 100}, Case{"de_LI.UTF-8", "German", 200},
                          Case{"fr_MC.UTF-8", "French", 300}, Case{"C", "English", 100}}) {
        testing::TempDir root;
        root.Write("etc/default/locale", std::string("LANG=") + c.lang + "\n");
        const auto section = GetLanguageSection(SystemDefaultLangID(root.path()));
        EXPECT_EQ(section, c.section) << c.lang;
        EXPECT_EQ(LanguageBaseFor(section), c.base) << c.lang;
    }
}

}  // namespace
}  // namespace trv81k
