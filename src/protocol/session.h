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
#include "protocol/timing.h"

namespace trv81k {

class ReceiveMulticast;

// Applies sendPacket's rules to the shared state and builds the request: the search request
// sets requestKind 1 and clears bGetAuthAck; the authentication request needs a selected entry
// and sets requestKind 2; the configure request sets requestKind 3 and is empty when the
// static address or netmask does not pass; the pairing check leaves requestKind alone.
// Empty means: nothing is sent.
std::optional<PlainMessage> prepareRequest(PacketKind kind, ExchangeState& state,
                                           const WizardState& wizard);

class NetworkSession {
public:
    // How the window thread waits: the wizard keeps painting and drops input; the
    // command-line tool simply sleeps.
    using PauseFn = std::function<void(std::chrono::milliseconds)>;

    enum class OpenResult { Open, SocketFailed, BindFailed };

    explicit NetworkSession(Timing timing = {}, PauseFn pause = {});
    ~NetworkSession();  // closes the channel and stops the receiver
    NetworkSession(const NetworkSession&) = delete;
    NetworkSession& operator=(const NetworkSession&) = delete;

    // Start-up, in order: the adapter lookup (localIPText, and localIP when one was found),
    // the channel and the receiver. `port` and `group` are test seams.
    OpenResult open(std::uint16_t port = kProtocolPort, std::string group = kGroupAddress);

    // Builds, encrypts and multicasts one request. False when nothing was sent (refused by
    // prepareRequest, no channel, or the send failed; each traced as described).
    bool sendPacket(PacketKind kind, const WizardState& wizard);

    // Shut the channel down, pause, stop and join the receiver. Errors are swallowed; safe to
    // call twice.
    void close();

    ExchangeState& state() { return state_; }
    const ExchangeState& state() const { return state_; }
    const Timing& timing() const { return timing_; }
    const std::string& localIPText() const { return localIPText_; }
    bool adapterFound() const { return adapterFound_; }
    bool channelOpen() const;
    bool receiverRunning() const;
    std::uint64_t datagramsReceived() const;

private:
    void pause(std::chrono::milliseconds duration);

    Timing timing_;
    PauseFn pause_;
    ExchangeState state_;
    std::string localIPText_ = "0.0.0.0";
    bool adapterFound_ = false;
    asio::io_context io_;
    std::unique_ptr<MulticastSocket> channel_;
    std::unique_ptr<ReceiveMulticast> receiver_;
};

}  // namespace trv81k
