#include "cli/commands.h"

#include <cassert>
#include <cstdio>
#include <optional>
#include <thread>
#include <vector>

#include "cli/output.h"
#include "platform/adapters.h"
#include "platform/trace.h"
#include "protocol/session.h"
#include "settings/keygen.h"
#include "settings/text_encoding.h"

namespace trv81k::cli {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr int kSearchTicks = 12;
constexpr int kConfigureTicks = 12;
constexpr int kRepeatEvery = 3;  // the configure request goes out again at ticks 0, 3, 6, 9
constexpr int kRepeats = 4;
constexpr int kPairingChecks = 3;
// How often the waits look at the flags: fine enough to time the arrival of answers, and
// rare enough to cost next to no CPU.
constexpr milliseconds kPoll{5};

constexpr char kPairingNotAnswered[] = "PAGE_SECURE_1_CONFIGURE_WIRELESS: bGetCheckBPSAck == false";
constexpr char kPairingAnswered[] = "PAGE_SECURE_1_CONFIGURE_WIRELESS: bGetCheckBPSAck == true";

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

// Polls `done` until it holds or `until` passes; true when it held.
template <typename Predicate>
bool waitUntil(Clock::time_point until, Predicate done) {
    for (;;) {
        if (done()) {
            return true;
        }
        const auto now = Clock::now();
        if (now >= until) {
            return false;
        }
        std::this_thread::sleep_for(std::min<Clock::duration>(kPoll, until - now));
    }
}

// The index of the stored entry with this hardware address.
std::optional<int> findDevice(const ExchangeState& state, const MacAddress& mac) {
    const int count = state.table.count();
    for (int i = 0; i < count; ++i) {
        if (state.table.at(i).macAddress == mac) {
            return i;
        }
    }
    return std::nullopt;
}

// One session of the tool: the adapter check, the channel and the receiver.
class Link {
public:
    Link(const NetworkConfig& network, Console& console)
        : network_(network), console_(console), session_(network.timing) {}
    ~Link() { close(); }

    std::optional<Refusal> open(std::string_view purpose) {
        if (!CheckNICState()) {
            return networkRefusal(std::string(purpose), "INVALID_NIC");
        }
        switch (session_.open(network_.port, network_.group)) {
            case NetworkSession::OpenResult::Open:
                break;
            case NetworkSession::OpenResult::SocketFailed:
                return networkRefusal(std::string(purpose), "SOCKET_FAIL");
            case NetworkSession::OpenResult::BindFailed:
                return networkRefusal(
                    std::string(purpose) + ": UDP port " + std::to_string(network_.port),
                    "BIND_FAIL");
        }
        if (console_.verbose) {
            say(console_.err, "adapter " + session_.localIPText() + ", interface address " +
                                  formatIpv4(session_.state().localIP()));
        }
        return std::nullopt;
    }

