#include "cli/commands.h"

#include <cassert>
#include <cstdio>
#include <optional>
#include <thread>
#include <vector>

#include "cli/output.h"
#include "core/exchanges.h"
#include "platform/adapters.h"
#include "platform/trace.h"
#include "protocol/session.h"
#include "settings/keygen.h"
#include "settings/text_encoding.h"

namespace trv81k::cli {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

void say(std::ostream& stream, const std::string& text) {
    stream << kProgramName << ": " << text << '\n' << std::flush;
}

int report(Console& console, const Messages& messages, const Refusal& refusal) {
    console.err << refusal.line(messages) << '\n' << std::flush;
    return refusal.exitCode;
}

Refusal networkRefusal(std::string subject, std::string_view key) {
    Refusal refusal;
    refusal.exitCode = kExitNetwork;
    refusal.subject = std::move(subject);
    refusal.messageKey = std::string(key);
    return refusal;
}

std::string seconds(milliseconds duration) {
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%.3g s", static_cast<double>(duration.count()) / 1000);
    return text.data();
}

std::string millisecondsText(Clock::duration duration) {
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%.1f ms",
                  std::chrono::duration<double, std::milli>(duration).count());
    return text.data();
}

// One session of the tool: the adapter check, the channel, the receiver and the exchanges
// over them.
class Link {
public:
    Link(const NetworkConfig& network, Console& console)
        : network_(network),
          console_(console),
          session_(network.timing, {}, network.port, network.group),
          exchanges_(session_, network.timing, SleepingWait()) {}
    ~Link() { close(); }

    std::optional<Refusal> open(std::string_view purpose) {
        if (const AdapterChoice adapters = FindAdapters(); adapters.adapters.empty()) {
            Refusal refusal = networkRefusal(std::string(purpose), {});
            refusal.detail = adapters.problem;
            return refusal;
        }
        switch (session_.open()) {
            case NetworkPort::OpenResult::Open:
                break;
            case NetworkPort::OpenResult::SocketFailed:
                return networkRefusal(std::string(purpose), "SOCKET_FAIL");
            case NetworkPort::OpenResult::BindFailed:
                return networkRefusal(
                    std::string(purpose) + ": UDP port " + std::to_string(network_.port),
                    "BIND_FAIL");
        }
        if (console_.verbose) {
            say(console_.err, "adapters " + adapterList());
        }
        return std::nullopt;
    }

    // The adapters searched on: "lab0 (10.81.0.1), lab1 (10.82.0.1)".
    std::string adapterList() const {
        std::string text;
        for (const Adapter& adapter : session_.adapters()) {
            text += (text.empty() ? "" : ", ") + AdapterText(adapter);
        }
        return text;
    }

    // The search: the wizard's search dialog's exchange, ended as soon as `wanted` is stored;
    // or, with a `limit`, the answers collected for that long. Nothing when the request could
    // not be sent.
    std::optional<Refusal> search(std::optional<milliseconds> limit,
                                  const std::optional<MacAddress>& wanted) {
        const ExchangeState& state = session_.state();
        const auto sent = Clock::now();
        int seen = state.table.count();
        Clock::time_point lastStored = sent;
        // Looked at by the wait: notes when the table grew, and ends it once `wanted` is in.
        const auto until = [&] {
            const int count = state.table.count();
            if (count != seen) {
                seen = count;
                lastStored = Clock::now();
            }
            return wanted && state.table.find(*wanted).has_value();
        };
        const bool requested =
            limit ? exchanges_.searchFor(*limit, until) : exchanges_.search({}, until);
        if (!requested) {
            return networkRefusal("search request", "SOCKET_FAIL");
        }
        until();
        if (console_.verbose) {
            std::string line = "search: " + std::to_string(seen) + " device(s) stored";
            if (seen > 0) {
                line += ", the last " + millisecondsText(lastStored - sent) + " after the request";
            }
            say(console_.err, line + "; receiver handled " +
                                  std::to_string(session_.datagramsReceived()) + " datagram(s)");
        }
        return std::nullopt;
    }

    void close() {
        if (closed_) {
            return;
        }
        closed_ = true;
        if (console_.verbose) {
            say(console_.err, "receiver handled " + std::to_string(session_.datagramsReceived()) +
                                  " datagram(s) in all");
        }
        session_.close();
    }

    Exchanges& exchanges() { return exchanges_; }
    ExchangeState& state() { return session_.state(); }

private:
    const NetworkConfig& network_;
    Console& console_;
    NetworkSession session_;
    Exchanges exchanges_;
    bool closed_ = false;
};

