// The search output (JSON schema and table) and where the message texts come from.
#include <gtest/gtest.h>

#include <filesystem>

#include "../core/sample_device.h"
#include "../l10n/temp_dir.h"
#include "cli/messages.h"
#include "cli/output.h"
#include "l10n/profile_reader.h"

namespace trv81k::cli {
namespace {

using test::sampleDevice;

TEST(SearchJson, ExactFieldsInOrderWithUtf8Texts) {
    DeviceInfo d = sampleDevice();
    test::putText(d.deviceName, &d.deviceNameLength, "B\xFCro");  // Latin-1 "Büro"
    d.securityMode = kSecurityWpa2Mixed;
    d.networkMode = 1;
    d.ipMode = 0;
    const std::string expected = R"([
  {
    "name": "Büro",
    "mac": "00-11-22-33-44-55",
    "ipMode": "dhcp",
    "ip": "192.168.1.254",
    "netmask": "255.255.255.0",
    "gateway": "192.168.1.1",
    "ssid": "TRV81K",
    "channel": 6,
    "security": 10,
    "securityText": "WPA2 Mixed",
    "networkMode": "g-only",
    "firmware": "1.02",
    "adapter": {
      "name": "lab0",
      "address": "10.81.0.1"
    }
  }
]
)";
    const std::vector<FoundDevice> devices{{d, Adapter{"lab0", {10, 81, 0, 1}, {}}}};
    EXPECT_EQ(SearchJson(devices, Messages()), expected);
    EXPECT_EQ(SearchJson({}, Messages()), "[]\n");
}

// The status box's own texts are tested with l10n; here the built-in texts of the codes that
// take theirs from Language.ini (0 and 10 are in the layouts above), and a code out of range.
TEST(SearchJson, SecurityTextsAndOddModes) {
    const Messages m;
    for (const auto& [code, text] : std::vector<std::pair<int, std::string>>{
             {5, "WPA-Enterprise(TKIP)"}, {6, "WPA-Enterprise(AES)"}, {11, ""}}) {
        DeviceInfo d = sampleDevice();
        d.securityMode = static_cast<std::uint8_t>(code);
        const auto json = DeviceJson(d, m);
        EXPECT_EQ(json["security"], code);
        EXPECT_EQ(json["securityText"], text) << code;
    }
    DeviceInfo odd = sampleDevice();
    odd.networkMode = 7;
    odd.ipMode = 2;  // any value but 0 is static, as the login takes it
    EXPECT_EQ(DeviceJson(odd, m)["networkMode"], "unknown");
    EXPECT_EQ(DeviceJson(odd, m)["ipMode"], "static");
}

TEST(SearchTable, AlignedColumnsAndNoControlCharacters) {
    DeviceInfo a = sampleDevice();
    DeviceInfo b = sampleDevice();
    b.macAddress = {0x02, 0x81, 0, 0, 0, 2};
    test::putText(b.deviceName, &b.deviceNameLength, "\x1B[2J\xE9t\xE9");  // ESC, Latin-1 "été"
    b.securityMode = 12;
    const std::vector<FoundDevice> devices{{a, Adapter{"eth\x1B", {10, 81, 0, 1}, {}}},
                                           {b, std::nullopt}};
    const std::string table = SearchTable(devices, Messages());
    const std::string expected =
        "NAME       MAC                IP MODE  IP             SSID    CHANNEL  SECURITY  "
        "NET MODE  FIRMWARE  ADAPTER\n"
        "Office AP  00-11-22-33-44-55  static   192.168.1.254  TRV81K  6        Disabled  "
        "mixed     1.02      eth? (10.81.0.1)\n"
        "?[2J\xC3\xA9t\xC3\xA9    02-81-00-00-00-02  static   192.168.1.254  TRV81K  6        "
        "code 12   mixed     1.02      -\n";
    EXPECT_EQ(table, expected);
}

TEST(LanguageFile, FirstFoundFileWinsAndEmptyKeysKeepTheBuiltInText) {
    const testing::TempDir dir;
    std::filesystem::create_directory(dir.path() / "bin");  // the program's folder, for bin/..
    // Only the share folder: used.
    dir.Write("share/trv81k/Language.ini", "[English]\nINVALID_IP=from share\n");
    std::vector<std::filesystem::path> candidates = LanguageFileCandidates(dir.path() / "bin");
    ASSERT_EQ(candidates.size(), 3u);
    candidates[0] = dir.path() / "cwd-Language.ini";  // the current directory, redirected
    Messages m = Messages::Load(candidates);
    EXPECT_EQ(m.text("INVALID_IP"), "from share");
    EXPECT_EQ(m.text("CONFIGURE_FAIL"), EnglishTexts().get("CONFIGURE_FAIL"));

    // Beside the program comes before share; the current directory before both.
    dir.Write("bin/Language.ini", "[English]\nINVALID_IP=beside\nSSID_ERROR=\n");
    m = Messages::Load(candidates);
    EXPECT_EQ(m.text("INVALID_IP"), "beside");
    EXPECT_EQ(m.text("SSID_ERROR"), EnglishTexts().get("SSID_ERROR"));
    dir.Write("cwd-Language.ini", "[German]\nINVALID_IP=deutsch\n[English]\nINVALID_IP=here\n");
    m = Messages::Load(candidates);
    EXPECT_EQ(m.text("INVALID_IP"), "here");
    EXPECT_EQ(m.source(), candidates[0]);

    // None found: the built-in texts, never an empty message.
    const Messages none = Messages::Load({dir.path() / "nothing.ini"});
    EXPECT_TRUE(none.source().empty());
    for (const char* key : {"INVALID_IP", "INVALID_NETMASK", "INVALID_Gateway", "INVALID_PASSWORD",
                            "SSID_ERROR", "KEY64_ERROR", "KEY64_HEX_ERROR", "KEY128_ERROR",
                            "KEY128_HEX_ERROR", "INVALID_PASSPHRASE", "INVALID_PSK_LENGTH",
                            "INVALID_PSK_KEY", "PASSWORD_ERROR", "CONFIGURE_FAIL", "INVALID_NIC",
                            "SOCKET_FAIL", "BIND_FAIL", "Disable", "WPA2_Mixedmode"}) {
        EXPECT_FALSE(none.text(key).empty()) << key;
    }
}

TEST(LanguageFileShipped, EnglishSectionHasEveryKeyTheToolShows) {
    const ProfileReader reader(std::filesystem::path(TRV81K_SOURCE_DIR) / "resources" /
                               "Language.ini");
    ASSERT_TRUE(reader.loaded());
    const Messages m = Messages::FromReader(reader, "Language.ini");
    for (const char* key : {"INVALID_IP", "PASSWORD_ERROR", "CONFIGURE_FAIL", "INVALID_NIC"}) {
        EXPECT_FALSE(reader.ReadString("English", key, "").empty()) << key;
        EXPECT_EQ(m.text(key), reader.ReadString("English", key, ""));
    }
}

}  // namespace
}  // namespace trv81k::cli
