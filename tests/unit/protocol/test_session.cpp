// The channel, the receiver thread and sendPacket over the loopback interface. Run inside a
// network namespace of its own (./test does): every datagram stays on its lo.
#include <gtest/gtest.h>

#include <poll.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "../platform/private_netns.h"
#include "platform/adapters.h"
#include "protocol/Receivemulticastunit.h"
#include "protocol/cipher.h"
#include "protocol/session.h"
#include "test_support.h"

namespace trv81k {
namespace {

using namespace std::chrono_literals;
using test::eventually;
using test::loopbackEndpoint;
using test::makeDevice;

constexpr Ipv4Address kLoopback{127, 0, 0, 1};

// A plain listener on the group, standing in for a device.
class GroupListener {
public:
    explicit GroupListener(std::uint16_t port)
        : socket_(io_, loopbackEndpoint(port), SocketRole::Device) {}
    std::optional<std::vector<std::uint8_t>> receive() {
        asio::ip::udp::endpoint from;
        std::vector<std::uint8_t> bytes(kReceiveBufferSize);
        // asio's blocking receive waits again on a receive time-out: wait here instead.
        ::pollfd ready{socket_.socket().native_handle(), POLLIN, 0};
        if (::poll(&ready, 1, 2000) <= 0) {
            return std::nullopt;
        }
        asio::error_code error;
        const std::size_t n = socket_.socket().receive_from(asio::buffer(bytes), from, 0, error);
        if (error) {
            return std::nullopt;
        }
        bytes.resize(n);
        return bytes;
    }
    MulticastSocket& socket() { return socket_; }

private:
    asio::io_context io_;
    MulticastSocket socket_;
};

TEST(PrepareRequest, AppliesTheSendersStateRules) {
    ExchangeState state;
    state.reset();
    RequestContent content;
    state.recordLoginAnswer(true);
    ASSERT_TRUE(prepareRequest(PacketKind::Search, state, content));
    EXPECT_EQ(state.requestKind(), 1);
    EXPECT_FALSE(state.loginAnswered());

    // No device stored: no authentication request, requestKind unchanged.
    EXPECT_FALSE(prepareRequest(PacketKind::Authentication, state, content));
    EXPECT_EQ(state.requestKind(), 1);

    state.table.append(makeDevice(1));
    state.choose(0);
    content.loginPassword = "pw";
    const auto auth = prepareRequest(PacketKind::Authentication, state, content);
    ASSERT_TRUE(auth);
    EXPECT_EQ(state.requestKind(), 2);
    EXPECT_EQ(parseAuthRequest(*auth)->mac, makeDevice(1).macAddress);

    EXPECT_EQ(parseAuthRequest(*auth)->password, "pw");

    ASSERT_TRUE(prepareRequest(PacketKind::CheckBPS, state, content));
    EXPECT_EQ(state.requestKind(), 2);  // the pairing check leaves it alone

    // Without settings no configure request is built, but it counts as the last request kind
    // all the same.
    EXPECT_FALSE(prepareRequest(PacketKind::Configure, state, content));
    EXPECT_EQ(state.requestKind(), 3);
    ConfigureSettings settings;
    settings.mac = makeDevice(1).macAddress;
    content.settings = &settings;
    const auto configure = prepareRequest(PacketKind::Configure, state, content);
    ASSERT_TRUE(configure);
    EXPECT_EQ(parseConfigureRequest(*configure), settings);

    state.setSelectedIndex(5);  // outside the table
    EXPECT_FALSE(prepareRequest(PacketKind::Authentication, state, content));
}

TEST(ReceiverThread, StoresThirtyTwoDevicesAnsweringAtOnce) {
    ExchangeState state;
    state.reset();
    Timing timing;
    timing.receiverPause = 300ms;
    ReceiveMulticast receiver(state, loopbackEndpoint(24101), timing);
    ASSERT_TRUE(receiver.start());
    GroupListener sender(24101);
    std::vector<Datagram> answers;
    for (int i = 1; i < 32; ++i) {
        answers.push_back(sealPacket(*buildSearchAnswer(makeDevice(i))));
    }
    // A stored answer, which the receiver pauses after; the other 31 queue up during that
    // pause.
    sender.socket().sendToGroup(sealPacket(*buildSearchAnswer(makeDevice(0))));
    ASSERT_TRUE(eventually([&] { return receiver.datagramsHandled() == 1; }));
    std::this_thread::sleep_for(20ms);
    for (const Datagram& answer : answers) {
        ASSERT_TRUE(sender.socket().sendToGroup(answer));
    }
    // Every queued answer is read without the pause between them: the rest of the one pause,
    // not 32 of them (9.6 s).
    EXPECT_TRUE(eventually([&] { return state.table.count() == 32; }, 1500ms));
    receiver.stop();
    EXPECT_FALSE(receiver.running());
}

TEST(ReceiverThread, StopEndsABlockedReceiveIsSafeTwiceAndStartsAgain) {
    ExchangeState state;
    state.reset();
    auto receiver = std::make_unique<ReceiveMulticast>(state, loopbackEndpoint(24102), Timing{});
    ASSERT_TRUE(receiver->start());
    std::this_thread::sleep_for(20ms);  // the thread now waits in its receive
    receiver->stop();
    receiver->stop();
    EXPECT_FALSE(receiver->running());
    // A stopped receiver starts again and hears answers.
    ASSERT_TRUE(receiver->start());
    GroupListener sender(24102);
    sender.socket().sendToGroup(sealPacket(*buildSearchAnswer(makeDevice(5))));
    EXPECT_TRUE(eventually([&] { return state.table.count() == 1; }));
    receiver->stop();
    receiver.reset();  // the destructor after a stop
}

TEST(ReceiverThread, StopDuringTheIdlePause) {
    ExchangeState state;
    state.reset();
    Timing slow;
    slow.receiverPause = 60s;
    ReceiveMulticast receiver(state, loopbackEndpoint(24103), slow);
    ASSERT_TRUE(receiver.start());
    GroupListener sender(24103);
    sender.socket().sendToGroup(sealPacket(*buildSearchAnswer(makeDevice(1))));  // pause after
    ASSERT_TRUE(eventually([&] { return receiver.datagramsHandled() == 1; }));
    receiver.stop();  // must not sit out the minute
    EXPECT_FALSE(receiver.running());
}

// Datagrams the receiver ignores (requests of other wizards, junk, answers for other devices)
// arrive one at a time with the socket otherwise idle: after none of them does it sit out a
// pause, so the answer behind them is stored at once, not a minute later.
TEST(ReceiverThread, IgnoredDatagramsNeverHoldUpTheNextAnswer) {
    ExchangeState state;
    state.reset();
    state.setSelectedIndex(-1);
    Timing slow;
    slow.receiverPause = 60s;
    ReceiveMulticast receiver(state, loopbackEndpoint(24106), slow);
    ASSERT_TRUE(receiver.start());
    GroupListener sender(24106);
    const std::vector<Datagram> ignored = {
        sealPacket(buildSearchRequest()), sealPacket(PlainMessage{}),
        sealPacket(buildConfigureAnswer(makeDevice(2).macAddress, 0)),
        sealPacket(buildCheckBPSAnswer(makeDevice(2).macAddress, 1))};
    for (std::size_t i = 0; i < ignored.size(); ++i) {
        ASSERT_TRUE(sender.socket().sendToGroup(ignored[i]));
        ASSERT_TRUE(eventually([&] { return receiver.datagramsHandled() == i + 1; }));
    }
    ASSERT_TRUE(sender.socket().sendToGroup(std::span(ignored[0]).first(100)));  // cut short
    ASSERT_TRUE(eventually([&] { return receiver.datagramsHandled() == ignored.size() + 1; }));
    ASSERT_TRUE(sender.socket().sendToGroup(sealPacket(*buildSearchAnswer(makeDevice(3)))));
    EXPECT_TRUE(eventually([&] { return state.table.count() == 1; }, 2000ms));
    receiver.stop();
}

class Session : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SetInterfaceOverride(std::string("127.0.0.1"))); }
    void TearDown() override { SetInterfaceOverride(std::nullopt); }
};

