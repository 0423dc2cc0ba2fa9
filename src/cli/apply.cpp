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
#include "core/road.h"
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
                options.*(row->flag) = value.get<bool>();
                break;
            case OptionKind::Text:
                if (!value.is_string()) {
                    return wrongType("must be a string");
                }
                options.*(row->text) = value.get<std::string>();
                break;
            case OptionKind::Number:
                if (!value.is_number_integer() ||
                    value.get<std::int64_t>() < std::numeric_limits<int>::min() ||
                    value.get<std::int64_t>() > std::numeric_limits<int>::max()) {
                    return wrongType("must be a whole number");
                }
                options.*(row->number) = value.get<int>();
                break;
        }
    }
    return std::nullopt;
}

// The defaults laid under an entry: a key of the defaults counts unless the entry gives it,
// gives a key that cannot go with it, or turns off the option it needs.
void layDefaults(ConfigureOptions& entry, const std::set<std::string_view>& own,
                 const ConfigureOptions& defaults, const std::set<std::string_view>& given) {
    for (const ConfigureOption& row : ConfigureOptionTable()) {
        if (!given.contains(row.name) || own.contains(row.name)) {
            continue;
        }
        const bool overruled = std::any_of(
            ConfigureConflicts().begin(), ConfigureConflicts().end(),
            [&](const OptionConflict& conflict) {
                const std::string_view other = conflict.first == row.name    ? conflict.second
                                               : conflict.second == row.name ? conflict.first
                                                                             : std::string_view();
                return !other.empty() && FindConfigureOption(other)->isSet(entry);
            });
        // The entry turned the option it needs off ("static": false under a default netmask).
        const bool companionOff = !row.needs.empty() && own.contains(row.needs) &&
                                  !FindConfigureOption(row.needs)->isSet(entry);
        if (overruled || companionOff) {
            continue;
        }
        switch (row.kind) {
            case OptionKind::Flag:
                entry.*(row.flag) = defaults.*(row.flag);
                break;
            case OptionKind::Text:
                entry.*(row.text) = defaults.*(row.text);
                break;
            case OptionKind::Number:
                entry.*(row.number) = defaults.*(row.number);
                break;
        }
    }
}

