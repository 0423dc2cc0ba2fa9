// configure: search for one device, log in, decide the wireless path, write, optionally verify:
// the core's fleet of one (DriveFleet, as apply drives many).

#include "cli/command.h"
#include "core/fleet.h"
#include "platform/adapters.h"

namespace trv81k::cli {
namespace {

constexpr char kConfigureDescription[] =
    "Searches for the device, logs in and writes the settings. Settings the options leave\n"
    "out keep the device's current values. With any wireless option (--ssid, --channel,\n"
    "--net-mode, --security, --key, --passphrase) the wireless settings are written; with\n"
    "--pairing they are left to the device's push-button pairing; with neither the device\n"
    "is asked whether pairing manages them, and a device that says no is refused.\n"
    "--device takes the device's hardware address or its name; a name must belong to one\n"
    "device only (the search then waits until no new device has answered for 0.4 s, so a\n"
    "second device of that name is not missed).";

class Configure final : public Command {
public:
    CLI::App* add(CLI::App& app) override {
        CLI::App* command =
            app.add_subcommand("configure", "search for one device, log in and write its settings");
        command->footer(kConfigureDescription);
        options_.addTo(*command);
        options_.find("device")->required();
        verifyOption_ =
            command
                ->add_option("--verify", verifySeconds_,
                             "after the acknowledgement, search again for up to SECONDS and check "
                             "that the device announces the new settings")
                ->type_name("SECONDS")
                ->check(NumberCheck(0.001, 3600.0, false));
        return command;
    }

    int run(Context& context) override {
        ConfigureOptions given;
        options_.store(given);
        given.verifySeconds = Given(verifyOption_, verifySeconds_);
        SecretContext secrets;
        secrets.stdinFd = context.environment.stdinFd;
        secrets.getenv = context.environment.getenv;
        auto checked = CheckOptions(given, secrets, true);
        if (auto* refusal = std::get_if<Refusal>(&checked)) {
            return Report(context.console, context.messages, *refusal);
        }
        const ConfigurePlan& plan = std::get<ConfigurePlan>(checked);
        auto password = ResolveDevicePassword(given, context.environment,
                                              "Password of " + plan.device.text() + ": ");
        if (auto* refusal = std::get_if<Refusal>(&password)) {
            return Report(context.console, context.messages, *refusal);
        }
        return RunConfigure(context, plan, std::get<Password>(password).latin1);
    }

private:
    TableOptions options_;
    double verifySeconds_ = 0;
    CLI::Option* verifyOption_ = nullptr;
};

}  // namespace

int RunConfigure(Context& context, const ConfigurePlan& plan, const std::string& password) {
    Console& console = context.console;
    const Messages& messages = context.messages;
    const NetworkConfig& network = context.network;
    FleetOptions how;
    how.settingsFirst = false;  // the road builds them after its login, as the wizard does
    how.missingStops = true;
    if (plan.verifySeconds) {
        how.verify = std::chrono::duration<double>(*plan.verifySeconds);
    }
    FleetNotes notes;
    if (console.progress) {
        notes.step = [&](FleetStep step) {
            if (step == FleetStep::Search) {
                Say(console.err, "searching for " + plan.device.text() + " ...");
            } else if (step == FleetStep::Verify) {
                Say(console.err, "checking what the device announces now ...");
            }
        };
        notes.progress = [&](const EntryReport&, const std::string& line) {
            Say(console.err, line);
        };
    }
    if (console.verbose) {
        notes.verbose = [&](const EntryReport&, const std::string& line) {
            Say(console.err, line);
        };
    }
    notes.exchanges = VerboseNotes(console);

    Link link(network, VerboseNotes(console));
    const FleetEntry entry{plan, password};
    const FleetRun run = DriveFleet(link, network, std::span(&entry, 1), how, notes);
    if (run.network) {
        return Report(console, messages, *run.network);
    }
    if (!run.problems.empty()) {
        return Report(console, messages, *run.problems.front().refusal);
    }
    const EntryReport& report = run.entries.front();
    if (report.found < 0) {
        return Report(
            console, messages,
            Refuse("device " + plan.device.text(),
                   "did not answer the search within " +
                       SecondsText(SearchDialogLength(network.timing)) + " on " + run.adapters,
                   run.answered > 0 ? std::to_string(run.answered) + " other device(s) did; see " +
                                          std::string(kProgramName) + " search"
                                    : std::string(),
                   Outcome::NotFound));
    }
    if (report.refusal && report.end != RoadEnd::NotVerified) {
        return Report(console, messages, *report.refusal);
    }
    link.close();

    const std::string mac = formatMac(report.settings->mac);
    const std::string who = "device " + report.who;
    if (!plan.verifySeconds) {
        console.out << mac << ": configured\n" << std::flush;
        return kExitOk;
    }
    if (report.refusal) {
        Refusal refusal = *report.refusal;
        refusal.outcome = Outcome::NotVerified;
        refusal.hint = "the device acknowledged the settings, they were not verified";
        return Report(console, messages, refusal);
    }
    if (report.end == RoadEnd::Acknowledged) {
        console.out << mac << ": configured and verified\n" << std::flush;
        return kExitOk;
    }
    if (!report.announced->answered) {
        Say(console.err, who + ": acknowledged the settings but did not answer a search within " +
                             SecondsText(std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::duration<double>(*plan.verifySeconds))));
    } else {
        Say(console.err, who + ": acknowledged the settings but does not announce them:");
        for (const std::string& line : report.announced->differences) {
            Say(console.err, "  " + line);
        }
    }
    return kExitNotVerified;
}

std::unique_ptr<Command> MakeConfigureCommand() {
    return std::make_unique<Configure>();
}

}  // namespace trv81k::cli
