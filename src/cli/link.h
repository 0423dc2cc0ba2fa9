#pragma once
// What the network commands share: where the exchanges run (NetworkConfig), where the tool
// writes (Console), the message helpers, one session of the tool (Link), the rule that ends a
// search that collects answers (SearchEnd) and the check of what devices announce after a
// configure (VerifyAnnounced).

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/messages.h"
#include "core/exchanges.h"
#include "protocol/session.h"
#include "protocol/timing.h"
#include "protocol/wire.h"

namespace trv81k::cli {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Where the exchanges run. The product uses the defaults; tests pass their own port and a
// scaled Timing.
struct NetworkConfig {
    Timing timing{};
    std::uint16_t port = kProtocolPort;
    std::string group = kGroupAddress;
};

// Data to `out`, messages to `err`. `progress`: a line per step for a person watching a
// terminal; `verbose`: what the exchanges did, for tests and support (the receiver's datagram
// counts among it).
struct Console {
    std::ostream& out;
    std::ostream& err;
    bool progress = false;
    bool verbose = false;
};

// "trv81k-cli: <text>" on a line of its own, flushed.
void Say(std::ostream& stream, const std::string& text);
// The refusal's line on standard error; its exit code.
int Report(Console& console, const Messages& messages, const Refusal& refusal);
// Exit 1 about `subject`, with a Language.ini text.
Refusal NetworkRefusal(std::string subject, std::string_view key);
// "3 s", "0.4 s"; "12.5 ms".
std::string SecondsText(milliseconds duration);
std::string MillisecondsText(Clock::duration duration);

// How long the wizard's configure dialog stays up without an acknowledgement.
milliseconds ConfigureDialogLength(const Timing& timing);
// How long the wizard's search dialog runs without an answer (twelve ticks).
milliseconds SearchDialogLength(const Timing& timing);

// The quiet period after the last new answer that ends a search collecting answers.
inline constexpr milliseconds kSearchQuiet{400};

// When a search that collects answers has heard enough: once no new device has answered for
// the quiet period after the last new one. The quiet period is `quiet`, or as long as the first
// answer took to come when that was longer (a device that needs that long may still be on its
// way). Before any answer only the caller's limit ends the search. With `expect` the caller
// knows better: the search has heard enough once that many devices are stored, and not before.
class SearchEnd {
public:
    SearchEnd(Clock::time_point sent, milliseconds quiet, std::optional<int> expect = {});
    // Looks at the number of devices stored at `now`; true once the search may end.
    bool operator()(int stored, Clock::time_point now);

private:
    Clock::time_point sent_;
    milliseconds quiet_;
    std::optional<int> expect_;
    int seen_ = 0;
    Clock::time_point lastNew_{};
    Clock::duration wait_{};
};

// One session of the tool: the adapter check, the channel, the receiver and the exchanges
// over them.
class Link {
public:
    Link(const NetworkConfig& network, Console& console);
    ~Link() { close(); }
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;

    // Nothing, or why the network cannot be used (exit 1); `purpose` names the step.
    std::optional<Refusal> open(std::string_view purpose);

    // The search. Without a limit: the wizard's search dialog's exchange, ended as soon as
    // `enough` holds; with one: the answers collected for that long, or until `enough` holds.
    // Nothing, or why the request could not be sent.
    std::optional<Refusal> search(std::optional<milliseconds> limit,
                                  const std::function<bool(const DeviceTable&)>& enough);

    void close();

    Exchanges& exchanges() { return exchanges_; }
    ExchangeState& state() { return session_.state(); }
    // The adapters searched on: "lab0 (10.81.0.1), lab1 (10.82.0.1)".
    std::string adapterList() const;
    // The adapter a device of the table answered on; the one adapter searched on when the
    // answer does not tell and there is only one; nothing else.
    std::optional<Adapter> adapterOf(int index) const;

private:
    const NetworkConfig& network_;
    Console& console_;
    NetworkSession session_;
    Exchanges exchanges_;
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
// written or `limit` is over. Usually one search does it.
VerifyResult VerifyAnnounced(std::span<const ConfigureSettings> written,
                             std::chrono::duration<double> limit, const NetworkConfig& network,
                             Console& console);

}  // namespace trv81k::cli
