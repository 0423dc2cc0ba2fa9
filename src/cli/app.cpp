#include "cli/app.h"

#include <CLI/CLI.hpp>
#include <cmath>

#include "cli/commands.h"
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
    "one of them, as the setup wizard does. Requests go to the multicast group 234.2.2.2,\n"
    "UDP port 14675.";

constexpr char kFooter[] =
    "Exit codes:\n"
    "  0  done (search: one or more devices found; configure: the device acknowledged)\n"
    "  1  the network cannot be used: no adapter with an address, the socket or the port\n"
    "     could not be opened\n"
    "  2  bad arguments or values; nothing was written\n"
    "  3  no device answered the search (configure: the named device did not)\n"
    "  4  the device did not accept the password\n"
    "  5  the device did not acknowledge the settings\n"
    "  6  --verify: the device does not announce the new settings\n"
    "\n"
    "The password of configure comes from --password, --password-file FILE (\"-\" for\n"
    "standard input; the first line), the environment variable TRV81K_PASSWORD, or a\n"
    "prompt without echo when standard input is a terminal, in this order.\n"
    "Messages come from Language.ini (English section) in the current directory, beside\n"
    "the program, or in <program folder>/../share/trv81k/.";

constexpr char kConfigureDescription[] =
    "Searches for the device, logs in and writes the settings. Settings the options leave\n"
    "out keep the device's current values. With any wireless option (--ssid, --channel,\n"
    "--net-mode, --security, --key, --passphrase) the wireless settings are written; with\n"
    "--pairing they are left to the device's push-button pairing; with neither the device\n"
    "is asked whether pairing manages them, and a device that says no is refused.";

struct ParsedOptions {
    std::string interface;
    double timingScale = 1.0;
    bool verbose = false;

    int bits = 0;
    std::string passphrase;

    double timeoutSeconds = 3.0;
    bool json = false;

    ConfigureOptions configure;
    std::string password;
    std::string passwordFile;
    std::string ip, netmask, gateway, name, newPassword, ssid, netMode, security, key, phrase;
    int channel = 0;
    double verifySeconds = 0;
};

