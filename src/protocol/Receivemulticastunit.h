#pragma once
// The receiver thread: reads every datagram on its own socket, hands it to handleDatagram and
// so records the answers in the shared state. It never calls into a window; the windows poll
// the state. Stopping closes its socket and joins the thread at once.

#include <array>
#include <asio/io_context.hpp>
#include <asio/steady_timer.hpp>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "protocol/channel.h"
#include "protocol/exchange_state.h"
#include "protocol/handle_datagram.h"
#include "protocol/timing.h"

namespace trv81k {

class ReceiveMulticast {
public:
    // Called on the receiver thread after each datagram (tests, the command-line tool's
    // verbose output). Must not block.
    using Observer = std::function<void(const HandleResult&)>;

    ReceiveMulticast(ExchangeState& state, const NetworkEndpoint& endpoint, const Timing& timing,
                     Observer observer = {});
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

    // Datagrams handled so far (any thread).
    std::uint64_t datagramsHandled() const { return handled_.load(std::memory_order_relaxed); }

private:
    void Execute();
    void receiveNext();
    void onReceived(const asio::error_code& error, std::size_t bytes);

    ExchangeState& state_;
    NetworkEndpoint endpoint_;
    Timing timing_;
    Observer observer_;
    asio::io_context io_;
    std::unique_ptr<MulticastSocket> socket_;
    asio::steady_timer pause_;
    std::array<std::uint8_t, kReceiveBufferSize> buffer_{};
    std::atomic<std::uint64_t> handled_{0};
    std::thread thread_;
};

}  // namespace trv81k
