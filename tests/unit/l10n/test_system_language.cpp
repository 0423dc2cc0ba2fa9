#include "platform/system_language.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <string>

#include "temp_dir.h"

namespace trv81k {
namespace {

TEST(LangIdFromLocaleName, WindowsIdentifiersOfKnownLocales) {
    struct Case {
        const char* locale;
        std::uint16_t id;
    };
    for (const Case& c : {
             Case{"de_DE", 0x0407}, Case{"de_CH", 0x0807},          Case{"de_AT", 0x0C07},
             Case{"de_LU", 0x1007}, Case{"de_LI", 0x1407},          Case{"en_US", 0x0409},
             Case{"en_GB", 0x0809}, Case{"en_AU", 0x0C09},          Case{"en_CA", 0x1009},
             Case{"en_NZ", 0x1409}, Case{"en_IE", 0x1809},          Case{"en_ZA", 0x1C09},
             Case{"en_JM", 0x2009}, Case{"en_BZ", 0x2809},          Case{"en_TT", 0x2C09},
             Case{"en_ZW", 0x3009}, Case{"en_PH", 0x3409},          Case{"en_IN", 0x4009},
             Case{"fr_FR", 0x040C}, Case{"fr_BE", 0x080C},          Case{"fr_CA", 0x0C0C},
             Case{"fr_CH", 0x100C}, Case{"fr_LU", 0x140C},          Case{"fr_MC", 0x180C},
             Case{"fr_RE", 0x200C}, Case{"pt_BR", 0x0416},          Case{"pt_PT", 0x0816},
             Case{"es_ES", 0x0C0A}, Case{"it_IT", 0x0410},          Case{"nl_NL", 0x0413},
             Case{"nl_BE", 0x0813}, Case{"ja_JP", 0x0411},          Case{"zh_CN", 0x0804},
             Case{"ru_RU", 0x0419}, Case{"pl_PL", 0x0415},          Case{"sr_RS@latin", 0x241A},
             Case{"sr_RS", 0x281A}, Case{"ca_ES@valencia", 0x0803},
         }) {
        EXPECT_EQ(LangIdFromLocaleName(c.locale), c.id) << c.locale;
    }
}

TEST(LangIdFromLocaleName, CodesetModifierCaseAndSeparators) {
    EXPECT_EQ(LangIdFromLocaleName("de_AT.UTF-8"), 0x0C07);
    EXPECT_EQ(LangIdFromLocaleName("de_DE@euro"), 0x0407);
    EXPECT_EQ(LangIdFromLocaleName("de_DE.ISO-8859-15@euro"), 0x0407);
    EXPECT_EQ(LangIdFromLocaleName("DE_at.utf8"), 0x0C07);
    EXPECT_EQ(LangIdFromLocaleName("fr-CA"), 0x0C0C);
}

TEST(LangIdFromLocaleName, FallBacks) {
    // Language alone: its principal identifier.
    EXPECT_EQ(LangIdFromLocaleName("de"), 0x0407);
    EXPECT_EQ(LangIdFromLocaleName("fr.UTF-8"), 0x040C);
    EXPECT_EQ(LangIdFromLocaleName("en"), 0x0409);
    // Pairs Windows has no identifier for, and unknown languages.
    EXPECT_EQ(LangIdFromLocaleName("de_BE.UTF-8"), kLangIdCustomUnspecified);
    EXPECT_EQ(LangIdFromLocaleName("de_IT"), kLangIdCustomUnspecified);
    EXPECT_EQ(LangIdFromLocaleName("en_DK.UTF-8"), kLangIdCustomUnspecified);
    EXPECT_EQ(LangIdFromLocaleName("xx_YY"), kLangIdCustomUnspecified);
    // No locale at all: neutral English.
    for (const char* neutral : {"C", "POSIX", "C.UTF-8", "C.utf8", "", "../../etc/passwd", "d",
                                "deutsch_DE", "de_D3", "\xC3\xA9_FR"}) {
        EXPECT_EQ(LangIdFromLocaleName(neutral), kLangIdEnglishUnitedStates) << neutral;
    }
}

TEST(SystemLocaleName, ShellAssignmentSyntax) {
    struct Case {
        const char* file;
        const char* expected;
    };
    for (const Case& c : {
             Case{"LANG=de_AT.UTF-8\n", "de_AT.UTF-8"},
             Case{"LANG=\"fr_BE.UTF-8\"\n", "fr_BE.UTF-8"},
             Case{"LANG='en_GB.UTF-8'\n", "en_GB.UTF-8"},
             Case{"# LANG=fr_FR.UTF-8\n\n   \nLANG=de_DE@euro\n", "de_DE@euro"},
             Case{"export LANG=de_CH.UTF-8\n", "de_CH.UTF-8"},
             Case{"LANG=de_CH.UTF-8 # Swiss\n", "de_CH.UTF-8"},
             Case{"  LANG=fr_CA.UTF-8  \r\n", "fr_CA.UTF-8"},
             Case{"LANG=fr_FR.UTF-8\nLANG=de_DE.UTF-8\n", "de_DE.UTF-8"},
             Case{"LANGUAGE=fr_FR\nLC_ALL=fr_FR.UTF-8\nLANG=en_ZW.UTF-8", "en_ZW.UTF-8"},
         }) {
        testing::TempDir root;
        root.Write("etc/default/locale", c.file);
        EXPECT_EQ(SystemLocaleName(root.path()), c.expected) << c.file;
    }
}

TEST(SystemLocaleName, FileOrder) {
    testing::TempDir root;
    root.Write("etc/locale.conf", "LANG=fr_CA.UTF-8\n");
    EXPECT_EQ(LangIdOfLocaleFiles(root.path()), 0x0C0C);
    // A Debian file without LANG leaves the choice to the systemd file.
    root.Write("etc/default/locale", "LC_MESSAGES=de_DE.UTF-8\nLANG=\n");
    EXPECT_EQ(LangIdOfLocaleFiles(root.path()), 0x0C0C);
    root.Write("etc/default/locale", "LANG=de_AT.UTF-8\n");
    EXPECT_EQ(LangIdOfLocaleFiles(root.path()), 0x0C07);
}

TEST(SystemLocaleName, AbsentOrOddFilesAreNoSetting) {
    testing::TempDir root;
    EXPECT_EQ(SystemLocaleName(root.path()), "C");
    EXPECT_EQ(LangIdOfLocaleFiles(root.path()), 0x0409);
    EXPECT_EQ(LangIdOfLocaleFiles(root.path() / "does-not-exist"), 0x0409);
    std::filesystem::create_directories(root.path() / "etc/default/locale");
    EXPECT_EQ(SystemLocaleName(root.path()), "C");
    ASSERT_EQ(::mkfifo((root.path() / "etc/locale.conf").c_str(), 0600), 0);
    EXPECT_EQ(SystemLocaleName(root.path()), "C");  // must not wait for a writer
    testing::TempDir junk;
    junk.Write("etc/default/locale", std::string("\0\xFF\xFELANG=\0de_AT\n", 15));
    EXPECT_EQ(LangIdOfLocaleFiles(junk.path()), 0x0409);
}

TEST(SystemLocaleName, UserEnvironmentIsIgnored) {
    testing::TempDir root;
    root.Write("etc/default/locale", "LANG=en_GB.UTF-8\n");
    ::setenv("LANG", "de_DE.UTF-8", 1);
    ::setenv("LC_ALL", "fr_FR.UTF-8", 1);
    ::setenv("LANGUAGE", "de", 1);
    EXPECT_EQ(LangIdOfLocaleFiles(root.path()), 0x0809);
    ::unsetenv("LANG");
    ::unsetenv("LC_ALL");
    ::unsetenv("LANGUAGE");
}

}  // namespace
}  // namespace trv81k