// Searches again with fresh sessions (a session's table never refreshes an entry) until the
// device announces what was written or the time is up.
int verify(const ConfigureSettings& written, std::chrono::duration<double> limit,
           const NetworkConfig& network, Console& console, const Messages& messages) {
    const MacAddress mac = written.mac;
    const std::string who = "device " + formatMac(mac);
    const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(limit);
    std::optional<std::vector<std::string>> differences;
    while (Clock::now() < deadline) {
        Link link(network, console);
        if (auto refusal = link.open("verify")) {
            refusal->exitCode = kExitNotVerified;
            refusal->hint = "the device acknowledged the settings, they were not verified";
            return report(console, messages, *refusal);
        }
        const auto window = std::chrono::duration_cast<milliseconds>(
            std::min<Clock::duration>(deadline - Clock::now(), SearchDialogLength(network.timing)));
        if (auto refusal = link.search(window, mac)) {
            refusal->exitCode = kExitNotVerified;
            return report(console, messages, *refusal);
        }
        if (const auto index = link.state().table.find(mac)) {
            differences = CompareAnnounced(written, link.state().table.at(*index));
            if (differences->empty()) {
                console.out << formatMac(mac) << ": configured and verified\n" << std::flush;
                return kExitOk;
            }
        }
        link.close();
        const auto rest = deadline - Clock::now();
        if (rest > Clock::duration::zero()) {
            std::this_thread::sleep_for(std::min<Clock::duration>(rest, network.timing.searchTick));
        }
    }
    if (!differences) {
        say(console.err, who + ": acknowledged the settings but did not answer a search within " +
                             seconds(std::chrono::duration_cast<milliseconds>(limit)));
    } else {
        say(console.err, who + ": acknowledged the settings but does not announce them:");
        for (const std::string& line : *differences) {
            say(console.err, "  " + line);
        }
    }
    return kExitNotVerified;
}

}  // namespace

milliseconds ConfigureDialogLength(const Timing& timing) {
    return kConfigureTicks * timing.configureTick;
}

milliseconds SearchDialogLength(const Timing& timing) {
    return kSearchTicks * timing.searchTick;
}

int RunWepKey(int bits, const std::string& passphraseUtf8, Console& console,
              const Messages& messages) {
    Refusal refusal;
    refusal.subject = "PASSPHRASE";
    const std::optional<std::string> latin1 = Utf8ToLatin1(passphraseUtf8);
    if (!latin1) {
        refusal.detail = "has a character the device cannot store (only Latin-1, U+0000 to U+00FF)";
        return report(console, messages, refusal);
    }
    if (latin1->empty()) {
        refusal.detail = "must not be empty";
        return report(console, messages, refusal);
    }
    if (latin1->size() > 16) {
        refusal.messageKey = "INVALID_PASSPHRASE";
        return report(console, messages, refusal);
    }
    if (bits != 64 && bits != 128) {
        refusal.subject = "--bits " + std::to_string(bits);
        refusal.detail = "must be 64 or 128";
        return report(console, messages, refusal);
    }
    const std::string key = bits == 64 ? Wep64KeyText(*latin1) : Wep128KeyText(*latin1);
    if (key.empty()) {
        refusal.exitCode = kExitNetwork;  // not reached unless the crypto library lacks MD5
        refusal.detail = "the key could not be computed (no MD5 in the crypto library)";
        return report(console, messages, refusal);
    }
    console.out << key << '\n' << std::flush;
    return kExitOk;
}

int RunSearch(const SearchOptions& options, const NetworkConfig& network, Console& console,
              const Messages& messages) {
    Link link(network, console);
    if (auto refusal = link.open("search")) {
        return report(console, messages, *refusal);
    }
    if (console.progress) {
        say(console.err, "searching for " + seconds(options.timeout) + " ...");
    }
    if (auto refusal = link.search(options.timeout, std::nullopt)) {
        return report(console, messages, *refusal);
    }
    std::vector<DeviceInfo> devices;
    const ExchangeState& state = link.state();
    for (int i = 0; i < state.table.count(); ++i) {
        devices.push_back(state.table.at(i));
    }
    const std::string tried = link.adapterList();
    link.close();

    if (options.json) {
        console.out << SearchJson(devices, messages) << std::flush;
    } else if (!devices.empty()) {
        console.out << SearchTable(devices, messages) << std::flush;
    }
    if (devices.empty()) {
        say(console.err,
            "no TRV81K answered within " + seconds(options.timeout) + " on " + tried);
        return kExitNotFound;
    }
    return kExitOk;
}

