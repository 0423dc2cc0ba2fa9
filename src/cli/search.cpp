// search: one request and the answers collected until SearchEnd says enough or the timeout is
// over, then the table or the JSON. Exit 0 with a device, 3 without (with the diagnosis of why
// on standard error), 1 when the network cannot be used.

#include <cmath>

#include "cli/command.h"
#include "cli/diagnose.h"
#include "cli/output.h"
#include "core/search.h"

namespace trv81k::cli {
namespace {

constexpr char kSearchDescription[] =
    "The search ends once no new device has answered for 0.4 s after the last new one (longer\n"
    "when the first answer took longer to come); with --expect N once N devices are in\n"
    "instead; at the latest after --timeout.";

class Search final : public Command {
public:
    CLI::App* add(CLI::App& app) override {
        CLI::App* command = app.add_subcommand("search", "list the TRV81K devices that answer");
        command->footer(kSearchDescription);
        AddTimeout(*command, timeoutSeconds_);
        expectOption_ = command
                            ->add_option("--expect", expect_,
                                         "end as soon as N devices have answered (and not before)")
                            ->type_name("N")
                            ->check(NumberCheck(1, static_cast<int>(kMaxDevices), true));
        command->add_flag("--json", json_,
                          "a JSON array of objects with name, mac, ipMode, ip, netmask, gateway, "
                          "ssid, channel, security, securityText, networkMode, firmware, adapter "
                          "(name, address)");
        return command;
    }

    int run(Context& context) override {
        Console& console = context.console;
        const std::chrono::milliseconds timeout(std::llround(timeoutSeconds_ * 1000));
        Link link(context.network, VerboseNotes(console));
        const SearchRun run = SearchDevices(link, timeout, Given(expectOption_, expect_), [&] {
            if (console.progress) {
                Say(console.err, "searching for up to " + SecondsText(timeout) + " ...");
            }
        });
        if (run.network) {
            return Report(console, context.messages, *run.network);
        }
        const std::vector<FoundDevice>& devices = run.devices;
        if (json_) {
            console.out << SearchJson(devices, context.messages) << std::flush;
        } else if (!devices.empty()) {
            console.out << SearchTable(devices, context.messages) << std::flush;
        }
        if (devices.empty()) {
            Say(console.err,
                "no TRV81K answered within " + SecondsText(timeout) + " on " + run.adapters);
            SayDiagnosis(console, *run.diagnosis);
            return kExitNotFound;
        }
        return kExitOk;
    }

private:
    double timeoutSeconds_ = 3.0;
    int expect_ = 0;
    CLI::Option* expectOption_ = nullptr;
    bool json_ = false;
};

}  // namespace

std::unique_ptr<Command> MakeSearchCommand() {
    return std::make_unique<Search>();
}

}  // namespace trv81k::cli
