#pragma once
// One session with the devices, as both front ends assemble it: the adapter check, the
// channels and the receiver (a NetworkSession), the exchanges over them, and what an open that
// failed means. Also the rule that ends a search collecting answers (SearchEnd) and the check
// of what devices announce after a configure (VerifyAnnounced).

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/exchanges.h"
#include "core/refusal.h"
#include "protocol/network_port.h"
#include "protocol/timing.h"
#include "protocol/wire.h"

namespace trv81k {

class NetworkSession;

using Clock = std::chrono::steady_clock;

// A line about what the exchanges did; empty: nobody listens.
using NoteFn = std::function<void(const std::string&)>;

// Where the exchanges run. The products use the defaults; tests pass their own port and a
// scaled Timing.
struct NetworkConfig {
    Timing timing{};
    std::uint16_t port = kProtocolPort;
    std::string group = kGroupAddress;
};

// The product's network port: a NetworkSession over the real adapters that waits with `pause`
// (the wizard keeps its windows painting; empty: it sleeps).
std::unique_ptr<NetworkPort> MakeNetworkSession(
    const NetworkConfig& network, std::function<void(std::chrono::milliseconds)> pause);
// The Language.ini key of an open that failed ("SOCKET_FAIL", "BIND_FAIL"); empty for Open.
std::string_view OpenFailureKey(NetworkPort::OpenResult result);

// The one adapter the user named (--interface, by name or IPv4 address), for every session
// after it. It must be there now: a refusal (Outcome::Usage) when the text is neither a name nor
// an address, or when no adapter answers to it, with the adapters there are.
std::optional<Refusal> ChooseInterface(const std::string& interface);

// "3 s", "0.4 s"; "12.5 ms".
std::string SecondsText(std::chrono::milliseconds duration);
std::string MillisecondsText(Clock::duration duration);

// How long the wizard's configure dialog stays up without an acknowledgement.
std::chrono::milliseconds ConfigureDialogLength(const Timing& timing);
// How long the wizard's search dialog runs without an answer (twelve ticks).
std::chrono::milliseconds SearchDialogLength(const Timing& timing);

// The quiet period after the last new answer that ends a search collecting answers.
inline constexpr std::chrono::milliseconds kSearchQuiet{400};

// When a search that collects answers has heard enough: once no new device has answered for
// the quiet period after the last new one. The quiet period is `quiet`, or as long as the first
// answer took to come when that was longer (a device that needs that long may still be on its
// way). Before any answer only the caller's limit ends the search. With `expect` the caller
// knows better: the search has heard enough once that many devices are stored, and not before.
class SearchEnd {
public:
    SearchEnd(Clock::time_point sent, std::chrono::milliseconds quiet,
              std::optional<int> expect = {});
    // Looks at the number of devices stored at `now`; true once the search may end.
    bool operator()(int stored, Clock::time_point now);

private:
    Clock::time_point sent_;
    std::chrono::milliseconds quiet_;
    std::optional<int> expect_;
    int seen_ = 0;
    Clock::time_point lastNew_{};
    Clock::duration wait_{};
};
// A search's `enough` by SearchEnd, its clock started at the first look.
std::function<bool(const DeviceTable&)> QuietSearch(std::chrono::milliseconds quiet,
                                                    std::optional<int> expect = {});

// One session with a sleeping wait: the adapter check, the channel, the receiver and the
// exchanges over them. `verbose` hears what the exchanges did.
class Link {
public:
    explicit Link(const NetworkConfig& network, NoteFn verbose = {});
    ~Link();
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;

    // Nothing, or why the network cannot be used (Outcome::Network): no adapter, SOCKET_FAIL,
    // BIND_FAIL with the program that holds the port; `purpose` names the step.
    std::optional<Refusal> open(std::string_view purpose);

    // The search. Without a limit: the wizard's search dialog's exchange, ended as soon as
    // `enough` holds; with one: the answers collected for that long, or until `enough` holds.
    // Nothing, or why the request could not be sent.
    std::optional<Refusal> search(std::optional<std::chrono::milliseconds> limit,
                                  const std::function<bool(const DeviceTable&)>& enough);

    void close();

    Exchanges& exchanges() { return *exchanges_; }
    ExchangeState& state();
    // The adapters searched on: "lab0 (10.81.0.1), lab1 (10.82.0.1)".
    std::string adapterList() const;
    // The adapter a device of the table answered on; the one adapter searched on when the
    // answer does not tell and there is only one; nothing else.
    std::optional<Adapter> adapterOf(int index) const;

private:
    void note(const std::string& line) const;

    NetworkConfig network_;
    NoteFn verbose_;
    std::unique_ptr<NetworkSession> session_;
    std::unique_ptr<Exchanges> exchanges_;
    bool closed_ = false;
};

// What VerifyAnnounced found for one device.
struct Announced {
    bool answered = false;                 // the device answered a search
    std::vector<std::string> differences;  // what it announces otherwise than written
    bool verified() const { return answered && differences.empty(); }
};
struct VerifyResult {
    std::optional<Refusal> network;  // the network could not be used for it
    std::vector<Announced> devices;  // in the order of `written`
};

// Searches with fresh sessions (a session's table never refreshes an entry), each ending as
// soon as every device still unverified has answered, until every device announces what was
// written (CompareAnnounced) or `limit` is over. Usually one search does it.
VerifyResult VerifyAnnounced(std::span<const ConfigureSettings> written,
                             std::chrono::duration<double> limit, const NetworkConfig& network,
                             const NoteFn& verbose = {});

}  // namespace trv81k
