// The commands over the loopback interface against emulated devices: configure's output once,
// the device it cannot find, search, and apply over many. The road's own outcomes are the
// core's (core_road_test).
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "../core/loopback_devices.h"
#include "cli/apply.h"
#include "cli/command.h"
#include "platform/adapters.h"

// The options name only what they set; GCC 12 would warn about every other member.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace trv81k::cli {
namespace {

using emulator::EmulatedDevice;
using test::device;
using test::LoopbackDevices;
using namespace std::chrono_literals;

class Exchange : public testing::LoopbackTest {
protected:
    NetworkConfig network(std::uint16_t port) { return test::LoopbackNetwork(port); }
    int configure(std::uint16_t port, ConfigureOptions options, const std::string& password) {
        options.device = options.device.value_or("02-81-00-00-00-01");
        auto plan = CheckConfigureOptions(options);
        EXPECT_TRUE(std::holds_alternative<ConfigurePlan>(plan));
        out_.str("");
        err_.str("");
        Console console{out_, err_};
        Context context{environment_, network(port), console, messages_};
        return RunConfigure(context, std::get<ConfigurePlan>(plan), password);
    }
    // The search command as the command line runs it, over the test's port.
    int search(std::uint16_t port, const std::vector<std::string>& args) {
        const std::unique_ptr<Command> command = MakeSearchCommand();
        CLI::App app;
        command->add(app);
        std::vector<const char*> argv{"trv81k-cli", "search"};
        for (const std::string& arg : args) {
            argv.push_back(arg.c_str());
        }
        app.parse(static_cast<int>(argv.size()), argv.data());
        Console console{out_, err_};
        Context context{environment_, network(port), console, messages_};
        return command->run(context);
    }

    Environment environment_;

    Messages messages_;
    std::ostringstream out_;
    std::ostringstream err_;
};

TEST_F(Exchange, StaticAddressAndWpa2WrittenAndVerified) {
    LoopbackDevices devices(24401, {device(1), device(2)});
    const ConfigureOptions o{.staticIp = true,
                             .ip = "10.81.0.50",
                             .netmask = "255.255.0.0",
                             .gateway = "10.81.0.1",
                             .name = "Lab AP",
                             .newPassword = "s3cret",
                             .ssid = "LabNet",
                             .channel = 11,
                             .netMode = "g-only",
                             .security = "wpa2",
                             .key = std::string(64, 'A'),
                             .verifySeconds = 2.0};
    ASSERT_EQ(configure(24401, o, "admin"), kExitOk) << err_.str();
    EXPECT_EQ(out_.str(), "02-81-00-00-00-01: configured and verified\n");
    const emulator::DeviceSettings s = devices.devices()[0].settings;
    EXPECT_EQ(s.ipMode, 1);
    EXPECT_EQ(s.ip, (Ipv4Address{10, 81, 0, 50}));
    EXPECT_EQ(s.netmask, (Ipv4Address{255, 255, 0, 0}));
    EXPECT_EQ(s.gateway, (Ipv4Address{10, 81, 0, 1}));
    EXPECT_EQ(s.name, "Lab AP");
    EXPECT_EQ(s.password, "s3cret");
    EXPECT_EQ(s.ssid, "LabNet");
    EXPECT_EQ(s.channel, 11);
    EXPECT_EQ(s.security, kSecurityWpa2Aes);
    EXPECT_EQ(s.key, std::string(64, 'A'));
    EXPECT_EQ(s.networkMode, 1);
    EXPECT_EQ(devices.devices()[1].settings, device(2).settings);  // the other one untouched
    // Manual wireless settings: no pairing check; one login.
    EXPECT_EQ(devices.received(MessageKind::CheckBPSRequest), 0);
    EXPECT_EQ(devices.received(MessageKind::AuthRequest), 1);
}

TEST_F(Exchange, UnknownDeviceIsExitThree) {
    LoopbackDevices devices(24407, {device(1)});
    EXPECT_EQ(configure(24407, {.device = "02-81-00-00-00-09", .pairing = true}, "admin"),
              kExitNotFound);
    EXPECT_NE(err_.str().find("device 02-81-00-00-00-09: did not answer"), std::string::npos);
    EXPECT_NE(err_.str().find("1 other device(s) did"), std::string::npos);
    EXPECT_EQ(devices.received(MessageKind::AuthRequest), 0);
}

TEST_F(Exchange, SearchListsEveryAnswerOnceAsJson) {
    EmulatedDevice twice = device(2);
    twice.behaviour.answerTwice = true;
    EmulatedDevice unmarked = device(3);
    unmarked.behaviour.noMarker = true;
    LoopbackDevices devices(24409, {device(1), twice, unmarked});
    ASSERT_EQ(search(24409, {"--timeout", "0.3", "--json"}), kExitOk);
    const auto list = nlohmann::json::parse(out_.str());
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0]["mac"], "02-81-00-00-00-01");
    EXPECT_EQ(list[1]["mac"], "02-81-00-00-00-02");
    EXPECT_EQ(list[1]["name"], "AP2");
}

