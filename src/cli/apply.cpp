#include "cli/apply.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <map>
#include <nlohmann/json.hpp>
#include <set>

#include "cli/command.h"
#include "cli/output.h"
#include "cli/password.h"
#include "core/fleet.h"
#include "fileio/file_access.h"
#include "fileio/json_reader.h"
#include "settings/text_encoding.h"

namespace trv81k::cli {
namespace {

using Json = nlohmann::json;

// Larger than any file of 32 entries needs.
constexpr std::size_t kMaxFileBytes = 1 << 20;

// A refusal of the checks said of a place in the file (`where`: "entry 3", "defaults") in the
// file's words, the options' dashes dropped: "sites.json: entry 3, ip 10.0.0.255: ...".
Refusal inFile(Refusal refusal, const std::string& fileName, const std::string& where) {
    std::string what = refusal.subject;
    if (what.starts_with("--")) {
        what.erase(0, 2);
    } else if (!refusal.field.empty() && !what.starts_with(ShownValue(refusal.field, 40))) {
        what = ShownValue(refusal.field, 40) + ": " + what;
    }
    refusal.subject = fileName + ": " + where + (what.empty() ? "" : ", " + what);
    // The texts name options; in the file, those of the table are keys.
    for (std::string* text : {&refusal.detail, &refusal.hint}) {
        for (std::size_t at = text->find("--"); at != std::string::npos;
             at = text->find("--", at + 1)) {
            const std::size_t end = text->find_first_not_of("abcdefghijklmnopqrstuvwxyz-", at + 2);
            if (FindConfigureOption(std::string_view(*text).substr(at + 2, end - at - 2))) {
                text->erase(at, 2);
            }
        }
    }
    refusal.outcome = Outcome::Usage;
    return refusal;
}

// The keys of one object of the file, read into `options`; the keys given are noted in
// `present`. The refusal of the first bad key.
std::optional<Refusal> readKeys(const Json& object, ConfigureOptions& options,
                                std::set<std::string_view>& present) {
    for (const auto& item : object.items()) {
        // Named, not bound: a lambda below uses the key.
        const std::string& key = item.key();
        const Json& value = item.value();
        const ConfigureOption* row = FindConfigureOption(key);
        if (row == nullptr) {
            Refusal refusal =
                key == "verify"
                    ? Refuse(ShownValue(key, 40), "is an option of the whole run, not of an entry",
                             "give --verify SECONDS")
                    : Refuse(ShownValue(key, 40), "is not a key of an entry",
                             "the keys are configure's long options without their dashes: "
                             "device, password-file, static, ip, name, ssid, key-file ...");
            refusal.field = key;
            return refusal;
        }
        present.insert(row->name);
        const auto wrongType = [&](std::string detail) {
            Refusal refusal = Refuse(ShownValue(key, 40), std::move(detail));
            refusal.field = key;
            return refusal;
        };
        switch (row->kind) {
            case OptionKind::Flag:
                if (!value.is_boolean()) {
                    return wrongType("must be true or false");
                }
                row->assign(options, value.get<bool>());
                break;
            case OptionKind::Text:
                if (!value.is_string()) {
                    return wrongType("must be a string");
                }
                row->assign(options, value.get<std::string>());
                break;
            case OptionKind::Number:
                if (!value.is_number_integer() ||
                    value.get<std::int64_t>() < std::numeric_limits<int>::min() ||
                    value.get<std::int64_t>() > std::numeric_limits<int>::max()) {
                    return wrongType("must be a whole number");
                }
                row->assign(options, value.get<int>());
                break;
        }
    }
    return std::nullopt;
}

// One entry from its merged options: secrets read, values checked, its own password.
std::variant<ApplyEntry, Refusal> checkEntry(ConfigureOptions options, int index,
                                             const std::filesystem::path& folder) {
    SecretContext context;
    context.folder = folder;
    context.stdinAllowed = false;  // the password of all may need it
    auto checked = CheckOptions(options, context, false);
    if (auto* refusal = std::get_if<Refusal>(&checked)) {
        return std::move(*refusal);
    }
    ApplyEntry entry;
    entry.index = index;
    entry.plan = std::get<ConfigurePlan>(std::move(checked));
    if (options.password || options.passwordFile) {
        PasswordInputs inputs;
        inputs.option = options.password;
        if (options.passwordFile) {
            inputs.file = (folder / *options.passwordFile).string();
        }
        auto password = ResolvePassword(inputs);
        if (auto* refusal = std::get_if<Refusal>(&password)) {
            return std::move(*refusal);
        }
        entry.password = std::get<Password>(std::move(password)).latin1;
    }
    return entry;
}

std::string entryName(int index) {
    return "entry " + std::to_string(index);
}

}  // namespace

ApplyFile ReadApplyFile(std::string_view text, const std::filesystem::path& folder,
                        const std::string& fileName) {
    std::vector<Refusal> refusals;
    const auto refuseFile = [&](std::string detail, std::string hint = {}) {
        refusals.push_back(Refuse(fileName, std::move(detail), std::move(hint)));
        return refusals;
    };
    auto read = ReadJson<Json>(text);
    if (auto* problem = std::get_if<JsonProblem>(&read)) {
        return refuseFile(problem->text());
    }
    const Json document = std::get<Json>(std::move(read));
    if (!document.is_object()) {
        return refuseFile("must be a JSON object with \"devices\" (and \"defaults\")");
    }
    for (const auto& [key, value] : document.items()) {
        if (key != "devices" && key != "defaults") {
            return refuseFile("\"" + ShownValue(key, 40) + "\" is not a key of the file",
                              "it holds \"devices\" and \"defaults\"");
        }
    }
    const auto devices = document.find("devices");
    if (devices == document.end() || !devices->is_array() || devices->empty()) {
        return refuseFile("\"devices\" must be a list of one or more entries");
    }
    if (devices->size() > kMaxDevices) {
        return refuseFile("has " + std::to_string(devices->size()) + " entries",
                          "one run takes up to " + std::to_string(kMaxDevices) +
                              " devices, as many as one search lists");
    }

    ConfigureOptions defaults;
    std::set<std::string_view> given;
    if (const auto found = document.find("defaults"); found != document.end()) {
        if (!found->is_object()) {
            return refuseFile("\"defaults\" must be an object");
        }
        if (auto refusal = readKeys(*found, defaults, given)) {
            return std::vector{inFile(*refusal, fileName, "defaults")};
        }
        if (given.contains("device")) {
            Refusal refusal = Refuse("device", "belongs to an entry, not to the defaults");
            return std::vector{inFile(refusal, fileName, "defaults")};
        }
    }

    std::vector<ApplyEntry> entries;
    std::vector<std::pair<int, std::string>> ids;  // each entry's device as given
    std::vector<std::pair<int, Refusal>> byEntry;
    for (std::size_t i = 0; i < devices->size(); ++i) {
        const int index = static_cast<int>(i) + 1;
        const Json& object = (*devices)[i];
        const auto refuse = [&](Refusal refusal) {
            byEntry.emplace_back(index, inFile(std::move(refusal), fileName, entryName(index)));
        };
        if (!object.is_object()) {
            refuse(Refuse("", "must be an object with \"device\" and the settings"));
            continue;
        }
        ConfigureOptions options;
        std::set<std::string_view> own;
        if (auto refusal = readKeys(object, options, own)) {
            refuse(*refusal);
            continue;
        }
        if (!options.device) {
            Refusal refusal = Refuse("device", "is missing",
                                     "a hardware address such as 00-11-22-33-44-55 or the name");
            refusal.field = "device";
            refuse(refusal);
            continue;
        }
        ids.emplace_back(index, *options.device);
        LayDefaults(options, own, defaults, given);
        auto entry = checkEntry(std::move(options), index, folder);
        if (auto* refusal = std::get_if<Refusal>(&entry)) {
            refuse(std::move(*refusal));
            continue;
        }
        entries.push_back(std::get<ApplyEntry>(std::move(entry)));
    }

    // Each device once (a hardware address in any spelling).
    std::map<std::string, int> named;
    for (const auto& [index, device] : ids) {
        const std::optional<MacAddress> mac = parseMac(device);
        const auto [earlier, added] =
            named.emplace(mac ? formatMac(*mac) : "name " + device, index);
        if (!added) {
            Refusal refusal = Refuse("device " + ShownValue(device, 40),
                                     "is named by " + entryName(earlier->second) + " as well");
            refusal.field = "device";
            byEntry.emplace_back(index, inFile(refusal, fileName, entryName(index)));
        }
    }
    if (!byEntry.empty()) {
        std::stable_sort(byEntry.begin(), byEntry.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        for (auto& [index, refusal] : byEntry) {
            refusals.push_back(std::move(refusal));
        }
        return refusals;
    }
    return entries;
}

ApplyFile LoadApplyFile(const std::filesystem::path& path) {
    const std::string name = path.string();
    FileContents contents = ReadRegularFile(path, kMaxFileBytes);
    if (!contents.error.empty()) {
        return std::vector{Refuse(name, contents.error.starts_with(name + " ")
                                            ? contents.error.substr(name.size() + 1)
                                            : contents.error)};
    }
    const std::filesystem::path folder =
        path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    return ReadApplyFile(contents.text, folder, name);
}

namespace {

std::string secondsText(Clock::duration elapsed) {
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%.1f s",
                  std::chrono::duration<double>(elapsed).count());
    return text.data();
}

std::string millisecondsOf(std::chrono::duration<double> duration) {
    return SecondsText(std::chrono::duration_cast<std::chrono::milliseconds>(duration));
}

// What became of an entry, in its line and in the report: "configured and verified", or why not.
std::string reasonOf(const EntryReport& report, const ApplyOptions& options,
                     const Messages& messages) {
    switch (report.end) {
        case RoadEnd::NotFound:
            return "did not answer the search (it ended after " + millisecondsOf(report.elapsed) +
                   ")";
        case RoadEnd::Acknowledged:
            return options.verifySeconds ? "configured and verified" : "configured";
        case RoadEnd::NotVerified: {
            if (report.refusal) {
                return "acknowledged the settings, which were not verified: " +
                       report.refusal->text(messages.texts());
            }
            if (!report.announced->answered) {
                return "acknowledged the settings but did not answer a search within " +
                       millisecondsOf(std::chrono::duration<double>(*options.verifySeconds));
            }
            std::string differences;
            for (const std::string& difference : report.announced->differences) {
                differences += (differences.empty() ? "" : "; ") + difference;
            }
            return "acknowledged the settings but announces others: " + differences;
        }
        default: {
            Refusal refusal = *report.refusal;
            if (report.end == RoadEnd::Pairing) {
                // Said of an entry of the file: its keys, not the options.
                refusal.hint =
                    "give the entry \"ssid\", \"security\" and a key to write them, or "
                    "\"pairing\": true to leave them to the pairing feature";
            }
            return refusal.text(messages.texts());
        }
    }
}

// "02-81-00-00-00-01: configured and verified (entry 1, "Hall", lab0 (10.81.0.1), 8.4 s)".
std::string lineOf(const EntryReport& report, const ApplyEntry& entry, const ApplyOptions& options,
                   const Messages& messages) {
    std::string text = report.who + ": ";
    if (report.end != RoadEnd::Acknowledged) {
        text += "not done: ";
    }
    text += reasonOf(report, options, messages) + " (" + entryName(entry.index);
    if (report.found >= 0) {
        text += ", \"" + Latin1ToUtf8(report.device.deviceNameText()) + "\", " +
                AdapterDisplay(report.adapter);
    }
    return TerminalText(text + ", " + secondsText(report.elapsed) + ")");
}

// The JSON report, the summary on standard error, the exit code.
int endOf(const FleetRun& run, const ApplyOptions& options, Console& console,
          const Messages& messages) {
    std::size_t done = 0;
    std::size_t answered = 0;
    std::string notDone;
    nlohmann::ordered_json report = nlohmann::ordered_json::array();
    for (std::size_t i = 0; i < run.entries.size(); ++i) {
        const EntryReport& entry = run.entries[i];
        done += entry.end == RoadEnd::Acknowledged ? 1 : 0;
        answered += entry.found >= 0 ? 1 : 0;
        if (entry.end != RoadEnd::Acknowledged) {
            notDone += (notDone.empty() ? "" : ", ") + entryName(options.entries[i].index) + " " +
                       entry.who + " (" + std::string(RoadEndName(entry.end)) + ")";
        }
        nlohmann::ordered_json item;
        item["entry"] = options.entries[i].index;
        item["device"] = entry.who;
        item["name"] = entry.found >= 0
                           ? nlohmann::ordered_json(Latin1ToUtf8(entry.device.deviceNameText()))
                           : nlohmann::ordered_json(nullptr);
        item["adapter"] = AdapterJson(entry.adapter);
        item["result"] = RoadEndName(entry.end);
        item["reason"] = reasonOf(entry, options, messages);
        item["seconds"] =
            std::round(std::chrono::duration<double>(entry.elapsed).count() * 1000) / 1000;
        report.push_back(std::move(item));
    }
    if (options.json) {
        console.out << report.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace)
                    << '\n'
                    << std::flush;
    }
    if (done == run.entries.size()) {
        return kExitOk;
    }
    Say(console.err, std::to_string(done) + " of " + std::to_string(run.entries.size()) +
                         " device(s) done; not done: " + notDone);
    return answered == 0 ? kExitNotFound : kExitSomeNotDone;
}

// apply --check's report: each device's changes, or that it did not answer.
int checkOf(const FleetRun& run, const ApplyOptions& options, Console& console) {
    nlohmann::ordered_json report = nlohmann::ordered_json::array();
    bool missing = false;
    for (std::size_t i = 0; i < run.entries.size(); ++i) {
        const EntryReport& f = run.entries[i];
        const ApplyEntry& entry = options.entries[i];
        nlohmann::ordered_json item;
        item["entry"] = entry.index;
        item["device"] = f.who;
        if (f.found < 0 || !f.settings) {
            missing = true;
            item["result"] = "not-found";
            if (!options.json) {
                console.out << f.who << ": not found (" << entryName(entry.index)
                            << ", did not answer the search)\n";
            }
            report.push_back(std::move(item));
            continue;
        }
        const std::optional<WirelessPath> path = WirelessFromOptions(entry.plan.overrides);
        const char* wireless = !path                            ? "pairing-check"
                               : *path == WirelessPath::Pairing ? "pairing"
                                                                : "written";
        const std::vector<PlannedChange> changes = PlannedChanges(*f.settings, f.device);
        item["name"] = Latin1ToUtf8(f.device.deviceNameText());
        item["adapter"] = AdapterJson(f.adapter);
        item["result"] = "found";
        item["wireless"] = wireless;
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        for (const PlannedChange& change : changes) {
            nlohmann::ordered_json one;
            one["field"] = change.field;
            one["current"] = Latin1ToUtf8(change.now);
            one["new"] = Latin1ToUtf8(change.next);
            list.push_back(std::move(one));
        }
        item["changes"] = std::move(list);
        report.push_back(std::move(item));
        if (options.json) {
            continue;
        }
        console.out << f.who << " (" << entryName(entry.index) << ", \""
                    << TerminalLatin1(f.device.deviceNameText()) << "\", "
                    << AdapterDisplay(f.adapter) << "):\n";
        for (const PlannedChange& change : changes) {
            console.out << "  " << change.field << ": " << TerminalLatin1(change.now) << " \u2192 "
                        << TerminalLatin1(change.next) << '\n';
        }
        if (changes.empty()) {
            console.out << "  nothing changes\n";
        }
        if (!path) {
            console.out << "  wireless: the pairing check decides after the login (a device "
                           "under pairing control keeps its wireless settings)\n";
        } else if (*path == WirelessPath::Pairing) {
            console.out << "  wireless: left to the pairing\n";
        }
    }
    if (options.json) {
        console.out << report.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace)
                    << '\n';
    }
    console.out << std::flush;
    return missing ? kExitNotFound : kExitOk;
}

