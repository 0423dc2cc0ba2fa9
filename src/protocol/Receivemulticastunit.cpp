#include "protocol/Receivemulticastunit.h"

#include "platform/socket_options.h"

namespace trv81k {
namespace {

// Datagrams read in one go before the thread looks whether it is to stop: a flood that never
// lets the queue run empty cannot keep it from ending.
constexpr int kReadsPerWake = 256;

}  // namespace

ReceiveMulticast::ReceiveMulticast(ExchangeState& state, const NetworkEndpoint& endpoint,
                                   std::vector<Adapter> adapters, Observer observer)
    : state_(state), endpoint_(endpoint), observer_(std::move(observer)) {
    for (Adapter& adapter : adapters) {
        adapters_.push_back(Known{InterfaceIndexOf(adapter.name), std::move(adapter), {}});
    }
}

ReceiveMulticast::~ReceiveMulticast() {
    stop();
}

bool ReceiveMulticast::start() {
    if (thread_.joinable()) {
        return true;
    }
    // A context stopped by an earlier stop() runs again only after a restart.
    io_.restart();
    NetworkEndpoint first = endpoint_;
    {
        const std::lock_guard lock(adaptersMutex_);
        if (!adapters_.empty()) {
            first.interfaceAddress = adapters_.front().adapter.address;
        }
    }
    socket_ = std::make_unique<MulticastSocket>(io_, first, SocketRole::Receiver);
    if (!socket_->isOpen()) {
        socket_.reset();
        return false;
    }
    {
        const std::lock_guard lock(adaptersMutex_);
        for (std::size_t i = 1; i < adapters_.size(); ++i) {
            socket_->join(adapters_[i].adapter.address);
        }
    }
    waitForDatagrams();
    thread_ = std::thread([this] { Execute(); });
    return true;
}

void ReceiveMulticast::addAdapter(const Adapter& adapter) {
    const std::lock_guard lock(adaptersMutex_);
    for (const Known& known : adapters_) {
        if (known.adapter.name == adapter.name) {
            return;
        }
    }
    adapters_.push_back(Known{InterfaceIndexOf(adapter.name), adapter, {}});
    if (socket_) {
        socket_->join(adapter.address);  // a socket option: safe beside the thread's reads
    }
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

void ReceiveMulticast::waitForDatagrams() {
    socket_->socket().async_wait(asio::socket_base::wait_read,
                                 [this](const asio::error_code& error) {
                                     if (error == asio::error::operation_aborted) {
                                         return;
                                     }
                                     readQueued();
                                     waitForDatagrams();
                                 });
}

std::optional<Adapter> ReceiveMulticast::adapterOf(unsigned interfaceIndex) const {
    const std::lock_guard lock(adaptersMutex_);
    if (adapters_.empty()) {
        return Adapter{};  // the system's choice: nobody can tell the adapter
    }
    for (const Known& known : adapters_) {
        if (known.index == interfaceIndex) {
            return known.adapter;
        }
    }
    return std::nullopt;
}

ReceiveMulticast::Arrivals ReceiveMulticast::arrivalsOn(const std::string& adapterName) const {
    const std::lock_guard lock(adaptersMutex_);
    for (const Known& known : adapters_) {
        if (known.adapter.name == adapterName) {
            return known.arrivals;
        }
    }
    return {};
}

void ReceiveMulticast::countArrival(unsigned interfaceIndex, const Ipv4Address& from,
                                    DatagramOutcome outcome) {
    const std::lock_guard lock(adaptersMutex_);
    for (Known& known : adapters_) {
        if (known.index != interfaceIndex) {
            continue;
        }
        if (from == known.adapter.address) {
            ++known.arrivals.own;
        } else if (outcome == DatagramOutcome::Unknown) {
            ++known.arrivals.foreign;
        }
        return;
    }
}

void ReceiveMulticast::readQueued() {
    for (int i = 0; i < kReadsPerWake && !io_.stopped(); ++i) {
        buffer_.fill(0);
        const std::optional<ReceivedDatagram> received =
            ReadQueuedDatagram(socket_->socket(), buffer_);
        if (!received) {
            return;  // the queue is empty (or the socket is being closed): wait again
        }
        const unsigned interfaceIndex = received->interfaceIndex;
        const std::optional<Adapter> arrivedOn = adapterOf(interfaceIndex);
        if (!arrivedOn) {
            continue;  // an adapter this program does not use
        }
        const HandleResult result =
            handleDatagram(std::span(buffer_).first(received->bytes), state_, *arrivedOn);
        handled_.fetch_add(1, std::memory_order_relaxed);
        countArrival(interfaceIndex, received->sender, result.outcome);
        if (observer_) {
            observer_(result);
        }
    }
}

}  // namespace trv81k
