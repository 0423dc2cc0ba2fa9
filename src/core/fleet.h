#pragma once
// Devices configured in one run: one search for every entry's device, each entry matched to its
// device (each device once), the roads at once over the session's exchanges, and, when asked,
// the search again that checks what the devices announce. apply drives a fleet of many,
// configure a fleet of one. Or, for a look first (check), what each entry would write, with
// nothing sent but the search.

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/link.h"
#include "core/road.h"
#include "platform/adapters.h"

namespace trv81k {

// One device to configure: which one and what to change, and its login password (Latin-1).
struct FleetEntry {
    ConfigurePlan plan;
    std::string password;
};

struct FleetOptions {
    // Search again for up to this long after the acknowledgements: each device must announce
    // what was written.
    std::optional<std::chrono::duration<double>> verify;
    // Each device's settings built before any login (SettingsBeforeLogin): one that does not
    // pass and nothing but the search is sent. Otherwise the road finds out after its login.
    bool settingsFirst = true;
    // A device that did not answer ends the run before any login.
    bool missingStops = false;
    // The search and the checks only: what would be written, no login.
    bool check = false;
    int parallel = 0;  // devices on their road at once; 0: all
};

// What became of one entry.
struct EntryReport {
    int found = -1;  // the device's index in the search's table; -1: it did not answer
    DeviceInfo device;
    std::optional<Adapter> adapter;
    std::string who;  // its hardware address once found; the entry's choice before
    RoadEnd end = RoadEnd::NotFound;
    // Why its road ended short; NotVerified: why the network could not be used to verify.
    std::optional<Refusal> refusal;
    std::optional<Announced> announced;         // NotVerified: what the device announces
    std::optional<ConfigureSettings> settings;  // what was written (check: would be)
    Clock::duration elapsed{};                  // from the search request to its end
};

// An entry that cannot go on its device; nothing but the search was sent.
struct EntryProblem {
    std::size_t entry = 0;
    std::optional<Refusal> refusal;     // its name is that of several devices, or its settings fail
    std::optional<std::size_t> sameAs;  // or its device is that of this earlier entry
};

struct FleetRun {
    std::optional<Refusal> network;  // the session could not be opened or the search not sent
    std::vector<EntryProblem> problems;
    std::vector<EntryReport> entries;  // in the order of the entries
    std::string adapters;              // searched on: "lab0 (10.81.0.1), ..."
    int answered = 0;                  // devices that answered the search
};

enum class FleetStep { Search, Roads, Verify };

// What the run tells on its way; each may be empty. The road's calls come from its thread, one
// at a time; `ended` as each entry reaches its end (the search, its road or the verification).
struct FleetNotes {
    std::function<void(FleetStep)> step;  // a step begins (Verify: only with something to verify)
    std::function<void(const EntryReport&, const std::string&)> progress;  // the road's steps
    std::function<void(const EntryReport&, const std::string&)> verbose;   // what it exchanged
    std::function<void(std::size_t, const EntryReport&)> ended;
    NoteFn exchanges;  // what the verification's exchanges did
};

// Opens `link`, searches and drives every entry's road. The link is closed before a
// verification and left open otherwise, so that the caller says what it has to say before the
// session's last lines.
FleetRun DriveFleet(Link& link, const NetworkConfig& network, std::span<const FleetEntry> entries,
                    const FleetOptions& options, const FleetNotes& notes);

}  // namespace trv81k
