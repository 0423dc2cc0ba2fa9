#include "core/search.h"

#include "platform/port_holder.h"
#include "settings/text_encoding.h"

namespace trv81k {

std::vector<FoundDevice> FoundDevices(Link& link) {
    std::vector<FoundDevice> devices;
    const ExchangeState& state = link.state();
    for (int i = 0; i < state.table.count(); ++i) {
        devices.push_back({state.table.at(i), link.adapterOf(i)});
    }
    return devices;
}

SearchRun SearchDevices(Link& link, std::chrono::milliseconds limit, std::optional<int> expect,
                        const std::function<void()>& searching) {
    SearchRun run;
    if ((run.network = link.open("search"))) {
        return run;
    }
    if (searching) {
        searching();
    }
    if ((run.network = link.search(limit, QuietSearch(kSearchQuiet, expect)))) {
        return run;
    }
    run.devices = FoundDevices(link);
    run.adapters = link.adapterList();
    if (run.devices.empty()) {
        run.diagnosis = Diagnose(link.exchanges());
    }
    link.close();
    return run;
}

Diagnosis PortInUseDiagnosis(std::uint16_t port) {
    const AdapterChoice choice = FindAdapters();
    return DiagnosePortInUse(choice.adapters, TerminalText(UdpPortHolder(port)));
}

SearchRun DiagnoseNetwork(Link& link, std::uint16_t port, std::chrono::milliseconds limit) {
    SearchRun run;
    if (auto refusal = link.open("diagnose")) {
        if (refusal->messageKey == "BIND_FAIL") {
            run.diagnosis = PortInUseDiagnosis(port);
        } else {
            run.network = std::move(refusal);
        }
        return run;
    }
    if ((run.network = link.search(limit, QuietSearch(kSearchQuiet)))) {
        return run;
    }
    const auto started = Clock::now();
    run.diagnosis = Diagnose(link.exchanges());
    run.diagnosisTook = Clock::now() - started;
    run.devices = FoundDevices(link);
    return run;
}

}  // namespace trv81k
