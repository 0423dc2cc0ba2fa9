#pragma once
// The network side of one program run: the adapters, a channel on each, the receiver thread and
// sendPacket. The wizard's main window owns one; so does the command-line tool, so both run the
// same discovery and configure code.
//
// A search goes out on every adapter (looked up anew for each search, so an adapter that came
// up later is searched too); a request for a device goes out on the adapter the device answered
// on and, where it carries the program's own address, carries that adapter's.

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/adapters.h"
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
    ~NetworkSession() override;  // closes the channels and stops the receiver
    NetworkSession(const NetworkSession&) = delete;
    NetworkSession& operator=(const NetworkSession&) = delete;

    // Start-up, in order: the adapters (localIPText and localIP are the first one's), a channel
    // on each, the receiver. Without any adapter one channel and the receiver take the system's
    // choice.
    OpenResult open() override;

    // Builds, encrypts and multicasts one request. False when nothing was sent (refused by
    // prepareRequest, no channel, or every send failed; each traced as described). Safe from
    // several threads at once.
    bool sendPacket(PacketKind kind, const RequestContent& content) override;

    // Shut the channels down, pause, stop and join the receiver. Errors are swallowed; safe to
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
    bool sendProbe() override;
    std::vector<AdapterFacts> adapterFacts() const override;

private:
    struct Channel {
        Adapter adapter;  // empty name: the system's choice
        std::shared_ptr<MulticastSocket> socket;
    };

    void pause(std::chrono::milliseconds duration);
    // Opens channels for the adapters found now that have none yet (and joins them to the
    // receiver). Caller holds sendMutex_.
    void refreshAdapters();
    std::optional<OpenResult> openChannel(const Adapter& adapter);
    // The channel a request for table entry `device` goes out on.
    Channel* channelFor(int device);
    NetworkEndpoint endpointFor(const Adapter& adapter) const;

    Timing timing_;
    PauseFn pause_;
    std::uint16_t port_;
    std::string group_;
    ExchangeState state_;
    std::string localIPText_ = "0.0.0.0";
    bool adapterFound_ = false;
    asio::io_context io_;
    mutable std::mutex sendMutex_;  // the channels and their list
    std::vector<Channel> channels_;
    std::unique_ptr<ReceiveMulticast> receiver_;
    std::set<std::string> probed_;  // the adapters the last probe went out on (sendMutex_)
};

}  // namespace trv81k
