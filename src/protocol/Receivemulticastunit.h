#pragma once
// The receiver thread: reads every datagram on its own socket, hands it to handleDatagram and
// so records the answers in the shared state. It never calls into a window; the windows poll
// the state. It reads whatever the queue holds at once, without a pause (a pause would only let
// a flood on the group push the answers that matter out of the queue). Stopping closes its
// socket and joins the thread at once.

#include <array>
#include <asio/io_context.hpp>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/adapters.h"
#include "protocol/channel.h"
#include "protocol/exchange_state.h"
#include "protocol/handle_datagram.h"

namespace trv81k {

class ReceiveMulticast {
public:
    // Called on the receiver thread after each datagram (tests, the command-line tool's
    // verbose output). Must not block.
    using Observer = std::function<void(const HandleResult&)>;

    // Joins the group on each of `adapters` (on the endpoint's interface when there are none)
    // and hears only those; each answer is recorded with the adapter it came in on.
    ReceiveMulticast(ExchangeState& state, const NetworkEndpoint& endpoint,
                     std::vector<Adapter> adapters = {}, Observer observer = {});
    // Stops and joins: no thread outlives its owner.
    ~ReceiveMulticast();
    ReceiveMulticast(const ReceiveMulticast&) = delete;
    ReceiveMulticast& operator=(const ReceiveMulticast&) = delete;

    // Opens the socket and starts the thread. False when the socket could not be opened or
    // bound (the thread is not started then: a receive on a dead socket would only spin).
    bool start();
    // Ends the thread within a few milliseconds, whatever it is doing, and joins it.
    void stop();
    bool running() const { return thread_.joinable(); }
    // Joins the group on an adapter that came up later (any thread).
    void addAdapter(const Adapter& adapter);

    // Datagrams handled so far (any thread).
    std::uint64_t datagramsHandled() const { return handled_.load(std::memory_order_relaxed); }

    // What came in on one adapter, for the diagnosis (any thread): this computer's own
    // datagrams (sent from the adapter's address: the probe's copy, or every request on a
    // loopback adapter) and datagrams of others that are no answer of a device.
    struct Arrivals {
        std::uint64_t own = 0;
        std::uint64_t foreign = 0;
    };
    Arrivals arrivalsOn(const std::string& adapterName) const;

private:
    struct Known {
        unsigned index = 0;  // the interface's index
        Adapter adapter;
        Arrivals arrivals;
    };

    void Execute();
    void waitForDatagrams();
    void readQueued();
    // The adapter of an interface index; nothing for one not joined.
    std::optional<Adapter> adapterOf(unsigned interfaceIndex) const;
    // Counts a datagram that came in on an interface.
    void countArrival(unsigned interfaceIndex, const Ipv4Address& from, DatagramOutcome outcome);

    ExchangeState& state_;
    NetworkEndpoint endpoint_;
    Observer observer_;
    asio::io_context io_;
    std::unique_ptr<MulticastSocket> socket_;
    std::array<std::uint8_t, kReceiveBufferSize> buffer_{};
    mutable std::mutex adaptersMutex_;
    std::vector<Known> adapters_;
    std::atomic<std::uint64_t> handled_{0};
    std::thread thread_;
};

}  // namespace trv81k
