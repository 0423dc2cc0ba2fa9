// A device's road over the loopback interface against emulated devices: the login's refusal,
// no acknowledgement, the pairing verdict on its three answers, and the verification of what
// the device announces afterwards.
#include <gtest/gtest.h>

#include "core/road.h"
#include "loopback_devices.h"
#include "platform/adapters.h"

// The options name only what they set; GCC 12 would warn about every other member.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace trv81k {
namespace {

using emulator::EmulatedDevice;
using test::device;
using test::LoopbackDevices;
using test::Quirks;

class Road : public testing::LoopbackTest {
protected:
    // Device 02-81-00-00-00-01's road with what `options` change, as configure drives it.
    RoadResult drive(std::uint16_t port, ConfigureOptions options, const std::string& password) {
        options.device = "02-81-00-00-00-01";
        auto plan = CheckConfigureOptions(options);
        if (!std::holds_alternative<ConfigurePlan>(plan)) {
            ADD_FAILURE() << std::get<Refusal>(plan).detail;
            return {};
        }
        plan_ = std::get<ConfigurePlan>(std::move(plan));
        const NetworkConfig network = test::LoopbackNetwork(port);
        Link link(network);
        EXPECT_FALSE(link.open("search"));
        EXPECT_FALSE(link.search(std::nullopt, AllAnswered({plan_.device}, kSearchQuiet)));
        const std::vector<int> found = MatchingDevices(plan_.device, link.state().table);
        if (found.size() != 1) {
            ADD_FAILURE() << "found " << found.size();
            return {};
        }
        const RoadOrder order{found.front(), link.state().table.at(found.front()), &plan_.overrides,
                              password, "device 02-81-00-00-00-01"};
        return DriveRoads(link.exchanges(), std::span(&order, 1), 1, network.timing, {}).front();
    }

    ConfigurePlan plan_;
};

TEST_F(Road, WrongPasswordEndsTheRoadAndWritesNothing) {
    LoopbackDevices devices(24421, {device(1)});
    const RoadResult result = drive(24421, {.pairing = true}, "wrong");
    EXPECT_EQ(result.end, RoadEnd::Password);
    ASSERT_TRUE(result.refusal);
    EXPECT_EQ(result.refusal->outcome, Outcome::Password);
    EXPECT_EQ(result.refusal->subject, "device 02-81-00-00-00-01");
    EXPECT_EQ(result.refusal->messageKey, "PASSWORD_ERROR");
    EXPECT_EQ(devices.received(MessageKind::AuthRequest), 1);  // one attempt, no resend
    EXPECT_EQ(devices.received(MessageKind::ConfigureRequest), 0);
}

TEST_F(Road, NoAcknowledgementIsTheConfigureFailure) {
    EmulatedDevice mute = device(1);
    mute.behaviour.neverAcknowledge = true;
    LoopbackDevices devices(24422, {mute});
    const RoadResult result = drive(24422, {.name = "Renamed", .pairing = true}, "admin");
    EXPECT_EQ(result.end, RoadEnd::NoAck);
    ASSERT_TRUE(result.refusal);
    EXPECT_EQ(result.refusal->outcome, Outcome::NoAck);
    EXPECT_EQ(result.refusal->messageKey, "CONFIGURE_FAIL");
    EXPECT_EQ(devices.devices()[0].settings.name, "Renamed");  // it applied, it just never said
}

TEST_F(Road, PairingManagedDeviceKeepsItsWirelessSettingsAndAnnouncesTheRest) {
    EmulatedDevice paired = device(1);
    paired.behaviour.pairingManaged = true;
    paired.settings.security = kSecurityWpa2Aes;
    paired.settings.key = "pairing made key";
    LoopbackDevices devices(24423, {paired});
    const RoadResult result = drive(24423, {.dhcp = true}, "admin");
    ASSERT_EQ(result.end, RoadEnd::Acknowledged) << result.refusal->detail;
    ASSERT_TRUE(result.written);
    EXPECT_EQ(result.written->wirelessEditable, 0);
    const emulator::DeviceSettings s = devices.devices()[0].settings;
    EXPECT_EQ(s.ipMode, 0);
    EXPECT_EQ(s.security, kSecurityWpa2Aes);
    EXPECT_EQ(s.key, "pairing made key");
    EXPECT_EQ(devices.received(MessageKind::CheckBPSRequest), 1);  // answered at once

    const VerifyResult verified = VerifyAnnounced(
        std::span(&*result.written, 1), std::chrono::seconds(2), test::LoopbackNetwork(24423));
    EXPECT_FALSE(verified.network);
    ASSERT_EQ(verified.devices.size(), 1u);
    EXPECT_TRUE(verified.devices[0].verified());
}

TEST_F(Road, DeviceSilentToThePairingCheckIsLeftToPairing) {
    LoopbackDevices devices(24424, {device(1)}, Quirks{.ignorePairingCheck = true});
    const RoadResult result = drive(24424, {.name = "Quiet"}, "admin");
    ASSERT_EQ(result.end, RoadEnd::Acknowledged);
    // The pairing check's three tries are the exchange's (core_exchanges_test); the road takes
    // the silence as the pairing's.
    EXPECT_EQ(result.written->wirelessEditable, 0);
    EXPECT_EQ(devices.devices()[0].settings.name, "Quiet");
    EXPECT_EQ(devices.devices()[0].settings.ssid, device(1).settings.ssid);
}

TEST_F(Road, DeviceNotUnderPairingControlIsRefusedBeforeAnythingIsWritten) {
    LoopbackDevices devices(24425, {device(1)});
    const RoadResult result = drive(24425, {.name = "Never"}, "admin");
    EXPECT_EQ(result.end, RoadEnd::Pairing);
    ASSERT_TRUE(result.refusal);
    EXPECT_EQ(result.refusal->outcome, Outcome::Usage);
    EXPECT_EQ(result.refusal->subject, "device 02-81-00-00-00-01");
    EXPECT_NE(result.refusal->detail.find("not under pairing control"), std::string::npos);
    EXPECT_EQ(devices.received(MessageKind::CheckBPSRequest), 1);
    EXPECT_EQ(devices.received(MessageKind::ConfigureRequest), 0);
    EXPECT_EQ(devices.devices()[0].settings.name, "AP1");
}

TEST_F(Road, VerificationNamesWhatTheDeviceDoesNotAnnounce) {
    LoopbackDevices devices(24426, {device(1)}, Quirks{.acknowledgeOnly = true});
    const RoadResult result = drive(24426, {.name = "Claimed", .pairing = true}, "admin");
    ASSERT_EQ(result.end, RoadEnd::Acknowledged);
    const int searches = devices.received(MessageKind::SearchRequest);
    const VerifyResult verified =
        VerifyAnnounced(std::span(&*result.written, 1), std::chrono::milliseconds(300),
                        test::LoopbackNetwork(24426));
    ASSERT_EQ(verified.devices.size(), 1u);
    EXPECT_TRUE(verified.devices[0].answered);
    EXPECT_EQ(verified.devices[0].differences,
              std::vector<std::string>{"name: announced \"AP1\", written \"Claimed\""});
    EXPECT_GT(devices.received(MessageKind::SearchRequest), searches);  // searched again
}

}  // namespace
}  // namespace trv81k
