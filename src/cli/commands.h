#pragma once
// The three commands. search and configure run the wizard's own exchanges (core/exchanges.h)
// over a NetworkSession, as the wizard's main window does, with a sleeping wait.

#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>

#include "cli/link.h"
#include "cli/messages.h"
#include "cli/options.h"
#include "protocol/timing.h"
#include "protocol/wire.h"

namespace trv81k::cli {

// wep-key: the key the WEP page derives from a passphrase (UTF-8, 1 to 16 Latin-1 characters),
// bits 64 (key 1, 10 digits) or 128 (26 digits), upper-case hexadecimal on a line of its own.
int RunWepKey(int bits, const std::string& passphraseUtf8, Console& console,
              const Messages& messages);

struct SearchOptions {
    std::chrono::milliseconds timeout{3000};  // the longest the answers are waited for
    std::optional<int> expect;                // enough devices: the search ends once they are in
    std::chrono::milliseconds quiet = kSearchQuiet;
    bool json = false;
};
// search: one request and the answers collected until SearchEnd says enough or the timeout is
// over, then the table or the JSON. Exit 0 with a device, 3 without, 1 when the network cannot
// be used.
int RunSearch(const SearchOptions& options, const NetworkConfig& network, Console& console,
              const Messages& messages);

// configure: search, log in, decide the wireless path, write, optionally verify. The plan has
// passed CheckConfigureOptions; `loginPassword` is Latin-1.
int RunConfigure(const ConfigurePlan& plan, const std::string& loginPassword,
                 const NetworkConfig& network, Console& console, const Messages& messages);

}  // namespace trv81k::cli
