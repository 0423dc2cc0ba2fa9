#include "cli/diagnose.h"

#include <cmath>
#include <vector>

#include "cli/command.h"
#include "cli/output.h"
#include "core/search.h"
#include "platform/adapters.h"
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

constexpr char kDiagnoseDescription[] =
    "Findings per adapter: no-carrier (up without link), no-multicast, firewall (this\n"
    "computer drops UDP port 14675: a search request sent with multicast loopback did not\n"
    "come back to the receiver), port-in-use (another program holds the port), \n"
    "foreign-datagrams (datagrams on the port that were no TRV81K's answers), no-answer\n"
    "(everything looks right, no device answered), ok (devices answered). A search that\n"
    "finds nothing prints the same findings on standard error. Exit 0 when devices\n"
    "answered, 3 when none did.";

class DiagnoseCommand final : public Command {
public:
    CLI::App* add(CLI::App& app) override {
        CLI::App* command = app.add_subcommand(
            "diagnose", "search, then tell for each adapter why nothing answered (or that it did)");
        command->footer(kDiagnoseDescription);
        AddTimeout(*command, timeoutSeconds_);
        command->add_flag("--json", json_,
                          "JSON: {\"adapters\": [{\"name\", \"address\", \"findings\", "
                          "\"detail\"}], \"devices\": [as search --json]}");
        return command;
    }
    // A search as `search` runs it, then the diagnosis of every adapter; the findings as lines
    // (and the devices' table) or as JSON {"adapters": [...], "devices": [...]}. Exit 0 when
    // devices answered, 3 when none did, 1 when no adapter can be used at all.
    int run(Context& context) override;

private:
    double timeoutSeconds_ = 3.0;
    bool json_ = false;
};

int DiagnoseCommand::run(Context& context) {
    Console& console = context.console;
    const Messages& messages = context.messages;
    const std::chrono::milliseconds timeout(std::llround(timeoutSeconds_ * 1000));
    Link link(context.network, VerboseNotes(console));
    const SearchRun run = DiagnoseNetwork(link, context.network.port, timeout);
    if (run.network) {
        return Report(console, messages, *run.network);
    }
    if (console.verbose && run.diagnosisTook) {
        Say(console.err, "diagnosis took " + MillisecondsText(*run.diagnosisTook));
    }
    link.close();
    const Diagnosis& diagnosis = *run.diagnosis;
    const std::vector<FoundDevice>& devices = run.devices;
    if (json_) {
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

std::unique_ptr<Command> MakeDiagnoseCommand() {
    return std::make_unique<DiagnoseCommand>();
}

}  // namespace trv81k::cli
