#pragma once
// Why a search found nothing, adapter by adapter: written once for the wizard's search-failure
// dialog and the command-line tool. The facts come from the network (NetworkPort::adapterFacts
// after its probe, or a port that could not be bound); the rules here turn them into findings.

#include <chrono>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/exchanges.h"
#include "protocol/network_port.h"

namespace trv81k {

enum class Finding {
    NoCarrier,         // up, but no link: cable unplugged or the far end down
    NoMulticast,       // the interface cannot send multicast (it is left out of the search)
    Firewall,          // the probe's own copy did not come back: this computer drops the port
    PortInUse,         // another program holds UDP 14675 without sharing it
    ForeignDatagrams,  // datagrams arrived on the port that were no device's answers
    NoAnswer,          // everything looks right, and no device answered
    Ok,                // devices answered on this adapter
};

// "no-carrier", "no-multicast", "firewall", "port-in-use", "foreign-datagrams", "no-answer", "ok".
std::string_view FindingName(Finding finding);
// The Language.ini key of a finding's sentence in the wizard: "SearchFailForm_NoCarrier" ...
std::string_view FindingTextKey(Finding finding);

struct AdapterDiagnosis {
    Adapter adapter;
    std::vector<Finding> findings;  // never empty
    std::uint64_t foreignDatagrams = 0;
    int devices = 0;         // devices that answered on it
    std::string portHolder;  // port-in-use: the program, where the system tells it

    bool has(Finding finding) const;
};

struct Diagnosis {
    std::vector<AdapterDiagnosis> adapters;
    bool anyDevice() const;
};

// The rules: an adapter on which devices answered is ok (foreign datagrams are still named);
// otherwise no link, no multicast, a probe that went out and never came back (firewall) and
// foreign datagrams are named as found, and no-answer when none of them is.
Diagnosis DiagnoseFacts(std::span<const AdapterFacts> facts, const DeviceTable& table);
// The port could not be bound: each adapter gets port-in-use, with the holder where known.
Diagnosis DiagnosePortInUse(std::span<const Adapter> adapters, const std::string& holder);

// How long the probe's own copy is waited for. It comes back within a millisecond where
// nothing drops it; the wait ends as soon as every probed adapter has its copy.
inline constexpr std::chrono::milliseconds kProbeWait{500};

// After a search: the probe on every adapter, the wait for its copies (the caller's wait, so
// the wizard keeps painting), then the findings.
Diagnosis Diagnose(Exchanges& exchanges);

// One finding in plain English words for the command-line tool (the firewall's names UDP port
// 14675 and how to allow it).
std::string FindingSentence(Finding finding, const AdapterDiagnosis& adapter);

}  // namespace trv81k
