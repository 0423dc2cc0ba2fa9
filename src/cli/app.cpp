#include "cli/app.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cmath>
#include <deque>

#include "cli/apply.h"
#include "cli/commands.h"
#include "cli/diagnose.h"
#include "cli/messages.h"
#include "cli/options.h"
#include "cli/password.h"
#include "platform/adapters.h"

#ifndef TRV81K_VERSION
#define TRV81K_VERSION "unknown"
#endif

namespace trv81k::cli {
namespace {

constexpr char kDescription[] =
    "Finds TRV81K access points on the local network and writes a new configuration into\n"
    "one of them (configure) or many (apply), as the setup wizard does. Requests go to the\n"
    "multicast group 234.2.2.2, UDP port 14675.";

constexpr char kFooter[] =
    "Exit codes:\n"
    "  0  done (search: one or more devices found; configure: the device acknowledged;\n"
    "     apply: every device done)\n"
    "  1  the network cannot be used: no adapter with an address, the socket or the port\n"
    "     could not be opened\n"
    "  2  bad arguments or values; nothing was written\n"
    "  3  no device answered the search (configure: the named device did not; apply: none\n"
    "     of the file's devices did)\n"
    "  4  the device did not accept the password\n"
    "  5  the device did not acknowledge the settings\n"
    "  6  --verify: the device does not announce the new settings\n"
    "  7  apply: some devices are not done (each one's line says why)\n"
    "\n"
    "The password of configure comes from --password, --password-file FILE (\"-\" for\n"
    "standard input; the first line), the environment variable TRV81K_PASSWORD, or a\n"
    "prompt without echo when standard input is a terminal, in this order. The new\n"
    "password, the key and the passphrase come from --new-password, --key, --passphrase,\n"
    "from --new-password-file, --key-file, --passphrase-file (the first line; \"-\" for\n"
    "standard input), or from TRV81K_NEW_PASSWORD, TRV81K_KEY, TRV81K_PASSPHRASE when no\n"
    "option decides them.\n"
    "Messages come from Language.ini (English section) in the current directory, beside\n"
    "the program, or in <program folder>/../share/trv81k/.";

constexpr char kSearchDescription[] =
    "The search ends once no new device has answered for 0.4 s after the last new one (longer\n"
    "when the first answer took longer to come); with --expect N once N devices are in\n"
    "instead; at the latest after --timeout.";

constexpr char kDiagnoseDescription[] =
    "Findings per adapter: no-carrier (up without link), no-multicast, firewall (this\n"
    "computer drops UDP port 14675: a search request sent with multicast loopback did not\n"
    "come back to the receiver), port-in-use (another program holds the port), \n"
    "foreign-datagrams (datagrams on the port that were no TRV81K's answers), no-answer\n"
    "(everything looks right, no device answered), ok (devices answered). A search that\n"
    "finds nothing prints the same findings on standard error. Exit 0 when devices\n"
    "answered, 3 when none did.";

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

constexpr char kConfigureDescription[] =
    "Searches for the device, logs in and writes the settings. Settings the options leave\n"
    "out keep the device's current values. With any wireless option (--ssid, --channel,\n"
    "--net-mode, --security, --key, --passphrase) the wireless settings are written; with\n"
    "--pairing they are left to the device's push-button pairing; with neither the device\n"
    "is asked whether pairing manages them, and a device that says no is refused.\n"
    "--device takes the device's hardware address or its name; a name must belong to one\n"
    "device only (the search then waits until no new device has answered for 0.4 s, so a\n"
    "second device of that name is not missed).";

struct ParsedOptions {
    std::string interface;
    double timingScale = 1.0;
    bool verbose = false;

    int bits = 0;
    std::string passphrase;

    double timeoutSeconds = 3.0;
    int expect = 0;
    bool json = false;

    double verifySeconds = 0;

