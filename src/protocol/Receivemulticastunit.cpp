#include "protocol/Receivemulticastunit.h"

namespace trv81k {

ReceiveMulticast::ReceiveMulticast(ExchangeState& state, const NetworkEndpoint& endpoint,
                                   const Timing& timing, Observer observer)
    : state_(state),
      endpoint_(endpoint),
      timing_(timing),
      observer_(std::move(observer)),
      pause_(io_) {}

ReceiveMulticast::~ReceiveMulticast() {
    stop();
}

bool ReceiveMulticast::start() {
    if (thread_.joinable()) {
        return true;
    }
    // A context stopped by an earlier stop() runs again only after a restart.
    io_.restart();
    // The receiver's own socket: it joins the group and keeps a large queue.
    socket_ = std::make_unique<MulticastSocket>(io_, endpoint_, SocketRole::Receiver);
    if (!socket_->isOpen()) {
        socket_.reset();
        return false;
    }
    receiveNext();
    thread_ = std::thread([this] { Execute(); });
    return true;
}

void ReceiveMulticast::stop() {
    io_.stop();
    if (thread_.joinable()) {
        thread_.join();
    }
    if (socket_) {
        socket_->close();
    }
}

void ReceiveMulticast::Execute() {
    io_.run();
}

void ReceiveMulticast::receiveNext() {
    buffer_.fill(0);
    // The sender's address is of no interest: answers are known by what they carry.
    socket_->socket().async_receive(
        asio::buffer(buffer_),
        [this](const asio::error_code& error, std::size_t bytes) { onReceived(error, bytes); });
}

void ReceiveMulticast::onReceived(const asio::error_code& error, std::size_t bytes) {
    if (error == asio::error::operation_aborted) {
        return;
    }
    bool pauseNow = false;
    if (error) {
        // A failing receive is tried again after a short pause rather than in a tight loop.
        pauseNow = true;
    } else {
        const HandleResult result = handleDatagram(std::span(buffer_).first(bytes), state_);
        handled_.fetch_add(1, std::memory_order_relaxed);
        if (observer_) {
            observer_(result);
        }
        // Throttle only when nothing else is waiting: with many devices answering at once
        // every queued answer is read without delay.
        asio::error_code availableError;
        pauseNow = result.pauseAfter && socket_->socket().available(availableError) == 0;
    }
    if (!pauseNow) {
        receiveNext();
        return;
    }
    pause_.expires_after(timing_.receiverPause);
    pause_.async_wait([this](const asio::error_code& waitError) {
        if (waitError != asio::error::operation_aborted) {
            receiveNext();
        }
    });
}

}  // namespace trv81k