// An entry that cannot go on its device, in the file's words.
Refusal problemOf(const EntryProblem& problem, const FleetRun& run, const ApplyOptions& options) {
    const ApplyEntry& entry = options.entries[problem.entry];
    Refusal refusal;
    if (problem.refusal) {
        refusal = *problem.refusal;
    } else {
        refusal =
            Refuse("device " + entry.plan.device.text(),
                   "is " + formatMac(run.entries[problem.entry].device.macAddress) + ", which " +
                       entryName(options.entries[*problem.sameAs].index) + " names as well");
        refusal.field = "device";
    }
    return inFile(refusal, options.fileName, entryName(entry.index));
}

}  // namespace

int RunApply(const ApplyOptions& options, const NetworkConfig& network, Console& console,
             const Messages& messages) {
    std::vector<FleetEntry> fleet;
    for (const ApplyEntry& entry : options.entries) {
        fleet.push_back({entry.plan, entry.password.value_or(options.password)});
    }
    FleetOptions how;
    if (options.verifySeconds) {
        how.verify = std::chrono::duration<double>(*options.verifySeconds);
    }
    how.check = options.check;
    how.parallel = options.parallel;
    FleetNotes notes;
    if (console.progress) {
        notes.step = [&](FleetStep step) {
            Say(console.err,
                step == FleetStep::Search
                    ? "searching for " + std::to_string(fleet.size()) + " device(s) ..."
                : step == FleetStep::Roads ? "logging in and writing the settings (about " +
                                                 SecondsText(network.timing.configureTick) + ") ..."
                                           : "checking what the devices announce now ...");
        };
    }
    if (console.verbose) {
        notes.verbose = [&](const EntryReport& entry, const std::string& text) {
            Say(console.err, entry.who + ": " + text);
        };
    }
    if (!options.json) {
        notes.ended = [&](std::size_t i, const EntryReport& entry) {
            console.out << lineOf(entry, options.entries[i], options, messages) << '\n'
                        << std::flush;
        };
    }
    notes.exchanges = VerboseNotes(console);

    Link link(network, VerboseNotes(console));
    const FleetRun run = DriveFleet(link, network, fleet, how, notes);
    if (run.network) {
        return Report(console, messages, *run.network);
    }
    if (!run.problems.empty()) {
        for (const EntryProblem& problem : run.problems) {
            Report(console, messages, problemOf(problem, run, options));
        }
        return kExitUsage;
    }
    if (options.check) {
        return checkOf(run, options, console);
    }
    link.close();
    return endOf(run, options, console, messages);
}