    std::string applyFile;
    bool check = false;
    int parallel = kApplyParallel;
};

// A number option's check, before the parser converts the text: the parser itself would take
// NaN, turn "" into 0 and wrap 2^64-1 around to -1.
CLI::Validator NumberCheck(double low, double high, bool whole) {
    return CLI::Validator(
        [=](std::string& text) { return NumberProblem(text, low, high, whole).value_or(""); }, "");
}

template <typename T>
std::optional<T> given(const CLI::Option* option, const T& value) {
    return option->count() > 0 ? std::optional<T>(value) : std::nullopt;
}

// Options of the table on a command: each parses into a value of its own, which store() moves
// into a ConfigureOptions once the command line is parsed.
class TableOptions {
public:
    // The rows named in `only` (every row when empty), then their conflicts and companions.
    void addTo(CLI::App& command, std::initializer_list<std::string_view> only = {}) {
        for (const ConfigureOption& row : ConfigureOptionTable()) {
            if (only.size() > 0 && std::find(only.begin(), only.end(), row.name) == only.end()) {
                continue;
            }
            Bound& b = bound_.emplace_back();
            b.row = &row;
            const std::string name = "--" + std::string(row.name);
            const std::string help(row.help);
            switch (row.kind) {
                case OptionKind::Flag:
                    b.option = command.add_flag(name, b.flag, help);
                    break;
                case OptionKind::Text:
                    b.option = command.add_option(name, b.text, help);
                    break;
                case OptionKind::Number:
                    b.option = command.add_option(name, b.number, help)
                                   ->check(NumberCheck(row.low, row.high, true));
                    break;
            }
            if (!row.typeName.empty()) {
                b.option->type_name(std::string(row.typeName));
            }
        }
        for (const OptionConflict& conflict : ConfigureConflicts()) {
            CLI::Option* first = find(conflict.first);
            CLI::Option* second = find(conflict.second);
            if (first != nullptr && second != nullptr) {
                first->excludes(second);
            }
        }
        for (const Bound& b : bound_) {
            if (CLI::Option* needed = b.row->needs.empty() ? nullptr : find(b.row->needs)) {
                b.option->needs(needed);
            }
        }
    }

    CLI::Option* find(std::string_view name) const {
        for (const Bound& b : bound_) {
            if (b.row->name == name) {
                return b.option;
            }
        }
        return nullptr;
    }

