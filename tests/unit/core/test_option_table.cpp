// The options of configure as data: the rows and their fields, the conflicts and companions,
// and the defaults laid under an apply entry.
#include <gtest/gtest.h>

#include "core/option_table.h"

// The tables name only the options they set; GCC 12 would warn about every other member.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace trv81k {
namespace {

struct ConflictRow {
    const char* what;
    ConfigureOptions given;
    const char* line;  // subject: detail
};

void PrintTo(const ConflictRow& row, std::ostream* os) {
    *os << row.what;
}

class Conflicts : public ::testing::TestWithParam<ConflictRow> {};

TEST_P(Conflicts, RefusedWithExitTwoBeforeTheValuesAreChecked) {
    const ConflictRow& row = GetParam();
    const std::optional<Refusal> refusal = CheckConflicts(row.given);
    ASSERT_TRUE(refusal) << row.what;
    EXPECT_EQ(refusal->outcome, Outcome::Usage);
    EXPECT_EQ(refusal->subject + ": " + refusal->detail, row.line);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Conflicts,
    ::testing::Values(ConflictRow{"ip without static", {.ip = "10.0.0.5"}, "--ip: needs --static"},
                      ConflictRow{"dhcp and static",
                                  {.dhcp = true, .staticIp = true},
                                  "--dhcp: cannot go with --static"},
                      ConflictRow{"key and its file",
                                  {.key = "k", .keyFile = "key.txt"},
                                  "--key: cannot go with --key-file"},
                      ConflictRow{"key and passphrase",
                                  {.key = "0123456789", .passphrase = "abc"},
                                  "--key: cannot go with --passphrase"},
                      ConflictRow{"pairing with ssid",
                                  {.ssid = "Net", .pairing = true},
                                  "--pairing: cannot go with --ssid"}));

TEST(OptionTable, EveryNameItUsesIsARowAndEveryRowItsField) {
    for (const ConfigureOption& row : ConfigureOptionTable()) {
        EXPECT_EQ(row.flag != nullptr, row.kind == OptionKind::Flag) << row.name;
        EXPECT_EQ(row.text != nullptr, row.kind == OptionKind::Text) << row.name;
        EXPECT_EQ(row.number != nullptr, row.kind == OptionKind::Number) << row.name;
        EXPECT_TRUE(row.needs.empty() || FindConfigureOption(row.needs)) << row.name;
        ConfigureOptions o;
        EXPECT_FALSE(row.isSet(o));
    }
    for (const OptionConflict& conflict : ConfigureConflicts()) {
        EXPECT_TRUE(FindConfigureOption(conflict.first)) << conflict.first;
        EXPECT_TRUE(FindConfigureOption(conflict.second)) << conflict.second;
    }
    EXPECT_FALSE(FindConfigureOption("verify"));  // a matter of the whole run, not of a device
}

// The entry's own keys win, also over the defaults' keys that conflict with them, and an
// option the entry turns off takes the defaults that need it along.
TEST(OptionTable, DefaultsLieUnderAnEntry) {
    const ConfigureOptions defaults{.staticIp = true,
                                    .netmask = "255.255.0.0",
                                    .ssid = "Office",
                                    .channel = 6,
                                    .passphrase = "phrase"};
    const std::set<std::string_view> given{"static", "netmask", "ssid", "channel", "passphrase"};
    ConfigureOptions own{.channel = 11, .key = "0123456789"};
    LayDefaults(own, {"channel", "key"}, defaults, given);
    EXPECT_EQ(own.channel, 11);
    EXPECT_EQ(own.ssid, "Office");
    EXPECT_TRUE(own.staticIp);
    EXPECT_EQ(own.netmask, "255.255.0.0");
    EXPECT_FALSE(own.passphrase);  // "key" cannot go with it

    ConfigureOptions dhcp{.dhcp = true, .pairing = true};
    LayDefaults(dhcp, {"dhcp", "pairing"}, defaults, given);
    EXPECT_FALSE(dhcp.staticIp);
    EXPECT_FALSE(dhcp.netmask);
    EXPECT_FALSE(dhcp.ssid);
    EXPECT_FALSE(dhcp.channel);
    EXPECT_FALSE(CheckConflicts(dhcp));

    ConfigureOptions off{.staticIp = false};
    LayDefaults(off, {"static"}, defaults, given);
    EXPECT_FALSE(off.staticIp);
    EXPECT_FALSE(off.netmask);  // it needs "static", which the entry turned off
}

}  // namespace
}  // namespace trv81k
