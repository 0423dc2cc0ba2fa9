// The four exchanges against emulated devices in memory, with a scaled timing: the schedules
// (ticks, repeats, the fast finish that stays), the waits that end once their answer is in, and
// what each outcome rests on. The wizard and the command-line tool run exactly these.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "core/entered_settings.h"
#include "core/exchanges.h"
#include "support/fake_network.h"

namespace trv81k {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using testing::FakeNetwork;
using testing::MakeDevice;
using Delivery = FakeNetwork::Delivery;

// Search ticks of 20 ms (fast 2 ms), configure ticks of 100 ms, pauses of 20 to 40 ms.
Timing Scaled() {
    Timing timing = Timing{}.scaled(0.04);
    timing.configureTick = 100ms;
    return timing;
}

struct Bench {
    explicit Bench(std::vector<emulator::EmulatedDevice> devices, Timing t = Scaled())
        : network(std::move(devices)),
          timing(t),
          exchanges(network, timing, SleepingWait(),
                    [this](const std::string& line) { traces.push_back(line); }) {
        network.open();
    }

    // Records every tick; `onTick` runs inside the tick (as a dialog's timer handler does).
    Exchanges::Progress recorder(std::function<void(int)> onTick = {}) {
        ticks.clear();
        return {[this, onTick](const Exchanges::Tick& tick) {
                    ticks.push_back(tick);
                    if (onTick) {
                        onTick(tick.counter);
                    }
                },
                [this] { ++dialogsClosed; }};
    }
    std::vector<std::chrono::milliseconds> intervals() const {
        std::vector<std::chrono::milliseconds> result;
        for (const auto& tick : ticks) {
            result.push_back(tick.interval);
        }
        return result;
    }
    // Search, choose the first device, log in.
    void logIn(const std::string& password = "admin") {
        ASSERT_TRUE(exchanges.search());
        ASSERT_NE(network.state().choose(0), nullptr);
        ASSERT_EQ(exchanges.logIn(password), Exchanges::Login::Accepted);
    }

