#include "core/diagnosis.h"

#include <algorithm>

namespace trv81k {

std::string_view FindingName(Finding finding) {
    switch (finding) {
        case Finding::NoCarrier:
            return "no-carrier";
        case Finding::NoMulticast:
            return "no-multicast";
        case Finding::Firewall:
            return "firewall";
        case Finding::PortInUse:
            return "port-in-use";
        case Finding::ForeignDatagrams:
            return "foreign-datagrams";
        case Finding::NoAnswer:
            return "no-answer";
        case Finding::Ok:
            return "ok";
    }
    return "no-answer";
}

std::string_view FindingTextKey(Finding finding) {
    switch (finding) {
        case Finding::NoCarrier:
            return "SearchFailForm_NoCarrier";
        case Finding::NoMulticast:
            return "SearchFailForm_NoMulticast";
        case Finding::Firewall:
            return "SearchFailForm_Firewall";
        case Finding::PortInUse:
            return "SearchFailForm_PortInUse";
        case Finding::ForeignDatagrams:
            return "SearchFailForm_Foreign";
        case Finding::NoAnswer:
            return "SearchFailForm_NoAnswer";
        case Finding::Ok:
            return "SearchFailForm_Ok";
    }
    return "SearchFailForm_NoAnswer";
}

bool AdapterDiagnosis::has(Finding finding) const {
    return std::find(findings.begin(), findings.end(), finding) != findings.end();
}

bool Diagnosis::anyDevice() const {
    return std::any_of(adapters.begin(), adapters.end(),
                       [](const AdapterDiagnosis& a) { return a.devices > 0; });
}

Diagnosis DiagnoseFacts(std::span<const AdapterFacts> facts, const DeviceTable& table) {
    Diagnosis diagnosis;
    for (const AdapterFacts& fact : facts) {
        AdapterDiagnosis result;
        result.adapter = fact.adapter;
        result.foreignDatagrams = fact.foreign;
        for (int i = 0; i < table.count(); ++i) {
            const Adapter& arrivedOn = table.adapterOf(i);
            // A table without adapters (the system's choice) counts for the one adapter there.
            if (arrivedOn.name == fact.adapter.name ||
                (arrivedOn.name.empty() && facts.size() == 1)) {
                ++result.devices;
            }
        }
        if (result.devices > 0) {
            result.findings.push_back(Finding::Ok);
        } else {
            if (!fact.carrier) {
                result.findings.push_back(Finding::NoCarrier);
            }
            if (!fact.multicast || !fact.searched) {
                result.findings.push_back(Finding::NoMulticast);
            } else if (fact.probed && fact.own == 0) {
                result.findings.push_back(Finding::Firewall);
            }
        }
        if (fact.foreign > 0) {
            result.findings.push_back(Finding::ForeignDatagrams);
        }
        if (result.findings.empty()) {
            result.findings.push_back(Finding::NoAnswer);
        }
        diagnosis.adapters.push_back(std::move(result));
    }
    return diagnosis;
}

Diagnosis DiagnosePortInUse(std::span<const Adapter> adapters, const std::string& holder) {
    Diagnosis diagnosis;
    for (const Adapter& adapter : adapters) {
        AdapterDiagnosis result;
        result.adapter = adapter;
        result.findings.push_back(Finding::PortInUse);
        result.portHolder = holder;
        diagnosis.adapters.push_back(std::move(result));
    }
    return diagnosis;
}

Diagnosis Diagnose(Exchanges& exchanges) {
    NetworkPort& network = exchanges.network();
    std::vector<AdapterFacts> before = network.adapterFacts();
    {
        if (network.sendProbe()) {
            const auto allBack = [&] {
                const std::vector<AdapterFacts> now = network.adapterFacts();
                return std::all_of(now.begin(), now.end(), [&](const AdapterFacts& fact) {
                    if (!fact.probed) {
                        return true;
                    }
                    const auto was = std::find_if(
                        before.begin(), before.end(),
                        [&](const AdapterFacts& b) { return b.adapter.name == fact.adapter.name; });
                    return fact.own > (was == before.end() ? 0 : was->own);
                });
            };
            exchanges.wait(WaitKind::Tick, kProbeWait, allBack);
        }
    }
    std::vector<AdapterFacts> facts = network.adapterFacts();
    // Only the probe's copy counts: own datagrams that came back before it (a loopback
    // adapter's every request) tell nothing about it.
    for (AdapterFacts& fact : facts) {
        for (const AdapterFacts& b : before) {
            if (b.adapter.name == fact.adapter.name) {
                fact.own -= std::min(fact.own, b.own);
            }
        }
    }
    return DiagnoseFacts(facts, exchanges.state().table);
}

std::string FindingSentence(Finding finding, const AdapterDiagnosis& adapter) {
    switch (finding) {
        case Finding::NoCarrier:
            return "the adapter is up but has no link: is the cable plugged in, and the switch "
                   "or the far end switched on?";
        case Finding::NoMulticast:
            return "the adapter cannot send multicast, so the search request could not go out on "
                   "it";
        case Finding::Firewall:
            return "this computer drops the setup's datagrams (UDP port 14675): the search's own "
                   "copy never reached the receiver. Allow UDP port 14675 in the firewall: "
                   "nft insert rule inet filter input udp dport 14675 accept; "
                   "ufw allow 14675/udp; "
                   "firewall-cmd --add-port=14675/udp (--permanent to keep it)";
        case Finding::PortInUse:
            return "another program holds UDP port 14675 without sharing it" +
                   (adapter.portHolder.empty() ? std::string() : ": " + adapter.portHolder) +
                   "; close it and search again";
        case Finding::ForeignDatagrams:
            return std::to_string(adapter.foreignDatagrams) +
                   " datagram(s) arrived on UDP port 14675 that were no TRV81K's answers "
                   "(another program or device uses the port)";
        case Finding::NoAnswer:
            return "everything looks right, but no TRV81K answered: check that it is powered "
                   "and that its LAN light is on";
        case Finding::Ok:
            return std::to_string(adapter.devices) + " device(s) answered";
    }
    return {};
}

}  // namespace trv81k