TEST_F(Session, SendsSealedRequestsToTheGroupAndHearsAnswers) {
    NetworkSession session(Timing{}.scaled(0.01), {}, 24104);
    ASSERT_EQ(session.open(), NetworkSession::OpenResult::Open);
    EXPECT_EQ(session.localIPText(), "127.0.0.1");
    EXPECT_TRUE(session.receiverRunning());
    GroupListener device(24104);

    RequestContent content;
    ASSERT_TRUE(session.sendPacket(PacketKind::Search, content));
    auto request = device.receive();
    ASSERT_TRUE(request);
    ASSERT_EQ(request->size(), kDatagramSize);
    EXPECT_EQ((*request)[640], checksum(std::span(*request).first<kCipherSize>()));
    EXPECT_EQ(classify(decryptPacket(*request)), MessageKind::SearchRequest);

    // The device answers; the session's receiver stores it.
    device.socket().sendToGroup(sealPacket(*buildSearchAnswer(makeDevice(9))));
    ASSERT_TRUE(eventually([&] { return session.state().table.count() == 1; }));

    // Authentication to the chosen device carries the adapter address.
    session.state().choose(0);
    content.loginPassword = "admin";
    ASSERT_TRUE(session.sendPacket(PacketKind::Authentication, content));
    std::optional<AuthRequest> auth;
    while (!auth) {
        request = device.receive();
        ASSERT_TRUE(request);
        auth = parseAuthRequest(decryptPacket(*request));
    }
    EXPECT_EQ(auth->localIP, kLoopback);
    EXPECT_EQ(auth->password, "admin");
    const DeviceInfo& chosen = session.state().table.at(0);
    device.socket().sendToGroup(
        sealPacket(buildAuthAnswer(chosen.deviceToken, chosen.macAddress, kLoopback, 0)));
    EXPECT_TRUE(eventually([&] { return session.state().loginAnswered(); }));
    EXPECT_TRUE(session.state().passwordAccepted());

    session.close();
    EXPECT_FALSE(session.channelOpen());
    EXPECT_FALSE(session.receiverRunning());
    EXPECT_FALSE(session.sendPacket(PacketKind::Search, content));
}