int RunConfigure(const ConfigurePlan& plan, const std::string& loginPassword,
                 const NetworkConfig& network, Console& console, const Messages& messages) {
    const std::string who = "device " + formatMac(plan.mac);
    const Timing& timing = network.timing;
    std::optional<ConfigureSettings> written;
    {
        Link link(network, console);
        if (auto refusal = link.open("search")) {
            return report(console, messages, *refusal);
        }
        if (console.progress) {
            say(console.err, "searching for " + formatMac(plan.mac) + " ...");
        }
        if (auto refusal = link.search(std::nullopt, plan.mac)) {
            return report(console, messages, *refusal);
        }
        const std::optional<int> index = link.state().table.find(plan.mac);
        if (!index) {
            const int others = link.state().table.count();
            Refusal refusal;
            refusal.exitCode = kExitNotFound;
            refusal.subject = who;
            refusal.detail = "did not answer the search within " +
                             seconds(SearchDialogLength(timing)) + " on " + link.adapterList();
            if (others > 0) {
                refusal.hint = std::to_string(others) + " other device(s) did; see " +
                               std::string(kProgramName) + " search";
            }
            return report(console, messages, refusal);
        }
        const DeviceInfo* chosen = link.state().choose(*index);
        assert(chosen != nullptr);
        const DeviceInfo device = *chosen;

        // Login.
        if (!CheckNICState()) {
            return report(console, messages, networkRefusal("login", "INVALID_NIC"));
        }
        if (console.progress) {
            say(console.err, "logging in to " + PrintableLatin1(device.deviceNameText()) + " ...");
        }
        switch (link.exchanges().logIn(loginPassword)) {
            case Exchanges::Login::Accepted:
                break;
            case Exchanges::Login::NotSent:
                return report(console, messages,
                              networkRefusal("authentication request", "SOCKET_FAIL"));
            case Exchanges::Login::Refused:
            case Exchanges::Login::NoAnswer: {
                Refusal refusal;
                refusal.exitCode = kExitPassword;
                refusal.subject = who;
                refusal.messageKey = "PASSWORD_ERROR";
                return report(console, messages, refusal);
            }
        }
        if (console.verbose) {
            say(console.err, "login accepted");
        }

        // The settings, and the wireless path.
        std::optional<WirelessPath> path = WirelessFromOptions(plan);
        if (!path) {
            // The basic settings are checked before the pairing check goes out, as the wizard
            // leaves its basic settings page first.
            auto basic = BuildSettings(plan, device, WirelessPath::Pairing);
            if (auto* refusal = std::get_if<Refusal>(&basic)) {
                return report(console, messages, *refusal);
            }
            if (console.progress) {
                say(console.err, "asking whether pairing manages the wireless settings ...");
            }
            const Exchanges::Pairing check = link.exchanges().checkPairing();
            if (console.verbose) {
                say(console.err,
                    std::string("pairing check: ") +
                        (check == Exchanges::Pairing::Managed      ? "pairing control"
                         : check == Exchanges::Pairing::NotManaged ? "not under pairing control"
                                                                   : "no answer"));
            }
            auto decided = WirelessFromCheck(check, plan.mac);
            if (auto* refusal = std::get_if<Refusal>(&decided)) {
                return report(console, messages, *refusal);
            }
            path = std::get<WirelessPath>(decided);
        }
        auto built = BuildSettings(plan, device, *path);
        if (auto* refusal = std::get_if<Refusal>(&built)) {
            return report(console, messages, *refusal);
        }
        written = std::get<ConfigureSettings>(std::move(built));

        // Configure.
        if (!CheckNICState()) {
            return report(console, messages, networkRefusal("configure", "INVALID_NIC"));
        }
        if (console.progress) {
            say(console.err, "writing the settings (up to " +
                                 seconds(ConfigureDialogLength(timing) + timing.configureGrace) +
                                 ") ...");
        }
        const auto started = Clock::now();
        const Exchanges::ConfigureReport result = link.exchanges().configure(&*written);
        if (console.verbose) {
            say(console.err, std::string(result.outcome == Exchanges::Configure::Acknowledged
                                             ? "configure: acknowledged, "
                                             : "configure: no acknowledgement, ") +
                                 millisecondsText(Clock::now() - started) + " after the first of " +
                                 std::to_string(result.requestsSent) + " request(s)");
        }
        if (result.requestsSent == 0) {
            return report(console, messages, networkRefusal("configure request", "SOCKET_FAIL"));
        }
        if (result.outcome != Exchanges::Configure::Acknowledged) {
            Refusal refusal;
            refusal.exitCode = kExitNoAck;
            refusal.subject = who;
            refusal.messageKey = "CONFIGURE_FAIL";
            return report(console, messages, refusal);
        }
    }

    if (plan.verifySeconds) {
        if (console.progress) {
            say(console.err, "checking what the device announces now ...");
        }
        return verify(*written, std::chrono::duration<double>(*plan.verifySeconds), network,
                      console, messages);
    }
    console.out << formatMac(plan.mac) << ": configured\n" << std::flush;
    return kExitOk;
}

}  // namespace trv81k::cli
