// The diagnosis's rules and its probe, over a network whose facts the test sets: which finding
// each fact leads to, and that only the probe's own copy tells the firewall apart.

#include <gtest/gtest.h>

#include "core/diagnosis.h"

namespace trv81k {
namespace {

using namespace std::chrono_literals;

const Adapter kLan{"lan1", {192, 168, 1, 10}, {255, 255, 255, 0}};
const Adapter kWifi{"wlan0", {10, 0, 0, 5}, {255, 255, 255, 0}};

std::vector<Finding> FindingsOf(const AdapterFacts& fact, const DeviceTable& table = {}) {
    const std::vector<AdapterFacts> facts{fact};
    return DiagnoseFacts(facts, table).adapters.at(0).findings;
}

TEST(DiagnosisRules, EachFactLeadsToItsFinding) {
    AdapterFacts fact{.adapter = kLan, .probed = true, .own = 1};
    EXPECT_EQ(FindingsOf(fact), std::vector{Finding::NoAnswer});

    AdapterFacts noLink = fact;
    noLink.carrier = false;
    EXPECT_EQ(FindingsOf(noLink), std::vector{Finding::NoCarrier});

    AdapterFacts dropped = fact;
    dropped.own = 0;
    EXPECT_EQ(FindingsOf(dropped), std::vector{Finding::Firewall});

    AdapterFacts notProbed = dropped;
    notProbed.probed = false;  // a probe that never went out proves nothing
    EXPECT_EQ(FindingsOf(notProbed), std::vector{Finding::NoAnswer});

    AdapterFacts noMulticast{.adapter = kLan, .multicast = false, .searched = false};
    EXPECT_EQ(FindingsOf(noMulticast), std::vector{Finding::NoMulticast});

    AdapterFacts junk = fact;
    junk.foreign = 7;
    const std::vector<AdapterFacts> facts{junk};
    const Diagnosis diagnosis = DiagnoseFacts(facts, DeviceTable{});
    EXPECT_EQ(diagnosis.adapters.at(0).findings, std::vector{Finding::ForeignDatagrams});
    EXPECT_EQ(diagnosis.adapters.at(0).foreignDatagrams, 7U);
    EXPECT_NE(FindingSentence(Finding::ForeignDatagrams, diagnosis.adapters.at(0)).find("7 "),
              std::string::npos);
}

TEST(DiagnosisRules, DevicesMakeTheirAdapterOkAndOnlyThatOne) {
    DeviceTable table;
    DeviceInfo device{};
    device.macAddress = {0x02, 0x81, 0, 0, 0, 1};
    ASSERT_TRUE(table.append(device, kWifi));
    const std::vector<AdapterFacts> facts{AdapterFacts{.adapter = kLan, .probed = true, .own = 0},
                                          AdapterFacts{.adapter = kWifi, .probed = true, .own = 0}};
    const Diagnosis diagnosis = DiagnoseFacts(facts, table);
    EXPECT_EQ(diagnosis.adapters.at(0).findings, std::vector{Finding::Firewall});
    EXPECT_EQ(diagnosis.adapters.at(1).findings, std::vector{Finding::Ok});
    EXPECT_EQ(diagnosis.adapters.at(1).devices, 1);
    EXPECT_TRUE(diagnosis.anyDevice());
}

TEST(DiagnosisRules, FirewallSentenceTellsHowToAllowThePort) {
    const std::string text = FindingSentence(Finding::Firewall, AdapterDiagnosis{});
    for (const char* words : {"UDP port 14675", "nft insert rule", "ufw allow 14675/udp",
                              "firewall-cmd --add-port=14675/udp"}) {
        EXPECT_NE(text.find(words), std::string::npos) << words;
    }
    const Diagnosis held = DiagnosePortInUse(std::vector{kLan}, "holder (process 12)");
    EXPECT_EQ(held.adapters.at(0).findings, std::vector{Finding::PortInUse});
    EXPECT_NE(FindingSentence(Finding::PortInUse, held.adapters.at(0)).find("holder (process 12)"),
              std::string::npos);
}

// A network whose probe comes back (or not) as the test says, `echoAfter` polls after it went
// out; its adapter may have heard its own datagrams before (a loopback adapter).
class ProbeNetwork final : public NetworkPort {
public:
    ProbeNetwork(std::optional<int> echoAfter, std::uint64_t ownBefore)
        : echoAfter_(echoAfter), own_(ownBefore) {}
    OpenResult open() override { return OpenResult::Open; }
    bool sendPacket(PacketKind, const RequestContent&) override { return true; }
    void close() noexcept override {}
    bool checkAdapter() override { return true; }
    bool receiverRunning() const override { return true; }
    std::vector<Adapter> adapters() const override { return {kLan}; }
    ExchangeState& state() override { return state_; }
    bool sendProbe() override {
        ++probes;
        probed_ = true;
        return true;
    }
    std::vector<AdapterFacts> adapterFacts() const override {
        if (probed_ && echoAfter_ && polls_++ >= *echoAfter_) {
            own_ += polls_ == *echoAfter_ + 1 ? 1 : 0;
        }
        return {AdapterFacts{.adapter = kLan, .probed = probed_, .own = own_}};
    }
    int probes = 0;

private:
    std::optional<int> echoAfter_;
    mutable std::uint64_t own_;
    mutable int polls_ = 0;
    bool probed_ = false;
    ExchangeState state_;
};

Diagnosis RunDiagnosis(ProbeNetwork& network, std::chrono::milliseconds& took) {
    Exchanges exchanges(network, Timing{}, SleepingWait(), [](const std::string&) {});
    const auto start = std::chrono::steady_clock::now();
    Diagnosis diagnosis = Diagnose(exchanges);
    took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start);
    return diagnosis;
}

TEST(DiagnosisProbe, EndsOnceTheCopyIsBack) {
    ProbeNetwork network(3, 0);
    std::chrono::milliseconds took{};
    const Diagnosis diagnosis = RunDiagnosis(network, took);
    EXPECT_EQ(network.probes, 1);
    EXPECT_EQ(diagnosis.adapters.at(0).findings, std::vector{Finding::NoAnswer});
    EXPECT_LT(took, kProbeWait / 2);
}

TEST(DiagnosisProbe, ACopyThatNeverComesIsTheFirewallEvenAfterOwnTrafficBefore) {
    ProbeNetwork network(std::nullopt, 5);  // heard itself before the probe, not after it
    std::chrono::milliseconds took{};
    const Diagnosis diagnosis = RunDiagnosis(network, took);
    EXPECT_EQ(diagnosis.adapters.at(0).findings, std::vector{Finding::Firewall});
    EXPECT_GE(took, kProbeWait);
    EXPECT_LT(took, 1s);
}

}  // namespace
}  // namespace trv81k