    // The search exchange: clear bGetSearchAck, one request, the answers collected until
    // `until`, or until `wanted` is stored. Nothing when the request could not be sent.
    std::optional<Refusal> search(Clock::duration limit, const std::optional<MacAddress>& wanted) {
        ExchangeState& state = session_.state();
        state.bGetSearchAck.store(false, std::memory_order_release);
        const auto sent = Clock::now();
        if (!session_.sendPacket(PacketKind::Search, wizard_)) {
            return networkRefusal("search request", "SOCKET_FAIL");
        }
        int seen = state.table.count();
        Clock::time_point lastStored = sent;
        waitUntil(sent + limit, [&] {
            const int count = state.table.count();
            if (count != seen) {
                seen = count;
                lastStored = Clock::now();
            }
            return wanted && findDevice(state, *wanted);
        });
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

    NetworkSession& session() { return session_; }
    ExchangeState& state() { return session_.state(); }

private:
    const NetworkConfig& network_;
    Console& console_;
    NetworkSession session_;
    WizardState wizard_;  // the search request carries nothing of it
    bool closed_ = false;
};

// The login dialog's attempt: clear bAuthOK, one authentication request, wait the login pause
// (ended early once the answer is in), then bAuthOK decides.
bool logIn(Link& link, const WizardState& wizard, const Timing& timing) {
    ExchangeState& state = link.state();
    state.bAuthOK.store(false, std::memory_order_release);
    state.bGetAuthAck.store(false, std::memory_order_release);
    if (!link.session().sendPacket(PacketKind::Authentication, wizard)) {
        return false;
    }
    waitUntil(Clock::now() + timing.loginPause,
              [&] { return state.bGetAuthAck.load(std::memory_order_acquire); });
    return state.bAuthOK.load(std::memory_order_acquire);
}

// The pairing page's Next: up to three checks, each followed by the pairing pause.
PairingCheck checkPairing(Link& link, const WizardState& wizard, const Timing& timing) {
    ExchangeState& state = link.state();
    state.bGetCheckBPSAck.store(false, std::memory_order_release);
    state.bBPSActive.store(false, std::memory_order_release);
    bool answered = false;
    for (int attempt = 0; attempt < kPairingChecks && !answered; ++attempt) {
        Trace(kPairingNotAnswered);
        link.session().sendPacket(PacketKind::CheckBPS, wizard);
        std::this_thread::sleep_for(timing.pairingPause);
        if (state.bGetCheckBPSAck.load(std::memory_order_acquire)) {
            Trace(kPairingAnswered);
            answered = true;
        }
    }
    if (!answered) {
        return PairingCheck::NoAnswer;
    }
    return state.bBPSActive.load(std::memory_order_acquire) ? PairingCheck::PairingManaged
                                                            : PairingCheck::NotManaged;
}

// The configure step: the request at once, again on the configure dialog's schedule until the
// acknowledgement is in; after the dialog's time the grace pause for a late one.
bool configure(Link& link, const WizardState& wizard, const Timing& timing, Console& console) {
    ExchangeState& state = link.state();
    const auto acknowledged = [&] {
        return state.bGetConfigureAck.load(std::memory_order_acquire);
    };
    state.bGetConfigureAck.store(false, std::memory_order_release);
    const auto started = Clock::now();
    link.session().sendPacket(PacketKind::Configure, wizard);
    int sent = 1;
    const auto dialogOpened = Clock::now();
    bool done = false;
    for (const milliseconds repeat : ConfigureRepeats(timing)) {
        done = waitUntil(dialogOpened + repeat, acknowledged);
        if (done) {
            break;
        }
        link.session().sendPacket(PacketKind::Configure, wizard);
        ++sent;
    }
    if (!done) {
        done = waitUntil(dialogOpened + ConfigureDialogLength(timing), acknowledged) ||
               waitUntil(Clock::now() + timing.configureGrace, acknowledged);
    }
    if (console.verbose) {
        say(console.err, std::string(done ? "configure: acknowledged "
                                          : "configure: no "
                                            "acknowledgement ") +
                             millisecondsText(Clock::now() - started) + " after the first of " +
                             std::to_string(sent) + " request(s)");
    }
    return done;
}

// Searches again with fresh sessions (a session's table never refreshes an entry) until the
// device announces what was written or the time is up.
int verify(const WizardState& written, std::chrono::duration<double> limit,
           const NetworkConfig& network, Console& console, const Messages& messages) {
    const MacAddress mac = written.currentDevice.macAddress;
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
        const auto window =
            std::min<Clock::duration>(deadline - Clock::now(), SearchDialogLength(network.timing));
        if (auto refusal = link.search(window, mac)) {
            refusal->exitCode = kExitNotVerified;
            return report(console, messages, *refusal);
        }
        if (const auto index = findDevice(link.state(), mac)) {
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

std::array<milliseconds, 4> ConfigureRepeats(const Timing& timing) {
    // Tick n comes n + 1 periods after the dialog opened.
    std::array<milliseconds, kRepeats> repeats{};
    for (int i = 0; i < kRepeats; ++i) {
        repeats[static_cast<std::size_t>(i)] = (i * kRepeatEvery + 1) * timing.configureTick;
    }
    return repeats;
}

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
    link.close();

    if (options.json) {
        console.out << SearchJson(devices, messages) << std::flush;
    } else if (!devices.empty()) {
        console.out << SearchTable(devices, messages) << std::flush;
    }
    if (devices.empty()) {
        say(console.err, "no TRV81K answered within " + seconds(options.timeout));
        return kExitNotFound;
    }
    return kExitOk;
}

int RunConfigure(const ConfigurePlan& plan, const std::string& loginPassword,
                 const NetworkConfig& network, Console& console, const Messages& messages) {
    const std::string who = "device " + formatMac(plan.mac);
    const Timing& timing = network.timing;
    std::optional<WizardState> written;
    {
        Link link(network, console);
        if (auto refusal = link.open("search")) {
            return report(console, messages, *refusal);
        }
        if (console.progress) {
            say(console.err, "searching for " + formatMac(plan.mac) + " ...");
        }
        if (auto refusal = link.search(SearchDialogLength(timing), plan.mac)) {
            return report(console, messages, *refusal);
        }
        const std::optional<int> index = findDevice(link.state(), plan.mac);
        if (!index) {
            const int others = link.state().table.count();
            Refusal refusal;
            refusal.exitCode = kExitNotFound;
            refusal.subject = who;
            refusal.detail =
                "did not answer the search within " + seconds(SearchDialogLength(timing));
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
        WizardState loginState;
        loginState.loginPassword = loginPassword;
        loginState.currentDevice = device;
        if (console.progress) {
            say(console.err, "logging in to " + PrintableLatin1(device.deviceNameText()) + " ...");
        }
        if (!logIn(link, loginState, timing)) {
            Refusal refusal;
            refusal.exitCode = kExitPassword;
            refusal.subject = who;
            refusal.messageKey = "PASSWORD_ERROR";
            return report(console, messages, refusal);
        }
        if (console.verbose) {
            say(console.err, "login accepted");
        }

        // The settings, and the wireless path.
        std::optional<WirelessPath> path = WirelessFromOptions(plan);
        if (!path) {
            // The basic settings are checked before the pairing check goes out, as the wizard
            // leaves its basic settings page first.
            auto basic = BuildWizardState(plan, device, WirelessPath::Pairing, loginPassword);
            if (auto* refusal = std::get_if<Refusal>(&basic)) {
                return report(console, messages, *refusal);
            }
            if (console.progress) {
                say(console.err, "asking whether pairing manages the wireless settings ...");
            }
            const PairingCheck check = checkPairing(link, loginState, timing);
            if (console.verbose) {
                say(console.err,
                    std::string("pairing check: ") +
                        (check == PairingCheck::PairingManaged ? "pairing control"
                         : check == PairingCheck::NotManaged   ? "not under pairing control"
                                                               : "no answer"));
            }
            auto decided = WirelessFromCheck(check, plan.mac);
            if (auto* refusal = std::get_if<Refusal>(&decided)) {
                return report(console, messages, *refusal);
            }
            path = std::get<WirelessPath>(decided);
        }
        auto built = BuildWizardState(plan, device, *path, loginPassword);
        if (auto* refusal = std::get_if<Refusal>(&built)) {
            return report(console, messages, *refusal);
        }
        written = std::get<WizardState>(std::move(built));
        // Every value passed the validators, so the request can be built.
        const bool buildable = buildConfigureRequest(plan.mac, *written).has_value();
        assert(buildable);
        if (!buildable) {
            Refusal refusal;
            refusal.subject = who;
            refusal.detail = "the configure request could not be built from these settings";
            return report(console, messages, refusal);
        }

        // Configure.
        if (!CheckNICState()) {
            return report(console, messages, networkRefusal("configure", "INVALID_NIC"));
        }
        if (console.progress) {
            say(console.err, "writing the settings (up to " +
                                 seconds(ConfigureDialogLength(timing) + timing.configureGrace) +
                                 ") ...");
        }
        if (!configure(link, *written, timing, console)) {
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