// apply over the same road: every found device written and verified, the silent one reported,
// a wrong password only costs its own device.
TEST_F(Exchange, ApplyWritesEveryDeviceThatAnswersAndNamesTheOthers) {
    EmulatedDevice silent = device(4);
    silent.behaviour.silent = true;
    EmulatedDevice locked = device(3);
    locked.settings.password = "other";
    LoopbackDevices devices(24411, {device(1), device(2), locked, silent});
    const auto file = ReadApplyFile(R"({
      "defaults": {"ssid": "Lab", "security": "wpa2", "key": "apply-key-1"},
      "devices": [{"device": "02-81-00-00-00-01", "name": "One"},
                  {"device": "AP2", "name": "Two", "channel": 3},
                  {"device": "02-81-00-00-00-03", "name": "Three"},
                  {"device": "02-81-00-00-00-04", "name": "Four"}]})",
                                    ".", "f.json");
    ApplyOptions options;
    options.entries = std::get<std::vector<ApplyEntry>>(file);
    options.password = "admin";
    options.verifySeconds = 2.0;
    options.json = true;
    Console console{out_, err_};
    EXPECT_EQ(RunApply(options, network(24411), console, messages_), kExitSomeNotDone);

    const auto report = nlohmann::json::parse(out_.str());
    ASSERT_EQ(report.size(), 4u);
    const std::vector<std::pair<std::string, std::string>> expected{
        {"02-81-00-00-00-01", "done"},
        {"02-81-00-00-00-02", "done"},
        {"02-81-00-00-00-03", "password"},
        {"02-81-00-00-00-04", "not-found"}};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(report[i]["entry"], i + 1);
        EXPECT_EQ(report[i]["device"], expected[i].first);
        EXPECT_EQ(report[i]["result"], expected[i].second) << report[i]["reason"];
    }
    EXPECT_EQ(report[0]["reason"], "configured and verified");
    EXPECT_EQ(report[1]["adapter"]["address"], "127.0.0.1");
    EXPECT_NE(err_.str().find("2 of 4 device(s) done"), std::string::npos) << err_.str();
    const auto now = devices.devices();
    EXPECT_EQ(now[0].settings.name, "One");
    EXPECT_EQ(now[1].settings.name, "Two");
    EXPECT_EQ(now[1].settings.channel, 3);
    EXPECT_EQ(now[1].settings.key, "apply-key-1");
    EXPECT_EQ(now[2].settings, locked.settings);
    EXPECT_EQ(devices.received(MessageKind::AuthRequest), 3);
}

// A device whose settings cannot be built (its current security needs a key nobody gave) stops
// the run before any login: exit 2, the entry named, nothing but the search sent.
TEST_F(Exchange, ApplyRefusesAnEntryItsDeviceCannotTakeBeforeAnyLogin) {
    EmulatedDevice keyed = device(2);
    keyed.settings.security = kSecurityWpa2Aes;
    keyed.settings.key = "unknown here";
    LoopbackDevices devices(24412, {device(1), keyed});
    const auto file = ReadApplyFile(R"({"devices": [
        {"device": "02-81-00-00-00-01", "ssid": "A"}, {"device": "02-81-00-00-00-02", "ssid": "B"}]})",
                                    ".", "f.json");
    ApplyOptions options;
    options.entries = std::get<std::vector<ApplyEntry>>(file);
    options.fileName = "f.json";
    Console console{out_, err_};
    EXPECT_EQ(RunApply(options, network(24412), console, messages_), kExitUsage);
    EXPECT_EQ(err_.str().rfind("trv81k-cli: f.json: entry 2, security: the device's current "
                               "security WPA2-Personal(AES): its key is not known here",
                               0),
              0u)
        << err_.str();
    EXPECT_EQ(devices.received(MessageKind::AuthRequest), 0);
    EXPECT_EQ(devices.received(MessageKind::ConfigureRequest), 0);
}

TEST_F(Exchange, SearchWithoutAnswersIsExitThreeWithAnEmptyList) {
    EXPECT_EQ(search(24410, {"--timeout", "0.1", "--json"}), kExitNotFound);
    EXPECT_EQ(out_.str(), "[]\n");
    EXPECT_NE(err_.str().find("no TRV81K answered"), std::string::npos);
}

}  // namespace
}  // namespace trv81k::cli