    void store(ConfigureOptions& options) const {
        for (const Bound& b : bound_) {
            if (b.option->count() == 0) {
                continue;
            }
            switch (b.row->kind) {
                case OptionKind::Flag:
                    options.*(b.row->flag) = b.flag;
                    break;
                case OptionKind::Text:
                    options.*(b.row->text) = b.text;
                    break;
                case OptionKind::Number:
                    options.*(b.row->number) = b.number;
                    break;
            }
        }
    }

private:
    struct Bound {
        const ConfigureOption* row = nullptr;
        CLI::Option* option = nullptr;
        bool flag = false;
        std::string text;
        int number = 0;
    };
    std::deque<Bound> bound_;  // the parser keeps pointers into it
};

// The refusal, with where a secret came from when it is about one that did not come from its
// option on the command line.
Refusal withOrigin(Refusal refusal, const SecretOrigins& origins) {
    for (const auto& [name, origin] : origins) {
        if (refusal.field == name && refusal.hint.empty()) {
            refusal.hint = "the value came from " + origin;
        }
    }
    return refusal;
}

// The device password from the option, its file, the environment or a prompt, in that order.
std::variant<Password, Refusal> ResolveDevicePassword(const ConfigureOptions& given,
                                                      const Environment& environment,
                                                      const std::string& promptText) {
    PasswordInputs inputs;
    inputs.option = given.password;
    inputs.file = given.passwordFile;
    if (environment.getenv) {
        inputs.environment = environment.getenv(kPasswordVariable);
    }
    inputs.stdinFd = environment.stdinFd;
    inputs.stdinIsTerminal = environment.stdinIsTerminal;
    inputs.prompt = [&]() -> std::optional<std::string> {
        if (environment.prompt) {
            return environment.prompt(promptText);
        }
        return PromptWithoutEcho(environment.stdinFd, 2, promptText);
    };
    return ResolvePassword(inputs);
}

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

int RunApplyCommand(const std::string& file, const TableOptions& passwordOptions,
                    std::optional<double> verifySeconds, bool json, bool check, int parallel,
                    const Environment& environment, const NetworkConfig& network, Console& console,
                    const Messages& messages) {
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
    options.verifySeconds = verifySeconds;
    options.json = json;
    options.parallel = parallel;
    options.check = check;
    if (check) {
        return RunApply(options, network, console, messages);  // no login: no password
    }
    ConfigureOptions given;
    passwordOptions.store(given);
    auto password = DevicesPassword(given, options.entries, environment);
    if (auto* refusal = std::get_if<Refusal>(&password)) {
        return Report(console, messages, *refusal);
    }
    options.password = std::get<Password>(std::move(password)).latin1;
    return RunApply(options, network, console, messages);
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           const Environment& environment) {
    ParsedOptions o;
    CLI::App app{kDescription, kProgramName};
    // One command line on every system: "/x" is a path, never an option (CLI11's default on
    // Windows would read it as one).
    app.allow_windows_style_options(false);
    app.set_version_flag("--version", std::string(kProgramName) + " " + TRV81K_VERSION);
    app.footer(kFooter);
    app.require_subcommand(1);
    app.failure_message([](const CLI::App*, const CLI::Error& e) {
        return std::string(kProgramName) + ": " + e.what() + " (see --help)\n";
    });
    CLI::Option* interfaceOption =
        app.add_option("--interface", o.interface,
                       "the one adapter to use, by name or IPv4 address (default: every adapter "
                       "that is up with an IPv4 address and multicast, loopback excluded)")
            ->type_name("NAME|ADDR");
    app.add_flag("--verbose", o.verbose,
                 "tell on standard error what the exchanges did, with the number of datagrams "
                 "the receiver handled");
    // For the end-to-end tests only: every duration of the exchanges multiplied.
    app.add_option("--timing-scale", o.timingScale)
        ->check(NumberCheck(0.001, 100.0, false))
        ->group("");

    CLI::App* wepKey = app.add_subcommand(
        "wep-key", "print the WEP key that the wizard derives from a passphrase");
    wepKey->add_option("--bits", o.bits, "64 (key 1, 10 hexadecimal digits) or 128 (26 digits)")
        ->required()
        ->type_name("64|128")
        ->check(NumberCheck(64, 128, true))
        ->check(CLI::IsMember({64, 128}));
    wepKey->add_option("PASSPHRASE", o.passphrase, "1 to 16 characters")->required();

    CLI::App* search = app.add_subcommand("search", "list the TRV81K devices that answer");
    search->footer(kSearchDescription);
    search
        ->add_option("--timeout", o.timeoutSeconds,
                     "the longest the answers are waited for (default 3)")
        ->type_name("SECONDS")
        ->check(NumberCheck(0.001, 3600.0, false));
    CLI::Option* expectOption =
        search
            ->add_option("--expect", o.expect,
                         "end as soon as N devices have answered (and not before)")
            ->type_name("N")
            ->check(NumberCheck(1, static_cast<int>(kMaxDevices), true));
    search->add_flag("--json", o.json,
                     "a JSON array of objects with name, mac, ipMode, ip, netmask, gateway, ssid, "
                     "channel, security, securityText, networkMode, firmware, adapter (name, "
                     "address)");

    CLI::App* diagnose = app.add_subcommand(
        "diagnose", "search, then tell for each adapter why nothing answered (or that it did)");
    diagnose->footer(kDiagnoseDescription);
    diagnose
        ->add_option("--timeout", o.timeoutSeconds,
                     "the longest the answers are waited for (default 3)")
        ->type_name("SECONDS")
        ->check(NumberCheck(0.001, 3600.0, false));
    diagnose->add_flag("--json", o.json,
                       "JSON: {\"adapters\": [{\"name\", \"address\", \"findings\", "
                       "\"detail\"}], \"devices\": [as search --json]}");

    CLI::App* conf =
        app.add_subcommand("configure", "search for one device, log in and write its settings");
    conf->footer(kConfigureDescription);
    TableOptions configureOptions;
    configureOptions.addTo(*conf);
    configureOptions.find("device")->required();
    CLI::Option* verifyOption =
        conf->add_option("--verify", o.verifySeconds,
                         "after the acknowledgement, search again for up to SECONDS and check "
                         "that the device announces the new settings")
            ->type_name("SECONDS")
            ->check(NumberCheck(0.001, 3600.0, false));

    CLI::App* apply = app.add_subcommand(
        "apply", "configure the devices a JSON file lists, all of them in one run");
    apply->footer(kApplyDescription);
    apply
        ->add_option("FILE", o.applyFile,
                     "the JSON file: {\"devices\": [...], \"defaults\": {...}}")
        ->required()
        ->type_name("FILE");
    TableOptions applyPassword;
    applyPassword.addTo(*apply, {"password", "password-file"});
    CLI::Option* applyVerify =
        apply
            ->add_option("--verify", o.verifySeconds,
                         "after the acknowledgements, search again for up to SECONDS and check "
                         "that every device announces its new settings")
            ->type_name("SECONDS")
            ->check(NumberCheck(0.001, 3600.0, false));
    apply->add_flag("--json", o.json,
                    "a JSON array at the end instead of the lines: entry, device, name, adapter "
                    "(name, address), result, reason, seconds");
    CLI::Option* checkOption =
        apply->add_flag("--check", o.check,
                        "check every entry and search, then print what would change on each device "
                        "(current -> new value, secrets masked); logs in nowhere, writes nothing");
    checkOption->excludes(applyVerify);
    // For tests: how many devices are on their road at once (0: all).
    apply->add_option("--parallel", o.parallel)->check(NumberCheck(0, 32, true))->group("");

    std::vector<const char*> argv;
    argv.reserve(args.size());
    for (const std::string& arg : args) {
        argv.push_back(arg.c_str());
    }
    try {
        app.parse(static_cast<int>(argv.size()), argv.data());
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e, out, err);
        return code == 0 ? kExitOk : kExitUsage;
    }

