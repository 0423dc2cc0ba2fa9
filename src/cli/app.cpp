#include "cli/app.h"

#include <CLI/CLI.hpp>
#include <array>
#include <memory>

#include "cli/command.h"

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

}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           const Environment& environment) {
    std::string interface;
    double timingScale = 1.0;
    bool verbose = false;
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
        app.add_option("--interface", interface,
                       "the one adapter to use, by name or IPv4 address (default: every adapter "
                       "that is up with an IPv4 address and multicast, loopback excluded)")
            ->type_name("NAME|ADDR");
    app.add_flag("--verbose", verbose,
                 "tell on standard error what the exchanges did, with the number of datagrams "
                 "the receiver handled");
    // For the end-to-end tests only: every duration of the exchanges multiplied.
    app.add_option("--timing-scale", timingScale)
        ->check(NumberCheck(0.001, 100.0, false))
        ->group("");

    const std::array<std::unique_ptr<Command>, 5> commands{
        MakeWepKeyCommand(), MakeSearchCommand(), MakeDiagnoseCommand(), MakeConfigureCommand(),
        MakeApplyCommand()};
    std::array<CLI::App*, commands.size()> subcommands{};
    for (std::size_t i = 0; i < commands.size(); ++i) {
        subcommands[i] = commands[i]->add(app);
    }

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
    Console console{out, err, environment.stderrIsTerminal, verbose};
    if (verbose) {
        err << kProgramName << ": texts from "
            << (messages.source().empty() ? std::string("the compiled-in copy")
                                          : messages.source().string())
            << '\n';
    }
    Context context{environment, NetworkConfig{}, console, messages};
    if (timingScale != 1.0) {
        context.network.timing = Timing{}.scaled(timingScale);
    }
    for (std::size_t i = 0; i < commands.size(); ++i) {
        if (!subcommands[i]->parsed()) {
            continue;
        }
        if (commands[i]->usesNetwork() && interfaceOption->count() > 0) {
            if (auto refusal = ChooseInterface(interface)) {
                return Report(console, messages, *refusal);
            }
        }
        return commands[i]->run(context);
    }
    return kExitUsage;  // not reached: the parser requires a command
}

}  // namespace trv81k::cli
