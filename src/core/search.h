#pragma once
// The search as the commands search and diagnose run it, returning what they print: the
// devices that answered with their adapters, the adapters searched on, and why nothing
// answered (the diagnosis).

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/diagnosis.h"
#include "core/link.h"
#include "platform/adapters.h"

namespace trv81k {

// A device that answered a search, and the adapter its answer came in on (when known).
struct FoundDevice {
    DeviceInfo device;
    std::optional<Adapter> adapter;
};

// Every device the link's search stored, with its adapter.
std::vector<FoundDevice> FoundDevices(Link& link);

struct SearchRun {
    std::optional<Refusal> network;  // the session could not be opened or the search not sent
    std::vector<FoundDevice> devices;
    std::string adapters;  // searched on: "lab0 (10.81.0.1), ..."
    std::optional<Diagnosis> diagnosis;
    std::optional<Clock::duration> diagnosisTook;  // the probe's time, when it ran
};

// One request and the answers collected for up to `limit`, ended by SearchEnd (with `expect`);
// `searching` is told once the session is open. When nothing answered, the diagnosis (the
// probe is one more search request). The link is closed at the end, and left open on a refusal.
SearchRun SearchDevices(Link& link, std::chrono::milliseconds limit, std::optional<int> expect,
                        const std::function<void()>& searching);

// The diagnosis of a port that could not be bound: every adapter, port-in-use, with the
// program that holds it where the system tells.
Diagnosis PortInUseDiagnosis(std::uint16_t port);

// A search as SearchDevices runs it, then the diagnosis of every adapter; a port that cannot
// be bound is that diagnosis. The link is left open.
SearchRun DiagnoseNetwork(Link& link, std::uint16_t port, std::chrono::milliseconds limit);

}  // namespace trv81k
