// configure: search for one device, log in, decide the wireless path, write, optionally verify:
// the core's road for one device (DriveRoads with one order, as apply drives many).

#include "cli/command.h"
#include "core/road.h"
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

// The refusal, with where a secret came from when it is about one that did not come from its
// option on the command line.
Refusal WithOrigin(Refusal refusal, const SecretOrigins& origins) {
    for (const auto& [name, origin] : origins) {
        if (refusal.field == name && refusal.hint.empty()) {
            refusal.hint = "the value came from " + origin;
        }
    }
    return refusal;
}

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
        if (auto refusal = CheckConflicts(given)) {
            return Report(context.console, context.messages, *refusal);
        }
        SecretContext secrets;
        secrets.stdinFd = context.environment.stdinFd;
        secrets.getenv = context.environment.getenv;
        auto origins = ReadSecrets(given, secrets);
        if (auto* refusal = std::get_if<Refusal>(&origins)) {
            return Report(context.console, context.messages, *refusal);
        }
        auto checked = CheckConfigureOptions(given);
        if (auto* refusal = std::get_if<Refusal>(&checked)) {
            return Report(context.console, context.messages,
                          WithOrigin(*refusal, std::get<SecretOrigins>(origins)));
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
    const Timing& timing = network.timing;
    std::string who = "device " + plan.device.text();
    std::optional<ConfigureSettings> written;
    {
        Link link(network, VerboseNotes(console));
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
            return Report(
                console, messages,
                Refuse(who,
                       "did not answer the search within " +
                           SecondsText(SearchDialogLength(timing)) + " on " + link.adapterList(),
                       others > 0 ? std::to_string(others) + " other device(s) did; see " +
                                        std::string(kProgramName) + " search"
                                  : std::string(),
                       Outcome::NotFound));
        }
        if (found.size() > 1) {
            return Report(console, messages, AmbiguousName(plan.device, found, link.state().table));
        }
        const DeviceInfo device = link.state().table.at(found.front());
        who = "device " + formatMac(device.macAddress);

        const RoadOrder order{found.front(), device, &plan.overrides, password, who};
        RoadNotes notes;
        if (console.progress) {
            notes.progress = [&](std::size_t, const std::string& line) { Say(console.err, line); };
        }
        if (console.verbose) {
            notes.verbose = [&](std::size_t, const std::string& line) { Say(console.err, line); };
        }
        RoadResult result =
            std::move(DriveRoads(link.exchanges(), std::span(&order, 1), 1, timing, notes).front());
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
    const VerifyResult verified =
        VerifyAnnounced(std::span(&*written, 1), limit, network, VerboseNotes(console));
    if (verified.network) {
        Refusal refusal = *verified.network;
        refusal.outcome = Outcome::NotVerified;
        refusal.hint = "the device acknowledged the settings, they were not verified";
        return Report(console, messages, refusal);
    }
    const Announced& announced = verified.devices.front();
    if (announced.verified()) {
        console.out << mac << ": configured and verified\n" << std::flush;
        return kExitOk;
    }
    if (!announced.answered) {
        Say(console.err,
            who + ": acknowledged the settings but did not answer a search within " +
                SecondsText(std::chrono::duration_cast<std::chrono::milliseconds>(limit)));
    } else {
        Say(console.err, who + ": acknowledged the settings but does not announce them:");
        for (const std::string& line : announced.differences) {
            Say(console.err, "  " + line);
        }
    }
    return kExitNotVerified;
}

std::unique_ptr<Command> MakeConfigureCommand() {
    return std::make_unique<Configure>();
}

}  // namespace trv81k::cli
