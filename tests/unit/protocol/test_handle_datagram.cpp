#include <gtest/gtest.h>

#include <vector>

#include "protocol/cipher.h"
#include "protocol/handle_datagram.h"
#include "test_support.h"

namespace trv81k {
namespace {

using test::makeDevice;

// The receiver's view: state with device `selected` of a table of three chosen.
class Receiver : public ::testing::Test {
protected:
    void SetUp() override {
        state.reset();
        state.setLocalIP({10, 0, 0, 2});
    }

    HandleResult receive(const PlainMessage& plain) {
        const Datagram datagram = sealPacket(plain);
        return handleDatagram(datagram, state);
    }

    void storeAndChoose(int devices, int selected) {
        for (int i = 0; i < devices; ++i) {
            ASSERT_EQ(receive(*buildSearchAnswer(makeDevice(i))).outcome,
                      DatagramOutcome::SearchStored);
        }
        ASSERT_NE(state.choose(selected), nullptr);
    }

    ExchangeState state;
};

TEST_F(Receiver, SearchAnswersFillTheTableInArrivalOrderWithTheirAdapter) {
    const Adapter lab1{"lab1", {10, 82, 0, 1}, {255, 255, 255, 0}};
    EXPECT_EQ(handleDatagram(sealPacket(*buildSearchAnswer(makeDevice(7))), state, lab1).outcome,
              DatagramOutcome::SearchStored);
    EXPECT_EQ(state.table.adapterOf(0), lab1);
    EXPECT_EQ(receive(*buildSearchAnswer(makeDevice(3))).outcome, DatagramOutcome::SearchStored);
    EXPECT_TRUE(state.searchAnswered());
    EXPECT_TRUE(state.deviceListed());
    ASSERT_EQ(state.table.count(), 2);
    EXPECT_EQ(state.table.at(0), makeDevice(7));
    EXPECT_EQ(state.table.at(1).deviceNameText(), "AP3");
    EXPECT_EQ(state.table.at(1).pairingCapable, 1);
}

TEST_F(Receiver, DuplicateKeepsTheFirstAnswersData) {
    receive(*buildSearchAnswer(makeDevice(1)));
    DeviceInfo changed = makeDevice(1, "Renamed");
    const HandleResult result = receive(*buildSearchAnswer(changed));
    EXPECT_EQ(result.outcome, DatagramOutcome::SearchDuplicate);
    ASSERT_EQ(state.table.count(), 1);
    EXPECT_EQ(state.table.at(0).deviceNameText(), "AP1");
    // The same device by its hardware address, heard again with another first six bytes.
    changed = makeDevice(1);
    changed.deviceId[0] ^= 0xFF;
    EXPECT_EQ(receive(*buildSearchAnswer(changed)).outcome, DatagramOutcome::SearchDuplicate);
}

TEST_F(Receiver, AnswerWithoutMarkerOrWithOversizedTextOnlySetsTheSearchFlag) {
    PlainMessage noMarker = *buildSearchAnswer(makeDevice(1));
    const std::string bytes(noMarker.begin(), noMarker.end());
    noMarker[bytes.find("EWSC")] = 0;
    EXPECT_EQ(receive(noMarker).outcome, DatagramOutcome::SearchNoMarker);
    EXPECT_TRUE(state.searchAnswered());
    EXPECT_FALSE(state.deviceListed());
    EXPECT_EQ(state.table.count(), 0);

    state.clearSearchAnswered();
    PlainMessage oversized = *buildSearchAnswer(makeDevice(2));
    oversized[30] = 250;
    EXPECT_EQ(receive(oversized).outcome, DatagramOutcome::SearchMalformed);
    EXPECT_TRUE(state.searchAnswered());
    EXPECT_EQ(state.table.count(), 0);

    // The next good answer takes the first slot.
    EXPECT_EQ(receive(*buildSearchAnswer(makeDevice(3))).outcome, DatagramOutcome::SearchStored);
    EXPECT_EQ(state.table.at(0).deviceNameText(), "AP3");
}

TEST_F(Receiver, TheThirtyThirdDeviceIsDropped) {
    for (int i = 0; i < 33; ++i) {
        receive(*buildSearchAnswer(makeDevice(i)));
    }
    EXPECT_EQ(state.table.count(), 32);
    EXPECT_EQ(receive(*buildSearchAnswer(makeDevice(40))).outcome,
              DatagramOutcome::SearchTableFull);
    EXPECT_EQ(receive(*buildSearchAnswer(makeDevice(5))).outcome, DatagramOutcome::SearchDuplicate);
    EXPECT_EQ(state.table.at(31).deviceNameText(), "AP31");
}

// Each answer is recorded for the device it is for, so several exchanges can be under way; the
// flags follow the selected device.
TEST_F(Receiver, AuthenticationAnswerAcceptRules) {
    storeAndChoose(3, 1);
    const DeviceInfo& d = state.table.at(1);
    const Ipv4Address adapter{10, 0, 0, 2};
    const PlainMessage accepted = buildAuthAnswer(d.deviceToken, d.macAddress, adapter, 0);

    // No authentication outstanding: ignored.
    EXPECT_EQ(receive(accepted).outcome, DatagramOutcome::AuthIgnored);
    EXPECT_FALSE(state.loginAnswered());

    state.noteRequestTo(1, PacketKind::Authentication, adapter);
    EXPECT_EQ(receive(buildAuthAnswer({0, 0, 0, 0}, d.macAddress, adapter, 0)).outcome,
              DatagramOutcome::AuthIgnored);  // another token
    EXPECT_EQ(receive(buildAuthAnswer(d.deviceToken, d.macAddress, {10, 0, 0, 3}, 0)).outcome,
              DatagramOutcome::AuthIgnored);  // another adapter
    EXPECT_FALSE(state.passwordAccepted());
    EXPECT_EQ(state.deviceLoginAnswers(1), 0u);

    EXPECT_EQ(receive(accepted).outcome, DatagramOutcome::AuthTaken);
    EXPECT_TRUE(state.passwordAccepted());
    EXPECT_TRUE(state.loginAnswered());
    EXPECT_TRUE(state.deviceLoggedIn(1));

    // A refusal is reported as bAuthOK 0 with bGetAuthAck 1.
    EXPECT_EQ(receive(buildAuthAnswer(d.deviceToken, {}, adapter, 3)).outcome,
              DatagramOutcome::AuthTaken);
    EXPECT_FALSE(state.passwordAccepted());
    EXPECT_TRUE(state.loginAnswered());
    EXPECT_EQ(state.deviceLoginAnswers(1), 2u);

    // Another device's login, from another adapter, at the same time: its own record only.
    const DeviceInfo& other = state.table.at(2);
    state.noteRequestTo(2, PacketKind::Authentication, {10, 82, 0, 1});
    EXPECT_EQ(receive(buildAuthAnswer(other.deviceToken, {}, {10, 82, 0, 1}, 0)).outcome,
              DatagramOutcome::AuthTaken);
    EXPECT_TRUE(state.deviceLoggedIn(2));
    EXPECT_FALSE(state.passwordAccepted());  // the selected device's flag is untouched
    // A search request forgets every login.
    state.noteSearchRequest();
    EXPECT_FALSE(state.deviceLoggedIn(2));
    EXPECT_EQ(receive(accepted).outcome, DatagramOutcome::AuthIgnored);
}

TEST_F(Receiver, ConfigureAnswerAcceptRules) {
    storeAndChoose(2, 0);
    const MacAddress mine = state.table.at(0).macAddress;
    const MacAddress other = state.table.at(1).macAddress;
    MacAddress stranger = mine;
    stranger[0] ^= 0x40;

    EXPECT_EQ(receive(buildConfigureAnswer(stranger, 0)).outcome,
              DatagramOutcome::ConfigureOtherDevice);
    EXPECT_EQ(receive(buildConfigureAnswer(mine, 1)).outcome, DatagramOutcome::ConfigureRefused);
    EXPECT_FALSE(state.configureAcknowledged());
    EXPECT_FALSE(state.acknowledgementSeen());
    EXPECT_EQ(state.deviceAcknowledgements(0), 0u);

    // The other device's acknowledgement counts for it alone.
    EXPECT_EQ(receive(buildConfigureAnswer(other, 0)).outcome,
              DatagramOutcome::ConfigureAcknowledged);
    EXPECT_EQ(state.deviceAcknowledgements(1), 1u);
    EXPECT_FALSE(state.configureAcknowledged());

    EXPECT_EQ(receive(buildConfigureAnswer(mine, 0)).outcome,
              DatagramOutcome::ConfigureAcknowledged);
    EXPECT_TRUE(state.configureAcknowledged());
    EXPECT_TRUE(state.acknowledgementSeen());
    EXPECT_EQ(state.deviceAcknowledgements(0), 1u);
}

TEST_F(Receiver, PairingCheckAnswerAcceptRules) {
    storeAndChoose(2, 0);
    const MacAddress mine = state.table.at(0).macAddress;
    const MacAddress other = state.table.at(1).macAddress;

    // Another device's answer: its own record, and bGetCheckBPSAck as the flags have it.
    EXPECT_EQ(receive(buildCheckBPSAnswer(other, 1)).outcome, DatagramOutcome::CheckBPSTaken);
    EXPECT_TRUE(state.pairingAnswered());
    EXPECT_FALSE(state.pairingManaged());
    EXPECT_TRUE(state.devicePairingManaged(1));
    EXPECT_EQ(state.devicePairingAnswers(0), 0u);

    EXPECT_EQ(receive(buildCheckBPSAnswer(mine, 1)).outcome, DatagramOutcome::CheckBPSTaken);
    EXPECT_TRUE(state.pairingManaged());
    EXPECT_EQ(receive(buildCheckBPSAnswer(mine, 2)).outcome, DatagramOutcome::CheckBPSTaken);
    EXPECT_FALSE(state.pairingManaged());
    EXPECT_EQ(state.devicePairingAnswers(0), 2u);
}

// Anyone can send these, as fast as the network carries them.
TEST_F(Receiver, RequestsAndJunkAreIgnored) {
    for (const PlainMessage& plain :
         {buildSearchRequest(), buildCheckBPSRequest({}), PlainMessage{}}) {
        EXPECT_EQ(receive(plain).outcome, DatagramOutcome::Unknown);
    }
    EXPECT_FALSE(state.searchAnswered());
    // Any length up to 740 bytes, any content: no crash, no change.
    std::vector<std::uint8_t> junk(740, 0xA5);
    for (std::size_t length = 0; length <= junk.size(); length += 37) {
        handleDatagram(std::span(junk).first(length), state);
    }
    EXPECT_EQ(state.table.count(), 0);
}

TEST_F(Receiver, WrongChecksumAndTruncationAreProcessedLikeAnyOther) {
    Datagram datagram = sealPacket(*buildSearchAnswer(makeDevice(1)));
    datagram[640] ^= 0xFF;
    EXPECT_EQ(handleDatagram(datagram, state).outcome, DatagramOutcome::SearchStored);
    // A search answer cut short still decrypts, with zero cipher bytes in place of the rest;
    // those decrypt to noise, so the answer is recognised but not stored.
    state.clearSearchAnswered();
    const Datagram second = sealPacket(*buildSearchAnswer(makeDevice(2)));
    const HandleResult result = handleDatagram(std::span(second).first(64), state);
    EXPECT_NE(result.outcome, DatagramOutcome::SearchStored);
    EXPECT_TRUE(state.searchAnswered());
    EXPECT_EQ(state.table.count(), 1);
}

}  // namespace
}  // namespace trv81k
