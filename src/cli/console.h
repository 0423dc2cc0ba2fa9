#pragma once
// Where the tool writes: data to standard output, messages to standard error, each message a
// line "trv81k-cli: <text>".

#include <ostream>
#include <string>

#include "cli/messages.h"
#include "core/link.h"

namespace trv81k::cli {

// `progress`: a line per step for a person watching a terminal; `verbose`: what the exchanges
// did, for tests and support (the receiver's datagram counts among it).
struct Console {
    std::ostream& out;
    std::ostream& err;
    bool progress = false;
    bool verbose = false;
};

// "trv81k-cli: <text>" on a line of its own, flushed; terminal-safe.
void Say(std::ostream& stream, const std::string& text);
// The refusal's line on standard error; its exit code.
int Report(Console& console, const Messages& messages, const Refusal& refusal);
// The verbose lines' listener (nobody without --verbose).
NoteFn VerboseNotes(Console& console);

}  // namespace trv81k::cli
