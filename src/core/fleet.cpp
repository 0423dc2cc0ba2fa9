#include "core/fleet.h"

#include <algorithm>
#include <map>

namespace trv81k {
namespace {

// Each entry's device in the search's table: the report's device fields, and the problems
// that keep the run from its roads.
std::vector<EntryProblem> matchDevices(Link& link, std::span<const FleetEntry> entries,
                                       const FleetOptions& options, FleetRun& run) {
    const DeviceTable& table = link.state().table;
    std::vector<EntryProblem> problems;
    std::map<MacAddress, std::size_t> taken;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const DeviceChoice& choice = entries[i].plan.device;
        EntryReport& report = run.entries[i];
        report.who = choice.text();
        const std::vector<int> matching = MatchingDevices(choice, table);
        if (matching.size() > 1) {
            problems.push_back({i, AmbiguousName(choice, matching, table), std::nullopt});
            continue;
        }
        if (matching.empty()) {
            continue;
        }
        report.found = matching.front();
        report.device = table.at(report.found);
        report.adapter = link.adapterOf(report.found);
        report.who = formatMac(report.device.macAddress);
        const auto [earlier, added] = taken.emplace(report.device.macAddress, i);
        if (!added) {
            problems.push_back({i, std::nullopt, earlier->second});
            continue;
        }
        if (!options.settingsFirst) {
            continue;
        }
        auto settings = SettingsBeforeLogin(entries[i].plan.overrides, report.device);
        if (auto* refusal = std::get_if<Refusal>(&settings)) {
            problems.push_back({i, std::move(*refusal), std::nullopt});
        } else {
            report.settings = std::get<ConfigureSettings>(std::move(settings));
        }
    }
    return problems;
}

// The verification of every acknowledged entry's settings, over sessions of its own once the
// link is closed; each entry's end.
void verify(FleetRun& run, Link& link, std::chrono::duration<double> limit,
            const NetworkConfig& network, const FleetNotes& notes,
            const std::function<void(std::size_t)>& finish) {
    std::vector<std::size_t> acknowledged;
    std::vector<ConfigureSettings> settings;
    for (std::size_t i = 0; i < run.entries.size(); ++i) {
        const EntryReport& report = run.entries[i];
        if (report.found >= 0 && !report.refusal && report.settings) {
            acknowledged.push_back(i);
            settings.push_back(*report.settings);
        }
    }
    if (settings.empty()) {
        return;
    }
    link.close();
    if (notes.step) {
        notes.step(FleetStep::Verify);
    }
    const VerifyResult verified = VerifyAnnounced(settings, limit, network, notes.exchanges);
    for (std::size_t k = 0; k < acknowledged.size(); ++k) {
        EntryReport& report = run.entries[acknowledged[k]];
        if (verified.network) {
            report.end = RoadEnd::NotVerified;
            report.refusal = verified.network;
        } else if (!verified.devices[k].verified()) {
            report.end = RoadEnd::NotVerified;
            report.announced = verified.devices[k];
        }
        finish(acknowledged[k]);
    }
}

}  // namespace

FleetRun DriveFleet(Link& link, const NetworkConfig& network, std::span<const FleetEntry> entries,
                    const FleetOptions& options, const FleetNotes& notes) {
    FleetRun run;
    run.entries.resize(entries.size());
    if ((run.network = link.open("search"))) {
        return run;
    }
    if (notes.step) {
        notes.step(FleetStep::Search);
    }
    std::vector<DeviceChoice> choices;
    for (const FleetEntry& entry : entries) {
        choices.push_back(entry.plan.device);
    }
    const auto started = Clock::now();
    if ((run.network = link.search(std::nullopt, AllAnswered(choices, kSearchQuiet)))) {
        return run;
    }
    run.adapters = link.adapterList();
    run.answered = link.state().table.count();

    // Each entry's device, and its settings as far as they can be built before a login.
    run.problems = matchDevices(link, entries, options, run);
    const bool missing = std::any_of(run.entries.begin(), run.entries.end(),
                                     [](const EntryReport& report) { return report.found < 0; });
    if (!run.problems.empty() || options.check || (missing && options.missingStops)) {
        return run;
    }
    const auto finish = [&](std::size_t i) {
        run.entries[i].elapsed = Clock::now() - started;
        if (notes.ended) {
            notes.ended(i, run.entries[i]);
        }
    };
    const Clock::duration searched = Clock::now() - started;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (run.entries[i].found < 0) {
            run.entries[i].elapsed = searched;
            if (notes.ended) {
                notes.ended(i, run.entries[i]);
            }
        }
    }

    // The roads, each on a thread of its own.
    if (notes.step) {
        notes.step(FleetStep::Roads);
    }
    std::vector<RoadOrder> orders;
    std::vector<std::size_t> entryOf;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const EntryReport& report = run.entries[i];
        if (report.found >= 0) {
            orders.push_back({report.found, report.device, &entries[i].plan.overrides,
                              entries[i].password, "device " + report.who});
            entryOf.push_back(i);
        }
    }
    RoadNotes roadNotes;
    for (auto [from, to] : {std::pair{&notes.progress, &roadNotes.progress},
                            std::pair{&notes.verbose, &roadNotes.verbose}}) {
        if (*from) {
            *to = [&, &note = *from](std::size_t k, const std::string& text) {
                note(run.entries[entryOf[k]], text);
            };
        }
    }
    roadNotes.ended = [&](std::size_t k, const RoadResult& road) {
        EntryReport& report = run.entries[entryOf[k]];
        report.end = road.end;
        report.refusal = road.refusal;
        report.settings = road.written;
        if (road.refusal || !options.verify) {
            finish(entryOf[k]);
        }
    };
    DriveRoads(link.exchanges(), orders, options.parallel, network.timing, roadNotes);
    if (options.verify) {
        verify(run, link, *options.verify, network, notes, finish);
    }
    return run;
}

}  // namespace trv81k