namespace {

constexpr char kApplyDescription[] =
    "FILE: {\"defaults\": {...}, \"devices\": [{\"device\": \"02-81-00-00-00-01\", \"name\": "
    "\"Hall\",\n"
    "\"ssid\": \"Office\", \"security\": \"wpa2\", \"passphrase-file\": \"wifi.txt\"}, ...]}. "
    "\"device\" is\n"
    "a hardware address or a unique device name; every other key is a long option of\n"
    "configure without its dashes (\"static\": true, \"ip\", \"new-password-file\", \"channel\": "
    "6,\n"
    "\"pairing\": true, ...; \"password\" or \"password-file\" for the entry's own login "
    "password).\n"
    "\"defaults\" applies to every entry; an entry's own keys win over it. File names count\n"
    "from the file's folder; a secret file's first line is the secret.\n"
    "Every entry is checked first: one bad entry (exit 2, each reported as \"entry N, key\") and\n"
    "nothing but a search is sent. Then one search, ended once every device has answered;\n"
    "then the devices are logged in and written as configure does it, all at once.\n"
    "A line for each device as it ends (--json: the report at the end). Exit 0 when every\n"
    "device is done, 7 when some are not (the lines say which and why), 3 when none answered.";

class ApplyCommand final : public Command {
public:
    CLI::App* add(CLI::App& app) override {
        CLI::App* command = app.add_subcommand(
            "apply", "configure the devices a JSON file lists, all of them in one run");
        command->footer(kApplyDescription);
        command
            ->add_option("FILE", file_, "the JSON file: {\"devices\": [...], \"defaults\": {...}}")
            ->required()
            ->type_name("FILE");
        password_.addTo(*command, {"password", "password-file"});
        verifyOption_ =
            command
                ->add_option("--verify", verifySeconds_,
                             "after the acknowledgements, search again for up to SECONDS and "
                             "check that every device announces its new settings")
                ->type_name("SECONDS")
                ->check(NumberCheck(0.001, 3600.0, false));
        command->add_flag("--json", json_,
                          "a JSON array at the end instead of the lines: entry, device, name, "
                          "adapter (name, address), result, reason, seconds");
        command
            ->add_flag("--check", check_,
                       "check every entry and search, then print what would change on each "
                       "device (current -> new value, secrets masked); logs in nowhere, writes "
                       "nothing")
            ->excludes(verifyOption_);
        // For tests: how many devices are on their road at once (0: all).
        command->add_option("--parallel", parallel_)->check(NumberCheck(0, 32, true))->group("");
        return command;
    }
    int run(Context& context) override;

private:
    std::string file_;
    TableOptions password_;
    double verifySeconds_ = 0;
    CLI::Option* verifyOption_ = nullptr;
    bool json_ = false;
    bool check_ = false;
    int parallel_ = kApplyParallel;
};

// The password of the devices without their own; nothing asked when every entry has one.
std::variant<Password, Refusal> DevicesPassword(const ConfigureOptions& given,
                                                const std::vector<ApplyEntry>& entries,
                                                const Environment& environment) {
    if (std::all_of(entries.begin(), entries.end(),
                    [](const ApplyEntry& entry) { return entry.password.has_value(); })) {
        return Password{};
    }
    return ResolveDevicePassword(given, environment, "Password of the devices: ");
}

int ApplyCommand::run(Context& context) {
    Console& console = context.console;
    const Messages& messages = context.messages;
    const NetworkConfig& network = context.network;
    const std::string& file = file_;
    ApplyFile read = LoadApplyFile(file);
    if (auto* refusals = std::get_if<std::vector<Refusal>>(&read)) {
        for (const Refusal& refusal : *refusals) {
            Report(console, messages, refusal);
        }
        return kExitUsage;
    }
    ApplyOptions options;
    options.entries = std::get<std::vector<ApplyEntry>>(std::move(read));
    options.fileName = file;
    options.verifySeconds = Given(verifyOption_, verifySeconds_);
    options.json = json_;
    options.parallel = parallel_;
    options.check = check_;
    if (check_) {
        return RunApply(options, network, console, messages);  // no login: no password
    }
    ConfigureOptions given;
    password_.store(given);
    auto password = DevicesPassword(given, options.entries, context.environment);
    if (auto* refusal = std::get_if<Refusal>(&password)) {
        return Report(console, messages, *refusal);
    }
    options.password = std::get<Password>(std::move(password)).latin1;
    return RunApply(options, network, console, messages);
}

}  // namespace

std::unique_ptr<Command> MakeApplyCommand() {
    return std::make_unique<ApplyCommand>();
}

}  // namespace trv81k::cli
