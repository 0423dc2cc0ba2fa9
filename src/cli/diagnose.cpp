#include "cli/diagnose.h"

#include <vector>

#include "cli/output.h"
#include "platform/adapters.h"
#include "platform/port_holder.h"
#include "settings/text_encoding.h"

namespace trv81k::cli {
namespace {

std::string DetailOf(const AdapterDiagnosis& adapter) {
    std::string detail;
    for (const Finding finding : adapter.findings) {
        detail += (detail.empty() ? "" : " ") + FindingSentence(finding, adapter) + ".";
    }
    return detail;
}

}  // namespace

void SayDiagnosis(Console& console, const Diagnosis& diagnosis) {
    for (const AdapterDiagnosis& adapter : diagnosis.adapters) {
        for (const Finding finding : adapter.findings) {
            Say(console.err, AdapterDisplay(adapter.adapter) + ": " +
                                 std::string(FindingName(finding)) + ": " +
                                 FindingSentence(finding, adapter));
        }
    }
}

nlohmann::ordered_json DiagnosisJson(const Diagnosis& diagnosis) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const AdapterDiagnosis& adapter : diagnosis.adapters) {
        nlohmann::ordered_json entry = AdapterJson(adapter.adapter);
        nlohmann::ordered_json findings = nlohmann::ordered_json::array();
        for (const Finding finding : adapter.findings) {
            findings.push_back(std::string(FindingName(finding)));
        }
        entry["findings"] = findings;
        entry["detail"] = DetailOf(adapter);
        if (adapter.has(Finding::ForeignDatagrams)) {
            entry["foreignDatagrams"] = adapter.foreignDatagrams;
        }
        list.push_back(entry);
    }
    return list;
}

Diagnosis PortInUseDiagnosis(std::uint16_t port) {
    const AdapterChoice choice = FindAdapters();
    return DiagnosePortInUse(choice.adapters, TerminalText(UdpPortHolder(port)));
}

int RunDiagnose(const DiagnoseOptions& options, const NetworkConfig& network, Console& console,
                const Messages& messages) {
    Diagnosis diagnosis;
    std::vector<FoundDevice> devices;
    {
        Link link(network, console);
        if (auto refusal = link.open("diagnose")) {
            if (refusal->messageKey != "BIND_FAIL") {
                return Report(console, messages, *refusal);
            }
            diagnosis = PortInUseDiagnosis(network.port);
        } else {
            std::optional<SearchEnd> end;
            const auto enough = [&](const DeviceTable& table) {
                const auto now = Clock::now();
                if (!end) {
                    end.emplace(now, kSearchQuiet);
                }
                return (*end)(table.count(), now);
            };
            if (auto searchRefusal = link.search(options.timeout, enough)) {
                return Report(console, messages, *searchRefusal);
            }
            const auto started = Clock::now();
            diagnosis = Diagnose(link.exchanges());
            if (console.verbose) {
                Say(console.err, "diagnosis took " + MillisecondsText(Clock::now() - started));
            }
            const ExchangeState& state = link.state();
            for (int i = 0; i < state.table.count(); ++i) {
                devices.push_back({state.table.at(i), link.adapterOf(i)});
            }
        }
    }
    if (options.json) {
        nlohmann::ordered_json report;
        report["adapters"] = DiagnosisJson(diagnosis);
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        for (const FoundDevice& found : devices) {
            list.push_back(DeviceJson(found.device, messages, found.adapter));
        }
        report["devices"] = list;
        console.out << report.dump(2) << '\n' << std::flush;
    } else {
        for (const AdapterDiagnosis& adapter : diagnosis.adapters) {
            std::string names;
            for (const Finding finding : adapter.findings) {
                names += (names.empty() ? "" : ", ") + std::string(FindingName(finding));
            }
            console.out << AdapterDisplay(adapter.adapter) << ": " << names << '\n';
            for (const Finding finding : adapter.findings) {
                console.out << "  " << FindingSentence(finding, adapter) << '\n';
            }
        }
        if (!devices.empty()) {
            console.out << '\n' << SearchTable(devices, messages);
        }
        console.out << std::flush;
    }
    return devices.empty() ? kExitNotFound : kExitOk;
}

}  // namespace trv81k::cli
