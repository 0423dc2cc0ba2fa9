// The fleet over the loopback interface against emulated devices: every device found written
// and verified, the missing one reported; an entry its device cannot take, or two entries on one
// device, stop the run before any login.
#include <gtest/gtest.h>

#include "core/fleet.h"
#include "loopback_devices.h"

// The options name only what they set; GCC 12 would warn about every other member.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace trv81k {
namespace {

using emulator::EmulatedDevice;
using test::device;
using test::LoopbackDevices;

class Fleet : public testing::LoopbackTest {
protected:
    static FleetEntry entry(ConfigureOptions options) {
        auto plan = CheckConfigureOptions(options);
        EXPECT_TRUE(std::holds_alternative<ConfigurePlan>(plan)) << std::get<Refusal>(plan).detail;
        return {std::get<ConfigurePlan>(std::move(plan)), "admin"};
    }
    FleetRun drive(std::uint16_t port, const std::vector<FleetEntry>& entries,
                   const FleetOptions& options) {
        const NetworkConfig network = test::LoopbackNetwork(port);
        Link link(network);
        FleetNotes notes;
        notes.ended = [&](std::size_t i, const EntryReport&) { ended_.push_back(i); };
        return DriveFleet(link, network, entries, options, notes);
    }

    std::vector<std::size_t> ended_;
};

TEST_F(Fleet, EveryFoundDeviceWrittenAndVerifiedTheMissingOneNamed) {
    LoopbackDevices devices(24431, {device(1), device(2)});
    const FleetRun run =
        drive(24431,
              {entry({.device = "02-81-00-00-00-01", .name = "One", .pairing = true}),
               entry({.device = "AP2", .name = "Two", .pairing = true}),
               entry({.device = "02-81-00-00-00-09", .pairing = true})},
              {.verify = std::chrono::seconds(2)});
    ASSERT_FALSE(run.network);
    EXPECT_TRUE(run.problems.empty());
    ASSERT_EQ(run.entries.size(), 3u);
    EXPECT_EQ(run.entries[0].end, RoadEnd::Acknowledged);
    EXPECT_EQ(run.entries[1].end, RoadEnd::Acknowledged);
    EXPECT_EQ(run.entries[1].who, "02-81-00-00-00-02");  // found by its name
    EXPECT_EQ(run.entries[2].end, RoadEnd::NotFound);
    EXPECT_EQ(run.entries[2].who, "02-81-00-00-00-09");
    EXPECT_EQ(run.answered, 2);
    // The missing one ends first, after the search; each entry once.
    ASSERT_EQ(ended_.size(), 3u);
    EXPECT_EQ(ended_.front(), 2u);
    EXPECT_EQ(devices.devices()[0].settings.name, "One");
    EXPECT_EQ(devices.devices()[1].settings.name, "Two");
    EXPECT_EQ(devices.received(MessageKind::AuthRequest), 2);
}

TEST_F(Fleet, AnEntryItsDeviceCannotTakeOrASecondEntryOnOneDeviceStopsBeforeAnyLogin) {
    EmulatedDevice keyed = device(2);
    keyed.settings.security = kSecurityWpa2Aes;
    keyed.settings.key = "unknown here";
    LoopbackDevices devices(24432, {device(1), keyed});
    const std::vector<FleetEntry> entries{entry({.device = "02-81-00-00-00-01", .pairing = true}),
                                          entry({.device = "02-81-00-00-00-02", .ssid = "B"}),
                                          entry({.device = "AP1", .pairing = true})};
    const FleetRun run = drive(24432, entries, {});
    ASSERT_EQ(run.problems.size(), 2u);
    EXPECT_EQ(run.problems[0].entry, 1u);
    ASSERT_TRUE(run.problems[0].refusal);
    EXPECT_EQ(run.problems[0].refusal->field, "security");
    EXPECT_EQ(run.problems[1].entry, 2u);
    EXPECT_EQ(run.problems[1].sameAs, 0u);
    EXPECT_TRUE(ended_.empty());
    EXPECT_EQ(devices.received(MessageKind::AuthRequest), 0);

    // --check: what each would write, still no login; the settings wait for the login when
    // they are not built first (configure).
    const FleetRun check = drive(24432, {entries[0]}, {.check = true});
    ASSERT_TRUE(check.problems.empty());
    ASSERT_TRUE(check.entries[0].settings);
    EXPECT_FALSE(
        drive(24432, {entries[1]}, {.settingsFirst = false, .check = true}).entries[0].settings);
    EXPECT_EQ(devices.received(MessageKind::AuthRequest), 0);
}

}  // namespace
}  // namespace trv81k
