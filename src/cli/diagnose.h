#pragma once
// The diagnosis for people and for scripts: the `diagnose` command, and the findings a search
// that found nothing leaves on standard error.

#include <chrono>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "cli/link.h"
#include "cli/messages.h"
#include "core/diagnosis.h"

namespace trv81k::cli {

// One line per finding of each adapter on standard error:
// "trv81k-cli: lab0 (10.81.0.1): firewall: this computer drops ...".
void SayDiagnosis(Console& console, const Diagnosis& diagnosis);
// [{"name": "lab0", "address": "10.81.0.1", "findings": ["firewall"], "detail": "..."}].
nlohmann::ordered_json DiagnosisJson(const Diagnosis& diagnosis);

// The diagnosis of a port that could not be bound: every adapter, port-in-use, with the
// program that holds it where the system tells.
Diagnosis PortInUseDiagnosis(std::uint16_t port);

struct DiagnoseOptions {
    std::chrono::milliseconds timeout{3000};
    bool json = false;
};
// diagnose: a search as `search` runs it, then the diagnosis of every adapter; the findings as
// lines (and the devices' table) or as JSON {"adapters": [...], "devices": [...]}. Exit 0 when
// devices answered, 3 when none did, 1 when no adapter can be used at all.
int RunDiagnose(const DiagnoseOptions& options, const NetworkConfig& network, Console& console,
                const Messages& messages);

}  // namespace trv81k::cli
