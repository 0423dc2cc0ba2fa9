// The channel, the receiver thread and sendPacket over the loopback interface. Run inside a
// network namespace of its own (./test does): every datagram stays on its lo.
#include <gtest/gtest.h>

#include <poll.h>
#include <algorithm>
#include <atomic>
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
    const Ipv4Address from{10, 0, 0, 7};
    state.setFlags({.bGetAuthAck = true});
    ASSERT_TRUE(prepareRequest(PacketKind::Search, state, content, from));
    EXPECT_EQ(state.requestKind(), 1);
    EXPECT_FALSE(state.loginAnswered());

    // No device stored: no authentication request, requestKind unchanged.
    EXPECT_FALSE(prepareRequest(PacketKind::Authentication, state, content, from));
    EXPECT_EQ(state.requestKind(), 1);

    state.table.append(makeDevice(1));
    state.table.append(makeDevice(2));
    state.choose(0);
    content.loginPassword = "pw";
    const auto auth = prepareRequest(PacketKind::Authentication, state, content, from);
    ASSERT_TRUE(auth);
    EXPECT_EQ(state.requestKind(), 2);
    // To the selected device, from the adapter it goes out on.
    EXPECT_EQ(parseAuthRequest(*auth)->mac, makeDevice(1).macAddress);
    EXPECT_EQ(parseAuthRequest(*auth)->localIP, from);
    EXPECT_EQ(parseAuthRequest(*auth)->password, "pw");
    // Or to the device the content names.
    content.device = 1;
    EXPECT_EQ(
        parseAuthRequest(*prepareRequest(PacketKind::Authentication, state, content, from))->token,
        makeDevice(2).deviceToken);
    EXPECT_EQ(parseCheckBPSRequest(*prepareRequest(PacketKind::CheckBPS, state, content, from)),
              makeDevice(2).macAddress);
    content.device = -1;

    ASSERT_TRUE(prepareRequest(PacketKind::CheckBPS, state, content, from));
    EXPECT_EQ(state.requestKind(), 2);  // the pairing check leaves it alone

    // Without settings no configure request is built, but it counts as the last request kind
    // all the same.
    EXPECT_FALSE(prepareRequest(PacketKind::Configure, state, content, from));
    EXPECT_EQ(state.requestKind(), 3);
    ConfigureSettings settings;
    settings.mac = makeDevice(1).macAddress;
    content.settings = &settings;
    const auto configure = prepareRequest(PacketKind::Configure, state, content, from);
    ASSERT_TRUE(configure);
    EXPECT_EQ(parseConfigureRequest(*configure), settings);

    state.setSelectedIndex(5);  // outside the table
    EXPECT_FALSE(prepareRequest(PacketKind::Authentication, state, content, from));
}

// A burst of answers is read as it comes, with no pause between them, and each stored answer
// keeps the adapter it came in on.
TEST(ReceiverThread, StoresThirtyTwoDevicesAnsweringAtOnce) {
    ExchangeState state;
    state.reset();
    const Adapter lo{"lo", kLoopback, {255, 0, 0, 0}};
    ReceiveMulticast receiver(state, loopbackEndpoint(24101), {lo});
    ASSERT_TRUE(receiver.start());
    GroupListener sender(24101);
    std::vector<Datagram> answers;
    for (int i = 0; i < 32; ++i) {
        answers.push_back(sealPacket(*buildSearchAnswer(makeDevice(i))));
    }
    for (const Datagram& answer : answers) {
        ASSERT_TRUE(sender.socket().sendToGroup(answer));
    }
    EXPECT_TRUE(eventually([&] { return state.table.count() == 32; }, 1500ms));
    EXPECT_EQ(state.table.adapterOf(31), lo);
    receiver.stop();
    EXPECT_FALSE(receiver.running());
}

TEST(ReceiverThread, StopEndsABlockedReceiveIsSafeTwiceAndStartsAgain) {
    ExchangeState state;
    state.reset();
    auto receiver = std::make_unique<ReceiveMulticast>(state, loopbackEndpoint(24102));
    ASSERT_TRUE(receiver->start());
    std::this_thread::sleep_for(20ms);  // the thread now waits for a datagram
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

// A flood that never lets the queue run empty does not keep the receiver from ending.
TEST(ReceiverThread, StopsDuringAFlood) {
    ExchangeState state;
    state.reset();
    ReceiveMulticast receiver(state, loopbackEndpoint(24103));
    ASSERT_TRUE(receiver.start());
    std::atomic<bool> flooding{true};
    std::thread flood([&flooding] {
        GroupListener sender(24103);
        const Datagram junk = sealPacket(buildSearchRequest());
        while (flooding) {
            sender.socket().sendToGroup(junk);
        }
    });
    ASSERT_TRUE(eventually([&] { return receiver.datagramsHandled() > 1000; }));
    const auto begun = std::chrono::steady_clock::now();
    receiver.stop();
    EXPECT_LT(std::chrono::steady_clock::now() - begun, 500ms);
    EXPECT_FALSE(receiver.running());
    flooding = false;
    flood.join();
}

class Session : public testing::LoopbackTest {};

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

// An adapter that gets its address after start-up is taken in by the next search: the guards
// pass from then on, and a device that answers on it is addressed through it, with its address.
using AdapterAfterStartUp = testing::PrivateNetworkTest;

TEST_F(AdapterAfterStartUp, NextSearchTakesItIn) {
    // An adapter that is up but has no IPv4 address yet (a veth pair: both ends here).
    if (std::system("ip link add trv0 type veth peer name trv1 && ip link set trv0 up && "
                    "ip link set trv1 up && ip link set lo up") != 0) {
        GTEST_SKIP() << "cannot make a veth pair here";
    }
    ASSERT_FALSE(CheckNICState());
    NetworkSession session(Timing{}.scaled(0.01), {}, 24107);
    ASSERT_EQ(session.open(), NetworkSession::OpenResult::Open);
    EXPECT_FALSE(session.adapterFound());
    EXPECT_TRUE(session.adapters().empty());
    EXPECT_TRUE(session.receiverRunning());

    ASSERT_EQ(std::system("ip addr add 10.9.0.5/24 dev trv0"), 0);
    EXPECT_TRUE(CheckNICState());  // the guards of the search page and of Yes pass now
    ASSERT_TRUE(session.sendPacket(PacketKind::Search, {}));
    const Adapter trv0{"trv0", {10, 9, 0, 5}, {255, 255, 255, 0}};
    EXPECT_EQ(session.adapters(), std::vector<Adapter>{trv0});

    ExchangeState& state = session.state();
    handlePlainMessage(*buildSearchAnswer(makeDevice(4)), state, trv0);
    ASSERT_NE(state.choose(0), nullptr);
    ASSERT_TRUE(session.sendPacket(PacketKind::Authentication, {"admin"}));
    const DeviceInfo& device = state.table.at(0);
    // Taken only from the address the request carried: trv0's.
    EXPECT_EQ(
        handlePlainMessage(buildAuthAnswer(device.deviceToken, device.macAddress, {10, 9, 0, 5}, 0),
                           state, trv0)
            .outcome,
        DatagramOutcome::AuthTaken);
    session.close();
    EXPECT_FALSE(session.receiverRunning());
}

}  // namespace
}  // namespace trv81k