// A burst on the group waits in the socket's queue rather than pushing answers out: the
// queue is as large as the system grants, up to a megabyte.
TEST_F(Session, ReceiveQueueHoldsABurst) {
    GroupListener listener(24106);
    asio::socket_base::receive_buffer_size granted;
    listener.socket().socket().get_option(granted);
    long systemLimit = 0;
    if (std::FILE* file = std::fopen("/proc/sys/net/core/rmem_max", "r")) {
        if (std::fscanf(file, "%ld", &systemLimit) != 1) {
            systemLimit = 0;
        }
        std::fclose(file);
    }
    ASSERT_GT(systemLimit, 0);
    EXPECT_GE(granted.value(), std::min(systemLimit, 1L << 20));
    // The sending channel never reads: it keeps the system's default queue.
    asio::io_context io;
    MulticastSocket channel(io, loopbackEndpoint(24108), SocketRole::Channel);
    asio::socket_base::receive_buffer_size channelQueue;
    channel.socket().get_option(channelQueue);
    EXPECT_LT(channelQueue.value(), granted.value());
}

TEST_F(Session, PortHeldWithoutReuseIsABindFailure) {
    asio::io_context io;
    asio::ip::udp::socket blocker(io, asio::ip::udp::endpoint(asio::ip::udp::v4(), 24105));
    NetworkSession session({}, {}, 24105);
    EXPECT_EQ(session.open(), NetworkSession::OpenResult::BindFailed);
    EXPECT_FALSE(session.channelOpen());
    EXPECT_FALSE(session.receiverRunning());
}

// The adapter is looked up once, at start-up. One that gets its address later lets the guards
// pass from then on, but the session keeps the adapter it found (none): its requests still
// carry 0.0.0.0 and leave by the system's choice, as they did before.
using AdapterAfterStartUp = testing::PrivateNetworkTest;

TEST_F(AdapterAfterStartUp, GuardPassesAndTheSessionKeepsWhatItFound) {
    // An adapter that is up but has no IPv4 address yet (a veth pair: both ends here).
    if (std::system("ip link add trv0 type veth peer name trv1 && ip link set trv0 up && "
                    "ip link set trv1 up && ip link set lo up") != 0) {
        GTEST_SKIP() << "cannot make a veth pair here";
    }
    ASSERT_FALSE(CheckNICState());
    NetworkSession session(Timing{}.scaled(0.01), {}, 24107);
    ASSERT_EQ(session.open(), NetworkSession::OpenResult::Open);
    EXPECT_FALSE(session.adapterFound());
    EXPECT_EQ(session.localIPText(), "0.0.0.0");
    EXPECT_TRUE(session.receiverRunning());

    ASSERT_EQ(std::system("ip addr add 10.9.0.5/24 dev trv0"), 0);
    EXPECT_TRUE(CheckNICState());  // the guards of the search page and of Yes pass now
    AddressText address{};
    AddressText mask{};
    ASSERT_TRUE(GetNICAddress(address, mask));
    EXPECT_STREQ(address.data(), "10.9.0.5");

    EXPECT_EQ(session.localIPText(), "0.0.0.0");
    EXPECT_EQ(session.state().localIP(), (Ipv4Address{0, 0, 0, 0}));
    // The authentication request carries the adapter of the start-up.
    session.state().table.append(makeDevice(4));
    session.state().choose(0);
    RequestContent content;
    content.loginPassword = "admin";
    const auto auth = prepareRequest(PacketKind::Authentication, session.state(), content);
    ASSERT_TRUE(auth);
    EXPECT_EQ(parseAuthRequest(*auth)->localIP, (Ipv4Address{0, 0, 0, 0}));
    session.close();
    EXPECT_FALSE(session.receiverRunning());
}

}  // namespace
}  // namespace trv81k
