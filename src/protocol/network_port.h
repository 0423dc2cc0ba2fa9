#pragma once
// The network as the exchanges see it: start-up, one request of a kind, the close, the
// adapter guard and the state the receiver fills. The product's NetworkSession is one; the
// wizard's UI tests put an in-memory network of emulated devices in its place.

#include <cstdint>
#include <string_view>
#include <vector>

#include "protocol/exchange_state.h"
#include "protocol/wire.h"

namespace trv81k {

// What a request carries beyond the shared state: the typed password (authentication) and the
// checked settings (configure). Nothing else is read.
struct RequestContent {
    std::string_view loginPassword;
    const ConfigureSettings* settings = nullptr;  // none: no configure request can be built
    int device = -1;  // the table entry the request is for; -1: the selected one
};

// What the network can tell of one adapter, for the diagnosis after a search that found nothing.
struct AdapterFacts {
    Adapter adapter;
    bool carrier = true;        // the link is there (the interface is running)
    bool multicast = true;      // the interface can send multicast
    bool searched = true;       // a search request went out on it
    bool probed = false;        // the probe went out on it
    std::uint64_t own = 0;      // this computer's own datagrams that came back in on it
    std::uint64_t foreign = 0;  // datagrams of others on the port that were no answers
};

class NetworkPort {
public:
    enum class OpenResult { Open, SocketFailed, BindFailed };

    virtual ~NetworkPort() = default;

    // Start-up: adapter lookup, channel set-up and receiver start.
    virtual OpenResult open() = 0;
    // Builds and sends one request (prepareRequest's rules); false when nothing was sent.
    virtual bool sendPacket(PacketKind kind, const RequestContent& content) = 0;
    // Shuts the channel down, pauses, stops the receiver and waits for it to end. Safe twice;
    // never throws.
    virtual void close() noexcept = 0;
    // The adapter guard (CheckNICState): read anew on each call.
    virtual bool checkAdapter() = 0;
    virtual bool receiverRunning() const = 0;
    // The adapters the requests go out on (a search on each of them).
    virtual std::vector<Adapter> adapters() const = 0;

    // The diagnosis's probe: one search request on each adapter with multicast loopback on,
    // so its copy comes back to the receiver unless this computer drops it. Every other
    // request keeps loopback off. False when it went out nowhere (a network that cannot tell).
    virtual bool sendProbe() { return false; }
    // What is known of each adapter now: those searched on, and those left out because they
    // cannot send multicast. A network that cannot tell knows only its adapters.
    virtual std::vector<AdapterFacts> adapterFacts() const {
        std::vector<AdapterFacts> facts;
        for (const Adapter& adapter : adapters()) {
            facts.push_back(AdapterFacts{.adapter = adapter});
        }
        return facts;
    }

    virtual ExchangeState& state() = 0;
};

// Applies sendPacket's rules to the shared state and builds the request: the search request
// sets requestKind 1 and clears bGetAuthAck; the authentication request needs a stored entry
// (the one of the content, else the selected one), sets requestKind 2 and carries `from`, the
// address of the adapter it goes out on; the configure request sets requestKind 3 and is empty
// without settings (or when they do not fit the message); the pairing check leaves requestKind
// alone. Each notes itself for its device. Empty means: nothing is sent.
std::optional<PlainMessage> prepareRequest(PacketKind kind, ExchangeState& state,
                                           const RequestContent& content, const Ipv4Address& from);

}  // namespace trv81k