    const Messages messages = Messages::Load(LanguageFileCandidates(environment.exeDir));
    Console console{out, err, environment.stderrIsTerminal, o.verbose};
    if (o.verbose) {
        err << kProgramName << ": texts from "
            << (messages.source().empty() ? std::string("the compiled-in copy")
                                          : messages.source().string())
            << '\n';
    }

    if (wepKey->parsed()) {
        return RunWepKey(o.bits, o.passphrase, console, messages);
    }

    if (interfaceOption->count() > 0) {
        // The adapter named must be there now: a name or an address no adapter has is refused
        // with the adapters there are.
        Refusal refusal;
        refusal.subject = "--interface " + o.interface;
        if (!SetInterfaceChoice(o.interface)) {
            refusal.detail = "is neither an adapter's name nor an IPv4 address";
        } else if (const AdapterChoice chosen = FindAdapters(); chosen.adapters.empty()) {
            refusal.detail = chosen.problem;
        }
        if (!refusal.detail.empty()) {
            err << refusal.line(messages) << '\n';
            return refusal.exitCode;
        }
    }
    NetworkConfig network;
    if (o.timingScale != 1.0) {
        network.timing = Timing{}.scaled(o.timingScale);
    }

    if (search->parsed()) {
        SearchOptions options;
        options.timeout = std::chrono::milliseconds(std::llround(o.timeoutSeconds * 1000));
        options.expect = given(expectOption, o.expect);
        options.json = o.json;
        return RunSearch(options, network, console, messages);
    }

    if (diagnose->parsed()) {
        DiagnoseOptions options;
        options.timeout = std::chrono::milliseconds(std::llround(o.timeoutSeconds * 1000));
        options.json = o.json;
        return RunDiagnose(options, network, console, messages);
    }

    if (apply->parsed()) {
        return RunApplyCommand(o.applyFile, applyPassword, given(applyVerify, o.verifySeconds),
                               o.json, o.check, o.parallel, environment, network, console,
                               messages);
    }

    ConfigureOptions c;
    configureOptions.store(c);
    c.verifySeconds = given(verifyOption, o.verifySeconds);
    if (auto refusal = CheckConflicts(c)) {
        err << refusal->line(messages) << '\n';
        return refusal->exitCode;
    }
    SecretContext secrets;
    secrets.stdinFd = environment.stdinFd;
    secrets.getenv = environment.getenv;
    auto origins = ReadSecrets(c, secrets);
    if (auto* refusal = std::get_if<Refusal>(&origins)) {
        err << refusal->line(messages) << '\n';
        return refusal->exitCode;
    }
    auto checked = CheckConfigureOptions(c);
    if (auto* refusal = std::get_if<Refusal>(&checked)) {
        err << withOrigin(*refusal, std::get<SecretOrigins>(origins)).line(messages) << '\n';
        return refusal->exitCode;
    }
    const ConfigurePlan& plan = std::get<ConfigurePlan>(checked);

    auto password =
        ResolveDevicePassword(c, environment, "Password of " + plan.device.text() + ": ");
    if (auto* refusal = std::get_if<Refusal>(&password)) {
        err << refusal->line(messages) << '\n';
        return refusal->exitCode;
    }
    return RunConfigure(plan, std::get<Password>(password).latin1, network, console, messages);
}

}  // namespace trv81k::cli