template <typename T>
std::optional<T> given(const CLI::Option* option, const T& value) {
    return option->count() > 0 ? std::optional<T>(value) : std::nullopt;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           const Environment& environment) {
    ParsedOptions o;
    CLI::App app{kDescription, kProgramName};
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
    app.add_option("--timing-scale", o.timingScale)->check(CLI::Range(0.001, 100.0))->group("");

    CLI::App* wepKey = app.add_subcommand(
        "wep-key", "print the WEP key that the wizard derives from a passphrase");
    wepKey->add_option("--bits", o.bits, "64 (key 1, 10 hexadecimal digits) or 128 (26 digits)")
        ->required()
        ->type_name("64|128")
        ->check(CLI::IsMember({64, 128}));
    wepKey->add_option("PASSPHRASE", o.passphrase, "1 to 16 characters")->required();

    CLI::App* search = app.add_subcommand("search", "list the TRV81K devices that answer");
    search->add_option("--timeout", o.timeoutSeconds, "seconds to collect answers (default 3)")
        ->type_name("SECONDS")
        ->check(CLI::Range(0.001, 3600.0));
    search->add_flag("--json", o.json,
                     "a JSON array of objects with name, mac, ipMode, ip, netmask, gateway, ssid, "
                     "channel, security, securityText, networkMode, firmware");

    CLI::App* conf =
        app.add_subcommand("configure", "search for one device, log in and write its settings");
    conf->footer(kConfigureDescription);
    ConfigureOptions& c = o.configure;
    conf->add_option("--device", c.device, "hardware address of the device, 00-11-22-33-44-55")
        ->required()
        ->type_name("MAC");
    CLI::Option* passwordOption = conf->add_option("--password", o.password,
                                                   "the device password (visible to other users "
                                                   "in the process list; prefer the others)")
                                      ->type_name("PW");
    CLI::Option* passwordFileOption =
        conf->add_option("--password-file", o.passwordFile,
                         "read the password from the first line of FILE (\"-\": "
                         "standard input)")
            ->type_name("FILE|-");
    passwordOption->excludes(passwordFileOption);
    CLI::Option* dhcp = conf->add_flag("--dhcp", c.dhcp, "the device takes its address by DHCP");
    CLI::Option* staticIp = conf->add_flag("--static", c.staticIp, "a static address");
    dhcp->excludes(staticIp);
    CLI::Option* ip = conf->add_option("--ip", o.ip, "static address (default: the current one)")
                          ->type_name("A")
                          ->needs(staticIp);
    CLI::Option* netmask =
        conf->add_option("--netmask", o.netmask, "static netmask (default: the current one)")
            ->type_name("M")
            ->needs(staticIp);
    CLI::Option* gateway =
        conf->add_option("--gateway", o.gateway,
                         "static gateway; \"\" or 0.0.0.0 for none (default: the current one)")
            ->type_name("G")
            ->needs(staticIp);
    CLI::Option* name =
        conf->add_option("--name", o.name, "device name, up to 32 characters")->type_name("NAME");
    CLI::Option* newPassword =
        conf->add_option("--new-password", o.newPassword, "new device password, 4 to 16 characters")
            ->type_name("P");
    CLI::Option* ssid =
        conf->add_option("--ssid", o.ssid, "network name, 1 to 32 characters")->type_name("S");
    CLI::Option* channel =
        conf->add_option("--channel", o.channel, "channel 1 to 13")->type_name("N");
    CLI::Option* netMode = conf->add_option("--net-mode", o.netMode, "mixed, g-only or b-only")
                               ->type_name("MODE")
                               ->check(CLI::IsMember({"mixed", "g-only", "b-only"}));
    CLI::Option* security =
        conf->add_option("--security", o.security,
                         "disabled, wep64, wep128, wpa-tkip, wpa-aes, wpa2 or wpa2-mixed")
            ->type_name("LEVEL")
            ->check(CLI::IsMember(
                {"disabled", "wep64", "wep128", "wpa-tkip", "wpa-aes", "wpa2", "wpa2-mixed"}));
    CLI::Option* key =
        conf->add_option("--key", o.key,
                         "WEP key (10 or 26 hexadecimal digits) or WPA pre-shared key (8 to 63 "
                         "characters, or 64 hexadecimal digits)")
            ->type_name("K");
    CLI::Option* phrase = conf->add_option("--passphrase", o.phrase,
                                           "WEP: the key is derived from it (1 to 16 characters); "
                                           "WPA: it is the pre-shared key")
                              ->type_name("P");
    key->excludes(phrase);
    CLI::Option* pairing = conf->add_flag(
        "--pairing", c.pairing, "leave the wireless settings to the device's push-button pairing");
    for (CLI::Option* wireless : {ssid, channel, netMode, security, key, phrase}) {
        pairing->excludes(wireless);
    }
    CLI::Option* verifyOption =
        conf->add_option("--verify", o.verifySeconds,
                         "after the acknowledgement, search again for up to SECONDS and check "
                         "that the device announces the new settings")
            ->type_name("SECONDS")
            ->check(CLI::Range(0.001, 3600.0));

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
            refusal.detail = "is neither an adapter's name such as eth0 nor an IPv4 address";
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
        options.json = o.json;
        return RunSearch(options, network, console, messages);
    }

    c.ip = given(ip, o.ip);
    c.netmask = given(netmask, o.netmask);
    c.gateway = given(gateway, o.gateway);
    c.name = given(name, o.name);
    c.newPassword = given(newPassword, o.newPassword);
    c.ssid = given(ssid, o.ssid);
    c.channel = given(channel, o.channel);
    c.netMode = given(netMode, o.netMode);
    c.security = given(security, o.security);
    c.key = given(key, o.key);
    c.passphrase = given(phrase, o.phrase);
    c.verifySeconds = given(verifyOption, o.verifySeconds);
    auto checked = CheckConfigureOptions(c);
    if (auto* refusal = std::get_if<Refusal>(&checked)) {
        err << refusal->line(messages) << '\n';
        return refusal->exitCode;
    }
    const ConfigurePlan& plan = std::get<ConfigurePlan>(checked);

    PasswordInputs inputs;
    inputs.option = given(passwordOption, o.password);
    inputs.file = given(passwordFileOption, o.passwordFile);
    if (environment.getenv) {
        inputs.environment = environment.getenv(kPasswordVariable);
    }
    inputs.stdinFd = environment.stdinFd;
    inputs.stdinIsTerminal = environment.stdinIsTerminal;
    const std::string promptText = "Password of " + formatMac(plan.mac) + ": ";
    inputs.prompt = [&]() -> std::optional<std::string> {
        if (environment.prompt) {
            return environment.prompt(promptText);
        }
        return PromptWithoutEcho(environment.stdinFd, 2, promptText);
    };
    auto password = ResolvePassword(inputs);
    if (auto* refusal = std::get_if<Refusal>(&password)) {
        err << refusal->line(messages) << '\n';
        return refusal->exitCode;
    }
    return RunConfigure(plan, std::get<Password>(password).latin1, network, console, messages);
}

}  // namespace trv81k::cli
