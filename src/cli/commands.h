#pragma once
// The three commands. search and configure run the wizard's own exchanges (core/exchanges.h)
// over a NetworkSession, as the wizard's main window does, with a sleeping wait.

#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>

#include "cli/messages.h"
#include "cli/options.h"
#include "protocol/timing.h"
#include "protocol/wire.h"

namespace trv81k::cli {

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

// wep-key: the key the WEP page derives from a passphrase (UTF-8, 1 to 16 Latin-1 characters),
// bits 64 (key 1, 10 digits) or 128 (26 digits), upper-case hexadecimal on a line of its own.
int RunWepKey(int bits, const std::string& passphraseUtf8, Console& console,
              const Messages& messages);

struct SearchOptions {
    std::chrono::milliseconds timeout{3000};
    bool json = false;
};
// search: one request, the answers collected for the timeout, then the table or the JSON.
// Exit 0 with a device, 3 without, 1 when the network cannot be used.
int RunSearch(const SearchOptions& options, const NetworkConfig& network, Console& console,
              const Messages& messages);

// configure: search, log in, decide the wireless path, write, optionally verify. The plan has
// passed CheckConfigureOptions; `loginPassword` is Latin-1.
int RunConfigure(const ConfigurePlan& plan, const std::string& loginPassword,
                 const NetworkConfig& network, Console& console, const Messages& messages);

// How long the wizard's configure dialog stays up without an acknowledgement.
std::chrono::milliseconds ConfigureDialogLength(const Timing& timing);
// How long the wizard's search dialog runs without an answer (twelve ticks).
std::chrono::milliseconds SearchDialogLength(const Timing& timing);

}  // namespace trv81k::cli
