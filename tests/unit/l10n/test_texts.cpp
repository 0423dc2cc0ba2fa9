#include "l10n/texts.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "l10n/profile_reader.h"

namespace trv81k {
namespace {

const std::filesystem::path kShippedFile =
    std::filesystem::path(TRV81K_SOURCE_DIR) / "resources" / "Language.ini";

TEST(KeyCatalogue, KeysAreUniqueAcrossAllWindows) {
    std::set<std::string_view> all(kMainWindowKeys.begin(), kMainWindowKeys.end());
    all.insert(kMainWindowFeedbackKeys.begin(), kMainWindowFeedbackKeys.end());
    std::size_t dialogKeys = kMainWindowFeedbackKeys.size();
    for (const auto keys : {std::span<const std::string_view>(kConfigureFormKeys),
                            std::span<const std::string_view>(kSearchFormKeys),
                            std::span<const std::string_view>(kLoginFormKeys),
                            std::span<const std::string_view>(kSearchFailFormKeys),
                            std::span<const std::string_view>(kWPARadiusNoteFormKeys),
                            std::span<const std::string_view>(kAccessibleKeys)}) {
        all.insert(keys.begin(), keys.end());
        dialogKeys += keys.size();
    }
    EXPECT_EQ(all.size(), kMainWindowKeys.size() + dialogKeys);
}

TEST(Texts, LoadsTheGivenKeysFromOneSection) {
    const auto reader = ProfileReader::FromText(
        "[English]\nNextPanel=Next\nSSID_ERROR=Bad SSID\n[German]\nNextPanel=Weiter\n");
    const Texts texts = LoadMainWindowTexts(reader, "German");
    EXPECT_EQ(texts.size(), 45u + kMainWindowFeedbackKeys.size());
    EXPECT_EQ(texts.get("NextPanel"), "Weiter");
    EXPECT_TRUE(texts.contains("SSID_ERROR"));
    EXPECT_EQ(texts.get("SSID_ERROR"), "");  // no fall-back to another section
    EXPECT_FALSE(texts.contains("Label1"));
    EXPECT_EQ(texts.get("Label1"), "");
    EXPECT_EQ(texts.get("nextpanel"), "");  // lookups in the table use the catalogue spelling
}

// The status box and the confirmation page: fixed names, and four codes from Language.ini.
TEST(SecurityTexts, StatusBoxAndConfirmationPage) {
    Texts texts;
    texts.set("Disable", "Off");
    texts.set("WPA_ENTERPRISE_TKIP", "Ent-TKIP");
    texts.set("WPA_ENTERPRISE_AES", "Ent-AES");
    texts.set("WPA2_Mixedmode", "Mixed2");
    const char* expected[] = {
        "Off",      "WEP (64-Bit)", "WEP (128-Bit)", "WPA-Personal(TKIP)",  "WPA-Personal(AES)",
        "Ent-TKIP", "Ent-AES",      "RADIUS",        "WPA2-Personal(TKIP)", "WPA2-Personal(AES)",
        "Mixed2"};
    for (int code = 0; code <= 10; ++code) {
        EXPECT_EQ(StatusSecurityText(code, texts), expected[code]) << code;
    }
    for (int code : {-1, 11, 12, 255, 256}) {
        EXPECT_EQ(StatusSecurityText(code, texts), "") << code;
    }
    // The page names the enterprise modes and RADIUS itself, and the pairing code 11.
    EXPECT_EQ(ConfirmSecurityText(0, texts), "Off");
    EXPECT_EQ(ConfirmSecurityText(2, texts), "WEP (128-Bit)");
    EXPECT_EQ(ConfirmSecurityText(5, texts), "WPA-Enterprise(TKIP)");
    EXPECT_EQ(ConfirmSecurityText(6, texts), "WPA-Enterprise(AES)");
    EXPECT_EQ(ConfirmSecurityText(7, texts), "Radius");
    EXPECT_EQ(ConfirmSecurityText(9, texts), "WPA2-Personal(AES)");
    EXPECT_EQ(ConfirmSecurityText(10, texts), "Mixed2");
    EXPECT_EQ(ConfirmSecurityText(11, texts), "Button Pair Setup");
    for (int code : {-1, 12, 99}) {
        EXPECT_EQ(ConfirmSecurityText(code, texts), std::nullopt) << code;
    }
}

TEST(ShippedLanguageFile, EveryKeyInEverySection) {
    const ProfileReader reader(kShippedFile);
    ASSERT_TRUE(reader.loaded()) << kShippedFile;
    for (const std::string_view section : {"English", "German", "French"}) {
        const Texts main = LoadMainWindowTexts(reader, section);
        for (const auto keys : {std::span<const std::string_view>(kMainWindowKeys),
                                std::span<const std::string_view>(kMainWindowFeedbackKeys)}) {
            for (const auto key : keys) {
                EXPECT_NE(main.get(key), "") << section << " " << key;
            }
        }
        for (const auto key :
             {"Label1", "Label2", "Label3", "Label4", "EnterPanel", "ContinuePanel", "OKPanel"}) {
            EXPECT_NE(reader.ReadString(section, key, ""), "") << section << " " << key;
        }
        const Texts spoken = LoadAccessibleTexts(reader, section);
        for (const auto key : kAccessibleKeys) {
            EXPECT_NE(spoken.get(key), "") << section << " " << key;
        }
    }
}

TEST(ShippedLanguageFile, EnglishCaptionsAreTheDesignCaptions) {
    const ProfileReader reader(kShippedFile);
    const std::pair<const char*, const char*> captions[] = {
        {"SetupPanel", "Setup"},
        {"UserguidePanel", "User Guide"},
        {"NextPanel", "Next"},
        {"BackPanel", "Back"},
        {"NoPanel", "No"},
        {"YesPanel", "Yes"},
        {"RegPanel", "Online Registration"},
        {"ExitPanel", "Exit"},
        {"ClickHerePanel", "Click Here to Start"},
        {"EnterManuallyLabel", "Enter Wireless Setting Manually"},
        {"WhereBPSPanel", "Where is my ButtonPairSetup button?"},
        {"EnterPanel", "Enter"},
        {"ContinuePanel", "Continue"},
        {"OKPanel", "OK"},
        {"Label1", "Searching the network for the TRV81K"},
        {"Label3", "Writing the settings to the TRV81K"},
    };
    for (const auto& [key, caption] : captions) {
        EXPECT_EQ(reader.ReadString("English", key, ""), caption) << key;
    }
}

// Every byte sequence of the file is well-formed UTF-8, without a byte order mark, and no value
// comes near the reading limit.
TEST(ShippedLanguageFile, IsPlainUtf8WithShortLines) {
    std::ifstream in(kShippedFile, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    const std::string bytes = buffer.str();
    ASSERT_FALSE(bytes.empty());
    EXPECT_NE(bytes.substr(0, 3), "\xEF\xBB\xBF");
    std::size_t i = 0;
    std::size_t lineLength = 0;
    while (i < bytes.size()) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        std::size_t length = 1;
        if (b >= 0xF0 && b <= 0xF4) {
            length = 4;
        } else if (b >= 0xE0) {
            length = 3;
        } else if (b >= 0xC2) {
            length = 2;
        } else {
            ASSERT_LT(b, 0x80) << "byte " << i;
        }
        ASSERT_LE(i + length, bytes.size());
        for (std::size_t k = 1; k < length; ++k) {
            ASSERT_EQ(static_cast<unsigned char>(bytes[i + k]) & 0xC0u, 0x80u) << "byte " << i;
        }
        ASSERT_NE(b, 0u);
        lineLength = b == '\n' ? 0 : lineLength + length;
        ASSERT_LT(lineLength, 400u) << "byte " << i;
        i += length;
    }
}

}  // namespace
}  // namespace trv81k
