#pragma once
// The diagnosis for people and for scripts: the findings a search that found nothing leaves on
// standard error, and the `diagnose` command (MakeDiagnoseCommand).

#include <chrono>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "cli/console.h"
#include "cli/messages.h"
#include "core/diagnosis.h"

namespace trv81k::cli {

// One line per finding of each adapter on standard error:
// "trv81k-cli: lab0 (10.81.0.1): firewall: this computer drops ...".
void SayDiagnosis(Console& console, const Diagnosis& diagnosis);
// [{"name": "lab0", "address": "10.81.0.1", "findings": ["firewall"], "detail": "..."}].
nlohmann::ordered_json DiagnosisJson(const Diagnosis& diagnosis);

}  // namespace trv81k::cli
