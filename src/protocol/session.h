#pragma once
// The network side of one program run: the adapter found at start-up, the channel, the
// receiver thread and sendPacket. The wizard's main window owns one; so does the command-line
// tool, so both run the same discovery and configure code.

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "protocol/channel.h"
#include "protocol/exchange_state.h"
#include "protocol/network_port.h"
#include "protocol/timing.h"

namespace trv81k {

class ReceiveMulticast;

class NetworkSession final : public NetworkPort {
public:
    // How the window thread waits: the wizard keeps painting and drops input; the
    // command-line tool simply sleeps.
    using PauseFn = std::function<void(std::chrono::milliseconds)>;

    // `port` and `group` are test seams; the product uses the protocol's.
    explicit NetworkSession(Timing timing = {}, PauseFn pause = {},
                            std::uint16_t port = kProtocolPort, std::string group = kGroupAddress);
    ~NetworkSession() override;  // closes the channel and stops the receiver
    NetworkSession(const NetworkSession&) = delete;
    NetworkSession& operator=(const NetworkSession&) = delete;

    // Start-up, in order: the adapter lookup (localIPText, and localIP when one was found),
    // the channel and the receiver.
    OpenResult open() override;

    // Builds, encrypts and multicasts one request. False when nothing was sent (refused by
    // prepareRequest, no channel, or the send failed; each traced as described).
    bool sendPacket(PacketKind kind, const RequestContent& content) override;

    // Shut the channel down, pause, stop and join the receiver. Errors are swallowed; safe to
    // call twice.
    void close() noexcept override;
    // The adapter guard: CheckNICState.
    bool checkAdapter() override;

    ExchangeState& state() override { return state_; }
    const ExchangeState& state() const { return state_; }
    const Timing& timing() const { return timing_; }
    const std::string& localIPText() const { return localIPText_; }
    bool adapterFound() const { return adapterFound_; }
    bool channelOpen() const;
    bool receiverRunning() const override;
    std::vector<Adapter> adapters() const override;
    std::uint64_t datagramsReceived() const;

private:
    void pause(std::chrono::milliseconds duration);

    Timing timing_;
    PauseFn pause_;
    std::uint16_t port_;
    std::string group_;
    ExchangeState state_;
    std::string localIPText_ = "0.0.0.0";
    bool adapterFound_ = false;
    asio::io_context io_;
    std::unique_ptr<MulticastSocket> channel_;
    std::unique_ptr<ReceiveMulticast> receiver_;
};

}  // namespace trv81k
