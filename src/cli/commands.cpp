#include "cli/commands.h"

#include <optional>
#include <vector>

#include "cli/device_road.h"
#include "cli/diagnose.h"
#include "cli/output.h"
#include "settings/keygen.h"
#include "settings/text_encoding.h"

namespace trv81k::cli {

int RunWepKey(int bits, const std::string& passphraseUtf8, Console& console,
              const Messages& messages) {
    Refusal refusal;
    refusal.subject = "PASSPHRASE";
    const std::optional<std::string> latin1 = Utf8ToLatin1(passphraseUtf8);
    if (!latin1) {
        refusal.detail = "has a character the device cannot store (only Latin-1, U+0000 to U+00FF)";
        return Report(console, messages, refusal);
    }
    if (latin1->empty()) {
        refusal.detail = "must not be empty";
        return Report(console, messages, refusal);
    }
    if (latin1->size() > 16) {
        refusal.messageKey = "INVALID_PASSPHRASE";
        return Report(console, messages, refusal);
    }
    if (bits != 64 && bits != 128) {
        refusal.subject = "--bits " + std::to_string(bits);
        refusal.detail = "must be 64 or 128";
        return Report(console, messages, refusal);
    }
    const std::string key = bits == 64 ? Wep64KeyText(*latin1) : Wep128KeyText(*latin1);
    if (key.empty()) {
        refusal.exitCode = kExitNetwork;  // not reached unless the crypto library lacks MD5
        refusal.detail = "the key could not be computed (no MD5 in the crypto library)";
        return Report(console, messages, refusal);
    }
    console.out << key << '\n' << std::flush;
    return kExitOk;
}

int RunSearch(const SearchOptions& options, const NetworkConfig& network, Console& console,
              const Messages& messages) {
    Link link(network, console);
    if (auto refusal = link.open("search")) {
        return Report(console, messages, *refusal);
    }
    if (console.progress) {
        Say(console.err, "searching for up to " + SecondsText(options.timeout) + " ...");
    }
    std::optional<SearchEnd> end;
    const auto enough = [&](const DeviceTable& table) {
        const auto now = Clock::now();
        if (!end) {
            end.emplace(now, options.quiet, options.expect);
        }
        return (*end)(table.count(), now);
    };
    if (auto refusal = link.search(options.timeout, enough)) {
        return Report(console, messages, *refusal);
    }
    std::vector<FoundDevice> devices;
    const ExchangeState& state = link.state();
    for (int i = 0; i < state.table.count(); ++i) {
        devices.push_back({state.table.at(i), link.adapterOf(i)});
    }
    const std::string tried = link.adapterList();
    // Nothing answered: why, adapter by adapter (the probe is one more search request).
    const std::optional<Diagnosis> diagnosis =
        devices.empty() ? std::optional<Diagnosis>(Diagnose(link.exchanges())) : std::nullopt;
    link.close();

    if (options.json) {
        console.out << SearchJson(devices, messages) << std::flush;
    } else if (!devices.empty()) {
        console.out << SearchTable(devices, messages) << std::flush;
    }
    if (devices.empty()) {
        Say(console.err,
            "no TRV81K answered within " + SecondsText(options.timeout) + " on " + tried);
        SayDiagnosis(console, *diagnosis);
        return kExitNotFound;
    }
    return kExitOk;
}

int RunConfigure(const ConfigurePlan& plan, const std::string& loginPassword,
                 const NetworkConfig& network, Console& console, const Messages& messages) {
    const Timing& timing = network.timing;
    std::string who = "device " + plan.device.text();
    std::optional<ConfigureSettings> written;
    {
        Link link(network, console);
        if (auto refusal = link.open("search")) {
            return Report(console, messages, *refusal);
        }
        if (console.progress) {
            Say(console.err, "searching for " + plan.device.text() + " ...");
        }
        if (auto refusal = link.search(std::nullopt, AllAnswered({plan.device}, kSearchQuiet))) {
            return Report(console, messages, *refusal);
        }
        const std::vector<int> found = MatchingDevices(plan.device, link.state().table);
        if (found.empty()) {
            const int others = link.state().table.count();
            Refusal refusal;
            refusal.exitCode = kExitNotFound;
            refusal.subject = who;
            refusal.detail = "did not answer the search within " +
                             SecondsText(SearchDialogLength(timing)) + " on " + link.adapterList();
            if (others > 0) {
                refusal.hint = std::to_string(others) + " other device(s) did; see " +
                               std::string(kProgramName) + " search";
            }
            return Report(console, messages, refusal);
        }
        if (found.size() > 1) {
            return Report(console, messages, AmbiguousName(plan.device, found, link.state().table));
        }
        const DeviceInfo device = link.state().table.at(found.front());
        who = "device " + formatMac(device.macAddress);

        DeviceExchanges exchanges(link.exchanges(), found.front());
        RoadNotes notes;
        if (console.progress) {
            notes.progress = [&](const std::string& line) { Say(console.err, line); };
        }
        if (console.verbose) {
            notes.verbose = [&](const std::string& line) { Say(console.err, line); };
        }
        RoadResult result = DriveDevice(exchanges, device, plan, loginPassword, who, timing, notes);
        if (result.refusal) {
            return Report(console, messages, *result.refusal);
        }
        written = std::move(result.written);
    }

    const std::string mac = formatMac(written->mac);
    if (!plan.verifySeconds) {
        console.out << mac << ": configured\n" << std::flush;
        return kExitOk;
    }
    if (console.progress) {
        Say(console.err, "checking what the device announces now ...");
    }
    const std::chrono::duration<double> limit(*plan.verifySeconds);
    const VerifyResult verified = VerifyAnnounced(std::span(&*written, 1), limit, network, console);
    if (verified.network) {
        Refusal refusal = *verified.network;
        refusal.exitCode = kExitNotVerified;
        refusal.hint = "the device acknowledged the settings, they were not verified";
        return Report(console, messages, refusal);
    }
    const Announced& announced = verified.devices.front();
    if (announced.verified()) {
        console.out << mac << ": configured and verified\n" << std::flush;
        return kExitOk;
    }
    if (!announced.answered) {
        Say(console.err, who + ": acknowledged the settings but did not answer a search within " +
                             SecondsText(std::chrono::duration_cast<milliseconds>(limit)));
    } else {
        Say(console.err, who + ": acknowledged the settings but does not announce them:");
        for (const std::string& line : announced.differences) {
            Say(console.err, "  " + line);
        }
    }
    return kExitNotVerified;
}

}  // namespace trv81k::cli