// One entry from its merged options: secrets read, values checked, its own password.
std::variant<ApplyEntry, Refusal> checkEntry(ConfigureOptions options, int index,
                                             const std::filesystem::path& folder) {
    if (auto refusal = CheckConflicts(options)) {
        return *refusal;
    }
    SecretContext context;
    context.folder = folder;
    context.stdinAllowed = false;  // the password of all may need it
    auto secrets = ReadSecrets(options, context);
    if (auto* refusal = std::get_if<Refusal>(&secrets)) {
        return std::move(*refusal);
    }
    auto checked = CheckConfigureOptions(options);
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

std::string secondsText(double seconds) {
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%.1f s", seconds);
    return text.data();
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
        layDefaults(options, own, defaults, given);
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

// One run of apply: what each entry found and became, and the lines that tell it, written
// as the devices end (from their threads).
class Run {
public:
    Run(const ApplyOptions& options, Console& console)
        : options_(options),
          console_(console),
          found_(options.entries.size()),
          results_(options.entries.size()) {}

    struct Found {
        int index = -1;  // in the search's table; -1: did not answer
        DeviceInfo device;
        std::optional<Adapter> adapter;
    };

    void started() { started_ = Clock::now(); }
    Clock::time_point start() const { return started_; }
    Found& found(std::size_t entry) { return found_[entry]; }

    // The entry's device is at its end.
    void finish(std::size_t entry, RoadEnd kind, std::string reason) {
        ApplyResult& result = results_[entry];
        result.kind = kind;
        result.reason = std::move(reason);
        result.seconds = std::chrono::duration<double>(Clock::now() - started_).count();
        if (!options_.json) {
            console_.out << line(entry) << '\n' << std::flush;
        }
    }

    // A verbose line of a device's road.
    void note(std::size_t entry, const std::string& text) {
        Say(console_.err, who(entry) + ": " + text);
    }

    std::string who(std::size_t entry) const {
        const Found& f = found_[entry];
        return f.index >= 0 ? formatMac(f.device.macAddress)
                            : options_.entries[entry].plan.device.text();
    }

    // The JSON report, the summary on standard error, the exit code.
    int end() {
        std::size_t done = 0;
        std::size_t answered = 0;
        std::string notDone;
        nlohmann::ordered_json report = nlohmann::ordered_json::array();
        for (std::size_t i = 0; i < results_.size(); ++i) {
            const ApplyResult& result = results_[i];
            const Found& f = found_[i];
            done += result.kind == RoadEnd::Acknowledged ? 1 : 0;
            answered += f.index >= 0 ? 1 : 0;
            if (result.kind != RoadEnd::Acknowledged) {
                notDone += (notDone.empty() ? "" : ", ") + entryName(options_.entries[i].index) +
                           " " + who(i) + " (" + std::string(RoadEndName(result.kind)) + ")";
            }
            nlohmann::ordered_json item;
            item["entry"] = options_.entries[i].index;
            item["device"] = who(i);
            item["name"] = f.index >= 0
                               ? nlohmann::ordered_json(Latin1ToUtf8(f.device.deviceNameText()))
                               : nlohmann::ordered_json(nullptr);
            item["adapter"] = AdapterJson(f.adapter);
            item["result"] = RoadEndName(result.kind);
            item["reason"] = result.reason;
            item["seconds"] = std::round(result.seconds * 1000) / 1000;
            report.push_back(std::move(item));
        }
        if (options_.json) {
            console_.out << report.dump(2, ' ', false,
                                        nlohmann::ordered_json::error_handler_t::replace)
                         << '\n'
                         << std::flush;
        }
        if (done == results_.size()) {
            return kExitOk;
        }
        Say(console_.err, std::to_string(done) + " of " + std::to_string(results_.size()) +
                              " device(s) done; not done: " + notDone);
        return answered == 0 ? kExitNotFound : kExitSomeNotDone;
    }

    // apply --check's report: each device's changes, or that it did not answer.
    int check(const std::vector<std::optional<ConfigureSettings>>& planned) {
        nlohmann::ordered_json report = nlohmann::ordered_json::array();
        bool missing = false;
        for (std::size_t i = 0; i < found_.size(); ++i) {
            const Found& f = found_[i];
            const ConfigurePlan& plan = options_.entries[i].plan;
            nlohmann::ordered_json item;
            item["entry"] = options_.entries[i].index;
            item["device"] = who(i);
            if (f.index < 0 || !planned[i]) {
                missing = true;
                item["result"] = "not-found";
                if (!options_.json) {
                    console_.out << who(i) << ": not found ("
                                 << entryName(options_.entries[i].index)
                                 << ", did not answer the search)\n";
                }
                report.push_back(std::move(item));
                continue;
            }
            const std::optional<WirelessPath> path = WirelessFromOptions(plan.overrides);
            const char* wireless = !path                            ? "pairing-check"
                                   : *path == WirelessPath::Pairing ? "pairing"
                                                                    : "written";
            const std::vector<PlannedChange> changes = PlannedChanges(*planned[i], f.device);
            item["name"] = Latin1ToUtf8(f.device.deviceNameText());
            item["adapter"] = AdapterJson(f.adapter);
            item["result"] = "found";
            item["wireless"] = wireless;
            nlohmann::ordered_json list = nlohmann::ordered_json::array();
            for (const PlannedChange& change : changes) {
                nlohmann::ordered_json entry;
                entry["field"] = change.field;
                entry["current"] = Latin1ToUtf8(change.now);
                entry["new"] = Latin1ToUtf8(change.next);
                list.push_back(std::move(entry));
            }
            item["changes"] = std::move(list);
            report.push_back(std::move(item));
            if (options_.json) {
                continue;
            }
            console_.out << who(i) << " (" << entryName(options_.entries[i].index) << ", \""
                         << TerminalLatin1(f.device.deviceNameText()) << "\", "
                         << AdapterDisplay(f.adapter) << "):\n";
            for (const PlannedChange& change : changes) {
                console_.out << "  " << change.field << ": " << TerminalLatin1(change.now)
                             << " \u2192 " << TerminalLatin1(change.next) << '\n';
            }
            if (changes.empty()) {
                console_.out << "  nothing changes\n";
            }
            if (!path) {
                console_.out << "  wireless: the pairing check decides after the login (a device "
                                "under pairing control keeps its wireless settings)\n";
            } else if (*path == WirelessPath::Pairing) {
                console_.out << "  wireless: left to the pairing\n";
            }
        }
        if (options_.json) {
            console_.out << report.dump(2, ' ', false,
                                        nlohmann::ordered_json::error_handler_t::replace)
                         << '\n';
        }
        console_.out << std::flush;
        return missing ? kExitNotFound : kExitOk;
    }

private:
    // "02-81-00-00-00-01: configured and verified (entry 1, "Hall", lab0 (10.81.0.1), 8.4 s)".
    std::string line(std::size_t entry) const {
        const ApplyResult& result = results_[entry];
        const Found& f = found_[entry];
        std::string text = who(entry) + ": ";
        if (result.kind != RoadEnd::Acknowledged) {
            text += "not done: ";
        }
        text += result.reason + " (" + entryName(options_.entries[entry].index);
        if (f.index >= 0) {
            text += ", \"" + Latin1ToUtf8(f.device.deviceNameText()) + "\", " +
                    AdapterDisplay(f.adapter);
        }
        return TerminalText(text + ", " + secondsText(result.seconds) + ")");
    }

    const ApplyOptions& options_;
    Console& console_;
    std::vector<Found> found_;
    std::vector<ApplyResult> results_;
    Clock::time_point started_ = Clock::now();
};

}  // namespace

int RunApply(const ApplyOptions& options, const NetworkConfig& network, Console& console,
             const Messages& messages) {
    const std::vector<ApplyEntry>& entries = options.entries;
    Run run(options, console);
    std::vector<std::optional<ConfigureSettings>> written(entries.size());
    {
        Link link(network, VerboseNotes(console));
        if (auto refusal = link.open("search")) {
            return Report(console, messages, *refusal);
        }
        if (console.progress) {
            Say(console.err, "searching for " + std::to_string(entries.size()) + " device(s) ...");
        }
        std::vector<DeviceChoice> choices;
        for (const ApplyEntry& entry : entries) {
            choices.push_back(entry.plan.device);
        }
        run.started();
        if (auto refusal = link.search(std::nullopt, AllAnswered(choices, kSearchQuiet))) {
            return Report(console, messages, *refusal);
        }

        // Each entry's device, and its settings as far as they can be built before a login:
        // one that does not pass and nothing is sent.
        const DeviceTable& table = link.state().table;
        std::vector<Refusal> refusals;
        std::map<MacAddress, int> taken;
        std::vector<std::optional<ConfigureSettings>> planned(entries.size());
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const ApplyEntry& entry = entries[i];
            const std::string where = entryName(entry.index);
            const std::vector<int> matching = MatchingDevices(entry.plan.device, table);
            if (matching.size() > 1) {
                refusals.push_back(inFile(AmbiguousName(entry.plan.device, matching, table),
                                          options.fileName, where));
                continue;
            }
            if (matching.empty()) {
                continue;
            }
            Run::Found& found = run.found(i);
            found.index = matching.front();
            found.device = table.at(found.index);
            found.adapter = link.adapterOf(found.index);
            const auto [earlier, added] = taken.emplace(found.device.macAddress, entry.index);
            if (!added) {
                Refusal refusal = Refuse("device " + entry.plan.device.text(),
                                         "is " + formatMac(found.device.macAddress) + ", which " +
                                             entryName(earlier->second) + " names as well");
                refusal.field = "device";
                refusals.push_back(inFile(refusal, options.fileName, where));
                continue;
            }
            auto settings = SettingsBeforeLogin(entry.plan.overrides, found.device);
            if (auto* refusal = std::get_if<Refusal>(&settings)) {
                refusals.push_back(inFile(*refusal, options.fileName, where));
            } else {
                planned[i] = std::get<ConfigureSettings>(std::move(settings));
            }
        }
        if (!refusals.empty()) {
            for (const Refusal& refusal : refusals) {
                Report(console, messages, refusal);
            }
            return kExitUsage;
        }
        if (options.check) {
            return run.check(planned);
        }
        const std::string notFound =
            "did not answer the search (it ended after " +
            SecondsText(
                std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - run.start())) +
            ")";
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (run.found(i).index < 0) {
                run.finish(i, RoadEnd::NotFound, notFound);
            }
        }

        // The roads, each on a thread of its own.
        if (console.progress) {
            Say(console.err, "logging in and writing the settings (about " +
                                 SecondsText(network.timing.configureTick) + ") ...");
        }
        std::vector<RoadOrder> orders;
        std::vector<std::size_t> entryOf;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const Run::Found& found = run.found(i);
            if (found.index >= 0) {
                orders.push_back({found.index, found.device, &entries[i].plan.overrides,
                                  entries[i].password.value_or(options.password),
                                  "device " + run.who(i)});
                entryOf.push_back(i);
            }
        }
        RoadNotes notes;
        if (console.verbose) {
            notes.verbose = [&](std::size_t k, const std::string& text) {
                run.note(entryOf[k], text);
            };
        }
        notes.ended = [&](std::size_t k, const RoadResult& road) {
            const std::size_t i = entryOf[k];
            if (road.refusal) {
                Refusal refusal = *road.refusal;
                if (road.end == RoadEnd::Pairing) {
                    // Said of an entry of the file: its keys, not the options.
                    refusal.hint =
                        "give the entry \"ssid\", \"security\" and a key to write them, or "
                        "\"pairing\": true to leave them to the pairing feature";
                }
                run.finish(i, road.end, refusal.text(messages.texts()));
            } else if (!options.verifySeconds) {
                run.finish(i, RoadEnd::Acknowledged, "configured");
            } else {
                written[i] = road.written;
            }
        };
        DriveRoads(link.exchanges(), orders, options.parallel, network.timing, notes);
    }

    if (options.verifySeconds) {
        std::vector<std::size_t> acknowledged;
        std::vector<ConfigureSettings> settings;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (written[i]) {
                acknowledged.push_back(i);
                settings.push_back(*written[i]);
            }
        }
        if (!settings.empty()) {
            if (console.progress) {
                Say(console.err, "checking what the devices announce now ...");
            }
            const std::chrono::duration<double> limit(*options.verifySeconds);
            const VerifyResult verified =
                VerifyAnnounced(settings, limit, network, VerboseNotes(console));
            for (std::size_t k = 0; k < acknowledged.size(); ++k) {
                const std::size_t i = acknowledged[k];
                if (verified.network) {
                    run.finish(i, RoadEnd::NotVerified,
                               "acknowledged the settings, which were not verified: " +
                                   verified.network->text(messages.texts()));
                    continue;
                }
                const Announced& announced = verified.devices[k];
                if (announced.verified()) {
                    run.finish(i, RoadEnd::Acknowledged, "configured and verified");
                } else if (!announced.answered) {
                    run.finish(
                        i, RoadEnd::NotVerified,
                        "acknowledged the settings but did not answer a search within " +
                            SecondsText(
                                std::chrono::duration_cast<std::chrono::milliseconds>(limit)));
                } else {
                    std::string differences;
                    for (const std::string& difference : announced.differences) {
                        differences += (differences.empty() ? "" : "; ") + difference;
                    }
                    run.finish(i, RoadEnd::NotVerified,
                               "acknowledged the settings but announces others: " + differences);
                }
            }
        }
    }
    return run.end();
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