    FakeNetwork network;
    Timing timing;
    std::vector<std::string> traces;
    Exchanges exchanges;
    std::vector<Exchanges::Tick> ticks;
    int dialogsClosed = 0;
};

std::vector<std::chrono::milliseconds> Repeat(std::chrono::milliseconds slow, int slowCount,
                                              std::chrono::milliseconds fast, int total) {
    std::vector<std::chrono::milliseconds> result(static_cast<std::size_t>(total), fast);
    std::fill_n(result.begin(), slowCount, slow);
    return result;
}

TEST(SearchExchange, TwelveSlowTicksUntilADeviceIsListedThenFastForGood) {
    Bench run({MakeDevice(1, "Office")});
    const auto slow = run.timing.searchTick;
    const auto fast = run.timing.fastTick;
    run.network.setDelivery(PacketKind::Search, Delivery::Held);
    // The answer comes in after tick 2, so tick 3 is the first to see it.
    EXPECT_TRUE(run.exchanges.search(run.recorder([&](int counter) {
        if (counter == 2) {
            run.network.releaseHeld();
        }
    })));
    EXPECT_EQ(run.intervals(), Repeat(slow, 3, fast, 12));
    EXPECT_EQ(run.dialogsClosed, 1);
    EXPECT_TRUE(run.network.state().searchFoundDevices());

    // The shortened interval stays: the next search ticks fast from its first tick, and the
    // device already in the table is not stored twice.
    run.network.setDelivery(PacketKind::Search, Delivery::Immediate);
    const auto begun = Clock::now();
    run.exchanges.search(run.recorder());
    EXPECT_EQ(run.intervals(), Repeat(slow, 0, fast, 12));
    EXPECT_LT(Clock::now() - begun, 12 * slow);
    EXPECT_EQ(run.network.state().table.count(), 1);
    EXPECT_EQ(run.network.sent(PacketKind::Search), 2);
}

TEST(SearchExchange, AnswersWithoutTheMarkerLeaveTheSearchSlowAndEmpty) {
    auto unmarked = MakeDevice(1, "Office");
    unmarked.behaviour.noMarker = true;
    Bench run({unmarked});
    run.exchanges.search(run.recorder());
    EXPECT_EQ(run.intervals(), Repeat(run.timing.searchTick, 12, run.timing.fastTick, 12));
    EXPECT_TRUE(run.network.state().searchAnswered());
    EXPECT_FALSE(run.network.state().searchFoundDevices());
    EXPECT_EQ(run.network.state().table.count(), 0);
}

TEST(SearchExchange, EndsAsSoonAsWhatItLooksForIsIn) {
    Bench run({MakeDevice(1, "Office"), MakeDevice(2, "Hall")}, Timing{});  // 500 ms ticks
    const MacAddress hall = MakeDevice(2, "Hall").mac;
    const auto begun = Clock::now();
    EXPECT_TRUE(run.exchanges.search(
        run.recorder(), [&] { return run.network.state().table.find(hall).has_value(); }));
    EXPECT_LT(Clock::now() - begun, 400ms);
    EXPECT_TRUE(run.ticks.empty());
    EXPECT_EQ(run.dialogsClosed, 0);

    // Collecting answers: the limit ends it unless the condition holds first.
    run.network.setDelivery(PacketKind::Search, Delivery::Held);
    const auto collected = Clock::now();
    EXPECT_TRUE(run.exchanges.searchFor(60ms));
    EXPECT_GE(Clock::now() - collected, 60ms);
    EXPECT_FALSE(run.network.state().searchAnswered());
}

TEST(LoginExchange, OutcomesAndAWaitThatEndsWithTheAnswer) {
    Timing slowLogin = Scaled();
    slowLogin.loginPause = 5s;
    auto refusing = MakeDevice(2, "Hall");
    refusing.behaviour.refusePassword = true;
    Bench run({MakeDevice(1, "Office"), refusing}, slowLogin);
    ASSERT_TRUE(run.exchanges.search());
    ExchangeState& state = run.network.state();

    // Nothing selected: nothing is sent.
    state.setSelectedIndex(-1);
    EXPECT_EQ(run.exchanges.logIn("admin"), Exchanges::Login::NotSent);

    ASSERT_NE(state.choose(0), nullptr);
    const auto begun = Clock::now();
    EXPECT_EQ(run.exchanges.logIn("admin"), Exchanges::Login::Accepted);
    EXPECT_LT(Clock::now() - begun, 1s);  // not the whole pause
    EXPECT_TRUE(state.loggedIn());
    // A wrong password, then the right one again: each attempt waits for its own answer.
    EXPECT_EQ(run.exchanges.logIn("wrong"), Exchanges::Login::Refused);
    EXPECT_FALSE(state.loggedIn());
    EXPECT_EQ(run.exchanges.logIn("admin"), Exchanges::Login::Accepted);

    ASSERT_NE(state.choose(1), nullptr);
    EXPECT_EQ(run.exchanges.logIn("admin"), Exchanges::Login::Refused);

    // No answer within the pause.
    Bench silent({MakeDevice(1, "Office")});
    ASSERT_TRUE(silent.exchanges.search());
    ASSERT_NE(silent.network.state().choose(0), nullptr);
    silent.network.setDelivery(PacketKind::Authentication, Delivery::Held);
    EXPECT_EQ(silent.exchanges.logIn("admin"), Exchanges::Login::NoAnswer);
    EXPECT_FALSE(silent.network.state().passwordAccepted());
}

struct PairingRow {
    const char* name;
    bool managed;
    Delivery delivery;
    bool otherDeviceAnswers;
    Exchanges::Pairing outcome;
    int checks;
};

class PairingExchange : public ::testing::TestWithParam<PairingRow> {};

TEST_P(PairingExchange, ChecksUntilAnAnswerIsIn) {
    const PairingRow& row = GetParam();
    auto device = MakeDevice(1, "Office");
    device.behaviour.pairingManaged = row.managed;
    Timing timing = Scaled();
    timing.pairingPause = row.delivery == Delivery::Held ? 40ms : 5s;
    Bench run({device, MakeDevice(2, "Hall")}, timing);
    ASSERT_TRUE(run.exchanges.search());
    ASSERT_NE(run.network.state().choose(0), nullptr);
    run.network.setDelivery(PacketKind::CheckBPS, row.delivery);
    const auto begun = Clock::now();
    // The other device's answer comes after the flags were cleared for the check.
    std::thread late;
    if (row.otherDeviceAnswers) {
        late = std::thread([&] {
            std::this_thread::sleep_for(10ms);
            run.network.inject(buildCheckBPSAnswer(MakeDevice(2, "Hall").mac, 1));
        });
    }
    EXPECT_EQ(run.exchanges.checkPairing(), row.outcome);
    if (late.joinable()) {
        late.join();
    }
    EXPECT_EQ(run.network.sent(PacketKind::CheckBPS), row.checks);
    std::vector<std::string> expected;
    for (int i = 0; i < row.checks; ++i) {
        expected.emplace_back(kTracePairingNotAnswered);
    }
    if (row.outcome != Exchanges::Pairing::NoAnswer) {
        expected.emplace_back(kTracePairingAnswered);
    }
    EXPECT_EQ(run.traces, expected);
    if (row.delivery == Delivery::Immediate) {
        EXPECT_LT(Clock::now() - begun, 1s);  // the selected device's answer ends the pause
    }
}

INSTANTIATE_TEST_SUITE_P(Table, PairingExchange,
                         ::testing::Values(PairingRow{"managed", true, Delivery::Immediate, false,
                                                      Exchanges::Pairing::Managed, 1},
                                           PairingRow{"notManaged", false, Delivery::Immediate,
                                                      false, Exchanges::Pairing::NotManaged, 1},
                                           PairingRow{"silent", true, Delivery::Held, false,
                                                      Exchanges::Pairing::NoAnswer, 3},
                                           // Only another device answers: that counts for nothing.
                                           PairingRow{"otherDeviceOnly", true, Delivery::Held, true,
                                                      Exchanges::Pairing::NoAnswer, 3}),
                         [](const auto& row) { return std::string(row.param.name); });

// Settings for the device of the run, from what a login loads.
ConfigureSettings SettingsFor(Bench& run) {
    EnteredSettings entered;
    const DeviceInfo& device = run.network.state().table.at(0);
    entered.loadFromDevice(device);
    entered.bWirelessEditable = false;
    entered.newSecurityMode = kSecurityPairing;
    return std::get<ConfigureSettings>(BuildConfigureSettings(entered, device));
}

TEST(ConfigureExchange, NoAcknowledgementRunsTheWholeScheduleAndTheGrace) {
    auto device = MakeDevice(1, "Office");
    device.behaviour.neverAcknowledge = true;
    Bench run({device});
    run.logIn();
    const ConfigureSettings settings = SettingsFor(run);
    const auto begun = Clock::now();
    const auto report = run.exchanges.configure(&settings, run.recorder());
    const auto took = Clock::now() - begun;
    EXPECT_EQ(report.outcome, Exchanges::Configure::NotAcknowledged);
    // At once, then at ticks 0, 3, 6 and 9.
    EXPECT_EQ(report.requestsSent, 5);
    EXPECT_EQ(run.network.sent(PacketKind::Configure), 5);
    EXPECT_EQ(run.intervals(), Repeat(run.timing.configureTick, 12, run.timing.fastTick, 12));
    EXPECT_EQ(run.dialogsClosed, 1);
    EXPECT_GE(took, 12 * run.timing.configureTick + run.timing.configureGrace);
}

TEST(ConfigureExchange, AcknowledgementMakesTheRestFastAndStillRepeats) {
    Bench run({MakeDevice(1, "Office")});
    run.logIn();
    const ConfigureSettings settings = SettingsFor(run);
    const auto begun = Clock::now();
    const auto report = run.exchanges.configure(&settings, run.recorder());
    EXPECT_EQ(report.outcome, Exchanges::Configure::Acknowledged);
    // The interval changes inside a tick only: the first tick comes after a slow one.
    EXPECT_EQ(run.intervals(), Repeat(run.timing.configureTick, 0, run.timing.fastTick, 12));
    EXPECT_GE(Clock::now() - begun, run.timing.configureTick);
    EXPECT_LT(Clock::now() - begun, 3 * run.timing.configureTick);
    EXPECT_EQ(report.requestsSent, 5);
    // The device received the request each time with the same settings.
    for (const PlainMessage& request : run.network.requests()) {
        if (classify(request) == MessageKind::ConfigureRequest) {
            EXPECT_EQ(parseConfigureRequest(request), settings);
        }
    }

    // A second exchange ticks fast from its first tick; its outcome rests on its own
    // acknowledgement, which does not come.
    run.network.setDelivery(PacketKind::Configure, Delivery::Held);
    const auto second = run.exchanges.configure(&settings, run.recorder());
    EXPECT_EQ(second.outcome, Exchanges::Configure::NotAcknowledged);
    EXPECT_EQ(run.intervals(), Repeat(run.timing.configureTick, 0, run.timing.fastTick, 12));
    EXPECT_EQ(run.network.sent(PacketKind::Configure), 10);
}

TEST(ConfigureExchange, LateAcknowledgementDuringTheGraceCounts) {
    Timing timing = Scaled();
    timing.configureGrace = 2s;
    Bench run({MakeDevice(1, "Office")}, timing);
    run.logIn();
    const ConfigureSettings settings = SettingsFor(run);
    run.network.setDelivery(PacketKind::Configure, Delivery::Held);
    std::thread late;
    Exchanges::Progress progress = run.recorder();
    progress.ticksDone = [&] {
        late = std::thread([&] {
            std::this_thread::sleep_for(50ms);
            run.network.releaseHeld();
        });
    };
    const auto report = run.exchanges.configure(&settings, progress);
    late.join();
    EXPECT_EQ(report.outcome, Exchanges::Configure::Acknowledged);
}

// A device that answers "no" (a zero byte in the name, which it cannot store) has refused the
// settings: that is told as such, at once, and not as a device that stays silent.
TEST(ConfigureExchange, ARefusalEndsTheScheduleAtOnce) {
    Bench run({MakeDevice(1, "Office")});
    run.logIn();
    ConfigureSettings settings = SettingsFor(run);
    settings.deviceName = std::string("ab\0cd", 5);
    const auto begun = Clock::now();
    const auto report = run.exchanges.configure(&settings, run.recorder());
    EXPECT_EQ(report.outcome, Exchanges::Configure::Refused);
    EXPECT_EQ(report.requestsSent, 1);
    EXPECT_EQ(run.dialogsClosed, 1);
    EXPECT_LT(Clock::now() - begun, 2 * run.timing.configureTick);
    // The same device then takes good settings.
    settings.deviceName = "Office";
    EXPECT_EQ(run.exchanges.configure(&settings, run.recorder()).outcome,
              Exchanges::Configure::Acknowledged);
}

TEST(ConfigureExchange, NeedsAnAcceptedLoginAndSettingsThatBuild) {
    Bench run({MakeDevice(1, "Office")});
    ASSERT_TRUE(run.exchanges.search());
    ASSERT_NE(run.network.state().choose(0), nullptr);
    const ConfigureSettings settings = SettingsFor(run);
    auto report = run.exchanges.configure(&settings, run.recorder());
    EXPECT_EQ(report.outcome, Exchanges::Configure::NotLoggedIn);
    EXPECT_EQ(run.network.sent(PacketKind::Configure), 0);
    EXPECT_TRUE(run.ticks.empty());

    ASSERT_EQ(run.exchanges.logIn("admin"), Exchanges::Login::Accepted);
    report = run.exchanges.configure(nullptr, run.recorder());
    EXPECT_EQ(report.outcome, Exchanges::Configure::NotAcknowledged);
    EXPECT_EQ(report.requestsSent, 0);
    EXPECT_EQ(report.requestsRefused, 5);
    EXPECT_EQ(run.ticks.size(), 12u);
}

}  // namespace
}  // namespace trv81k
