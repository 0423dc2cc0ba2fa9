// The apply file: its keys are configure's options, the defaults under every entry, the
// secrets from files beside it, and every bad entry named by its index and key.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "../l10n/temp_dir.h"
#include "cli/apply.h"

namespace trv81k::cli {
namespace {

std::vector<ApplyEntry> entriesOf(const ApplyFile& file) {
    if (const auto* refusals = std::get_if<std::vector<Refusal>>(&file)) {
        for (const Refusal& refusal : *refusals) {
            ADD_FAILURE() << RefusalLine(refusal, Messages());
        }
        return {};
    }
    return std::get<std::vector<ApplyEntry>>(file);
}

std::vector<std::string> linesOf(const ApplyFile& file) {
    std::vector<std::string> lines;
    if (const auto* refusals = std::get_if<std::vector<Refusal>>(&file)) {
        for (const Refusal& refusal : *refusals) {
            EXPECT_EQ(refusal.outcome, Outcome::Usage);
            lines.push_back(RefusalLine(refusal, Messages()));
        }
    }
    return lines;
}

TEST(ApplyFile, DefaultsUnderEveryEntryAndTheEntrysOwnKeysWin) {
    const testing::TempDir dir;
    dir.Write("wifi.txt", "wireless secret\nnot this line\n");
    dir.Write("pw/garden", "garden3\n");
    const auto file = LoadApplyFile(dir.Write("sites.json", R"({
      "defaults": {"static": true, "netmask": "255.255.0.0", "ssid": "Office",
                   "security": "wpa2", "passphrase-file": "wifi.txt", "channel": 6},
      "devices": [
        {"device": "02-81-00-00-00-01", "ip": "10.81.0.50", "channel": 11},
        {"device": "Hall", "dhcp": true, "key": "0123456789abcdef", "password": "hall2"},
        {"device": "02:81:00:00:00:03", "pairing": true, "password-file": "pw/garden",
         "static": false}
      ]})"));
    const std::vector<ApplyEntry> entries = entriesOf(file);
    ASSERT_EQ(entries.size(), 3u);

    const ConfigurePlan& office = entries[0].plan;
    EXPECT_EQ(entries[0].index, 1);
    EXPECT_EQ(office.device.mac, (MacAddress{0x02, 0x81, 0, 0, 0, 1}));
    EXPECT_EQ(office.overrides.ip, IpChoice::Static);
    EXPECT_EQ(office.overrides.ipText, "10.81.0.50");
    EXPECT_EQ(office.overrides.netmaskText, "255.255.0.0");
    EXPECT_EQ(office.overrides.channel, 11);                    // its own
    EXPECT_EQ(office.overrides.passphrase, "wireless secret");  // the first line, beside the file
    EXPECT_FALSE(entries[0].password);                          // the password for all, then

    // "dhcp" drops the defaults' static address; "key" their passphrase.
    const ConfigurePlan& hall = entries[1].plan;
    EXPECT_EQ(hall.device.name, "Hall");
    EXPECT_EQ(hall.overrides.ip, IpChoice::Dhcp);
    EXPECT_FALSE(hall.overrides.netmaskText);
    EXPECT_EQ(hall.overrides.key, "0123456789abcdef");
    EXPECT_FALSE(hall.overrides.passphrase);
    EXPECT_EQ(hall.overrides.ssid, "Office");
    EXPECT_EQ(entries[1].password, "hall2");

    // "pairing" drops every wireless default; "static": false the defaults' static address,
    // so their netmask (which needs it) stays out as well.
    const ConfigurePlan& garden = entries[2].plan;
    EXPECT_TRUE(garden.overrides.pairing);
    EXPECT_FALSE(garden.overrides.wirelessOptions());
    EXPECT_EQ(garden.overrides.ip, IpChoice::Keep);
    EXPECT_EQ(entries[2].password, "garden3");
}

TEST(ApplyFile, EveryBadEntryIsNamedByItsIndexAndKey) {
    const testing::TempDir dir;
    const auto lines = linesOf(LoadApplyFile(dir.Write("bad.json", R"({"devices": [
      {"device": "02-81-00-00-00-01", "static": true, "ip": "10.0.0.255"},
      {"name": "no device"},
      {"device": "02-81-00-00-00-03", "chanel": 3},
      {"device": "D", "channel": "6"},
      {"device": "E", "security": "wep64", "key": "123"},
      {"device": "F", "key-file": "missing.txt"},
      {"device": "02:81:00:00:00:01"},
      {"device": "H", "verify": 3},
      {"device": "I", "dhcp": true, "static": true},
      {"device": "J", "password-file": "-"},
      {"device": "K", "ssid": "ok"}, "L"
    ]})")));
    const std::string file = (dir.path() / "bad.json").string();
    const std::vector<std::string> expected{
        "entry 1, ip 10.0.0.255: The IP address is not valid.",
        "entry 2, device: is missing",
        "entry 3, chanel: is not a key of an entry",
        "entry 4, channel: must be a whole number",
        "entry 5, key: The 64-bit WEP key must be exactly 10 hexadecimal digits long.",
        "entry 6, key-file missing.txt: cannot open",
        "entry 7, device 02:81:00:00:00:01: is named by entry 1 as well",
        "entry 8, verify: is an option of the whole run, not of an entry (give --verify",
        "entry 9, dhcp: cannot go with static",
        "entry 10, password-file -: standard input cannot be read here",
        "entry 12: must be an object",
    };
    ASSERT_EQ(lines.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(lines[i].rfind("trv81k-cli: " + file + ": " + expected[i], 0), 0u)
            << lines[i] << "\nexpected: " << expected[i];
    }
}

// The example README shows, against the demo's devices.
TEST(ApplyFile, TheShippedExampleReads) {
    const std::vector<ApplyEntry> entries =
        entriesOf(LoadApplyFile(TRV81K_SOURCE_DIR "/resources/apply-example/sites.json"));
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[1].plan.device.name, "TRV81K-Hall");
    EXPECT_EQ(entries[1].password, "hall2");
    EXPECT_EQ(entries[0].plan.overrides.passphrase, "correct horse battery staple");
    EXPECT_TRUE(entries[2].plan.overrides.pairing);
}

TEST(ApplyFile, TheFileAsAWhole) {
    const auto only = [](std::string_view text) {
        const auto lines = linesOf(ReadApplyFile(text, ".", "f.json"));
        return lines.size() == 1 ? lines.front() : "lines: " + std::to_string(lines.size());
    };
    EXPECT_NE(only("{\"devices\": [").find("f.json: not valid JSON"), std::string::npos);
    EXPECT_NE(only("[]").find("must be a JSON object"), std::string::npos);
    EXPECT_NE(only("{\"devices\": []}").find("one or more entries"), std::string::npos);
    EXPECT_NE(only(R"({"devices": [{"device": "A"}], "default": {}})").find("\"default\" is not"),
              std::string::npos);
    EXPECT_NE(only(R"({"defaults": {"device": "A"}, "devices": [{"device": "B"}]})")
                  .find("f.json: defaults, device: belongs to an entry"),
              std::string::npos);
    std::string many = R"({"devices": [)";
    for (int i = 0; i < 33; ++i) {
        many += (i > 0 ? ",{\"device\": \"D" : "{\"device\": \"D") + std::to_string(i) + "\"}";
    }
    EXPECT_NE(only(many + "]}").find("has 33 entries (one run takes up to 32"), std::string::npos);
    EXPECT_NE(linesOf(LoadApplyFile("/nonexistent/sites.json"))
                  .front()
                  .find("sites.json: cannot open /nonexistent/sites.json: No such file"),
              std::string::npos);
    // One reader for every file: its limits hold here too.
    EXPECT_NE(only(R"({"devices": [], "devices": [{"device": "A"}]})")
                  .find("f.json: the key \"devices\" is given twice"),
              std::string::npos);
    EXPECT_NE(only(R"({"devices": [{"device": "A", "channel": 1e99999}]})")
                  .find("f.json: devices[0].channel: the number 1e99999 is out of range"),
              std::string::npos);
}

// A FIFO nobody writes, named as the file or as an entry's password file, is refused at once.
TEST(ApplyFile, AFifoIsRefusedWithoutWaiting) {
    const testing::TempDir dir;
    const auto fifo = dir.path() / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_NE(linesOf(LoadApplyFile(fifo)).front().find("is a FIFO"), std::string::npos);
    const auto lines = linesOf(ReadApplyFile(
        R"({"devices": [{"device": "A", "password-file": "fifo"}]})", dir.path(), "f.json"));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines.front().find("is not a regular file"), std::string::npos) << lines.front();
}

}  // namespace
}  // namespace trv81k::cli
