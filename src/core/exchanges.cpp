#include "core/exchanges.h"

#include <thread>

#include "platform/trace.h"

namespace trv81k {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// How often a sleeping wait looks at its condition: fine enough to time the arrival of
// answers, rare enough to cost next to no CPU.
constexpr milliseconds kPoll{5};

milliseconds TimeTo(Clock::time_point when) {
    const auto left = when - Clock::now();
    return left <= Clock::duration::zero() ? milliseconds{0}
                                           : std::chrono::ceil<milliseconds>(left);
}

}  // namespace

WaitFn SleepingWait() {
    return [](WaitKind /*kind*/, milliseconds limit, const std::function<bool()>& done) {
        const auto until = Clock::now() + limit;
        for (;;) {
            if (done && done()) {
                return;
            }
            const auto now = Clock::now();
            if (now >= until) {
                return;
            }
            std::this_thread::sleep_for(done ? std::min<Clock::duration>(kPoll, until - now)
                                             : until - now);
        }
    };
}

Exchanges::Exchanges(NetworkPort& network, const Timing& timing, WaitFn wait, TraceFn trace)
    : network_(network), timing_(timing), wait_(std::move(wait)), trace_(std::move(trace)) {
    if (!wait_) {
        wait_ = SleepingWait();
    }
    if (!trace_) {
        trace_ = [](const std::string& line) { Trace(line); };
    }
}

bool Exchanges::send(PacketKind kind, const RequestContent& content) {
    return network_.sendPacket(kind, content);
}

bool Exchanges::runTicks(int ticks, milliseconds slowTick, bool& fast,
                         const std::function<void(int)>& work, const std::function<bool()>& shorten,
                         const Progress& progress, const std::function<bool()>& until) {
    const auto interval = [&] { return fast ? timing_.fastTick : slowTick; };
    // Like a periodic timer: each tick is due one interval after the one before it was due;
    // a new interval starts counting from the tick that set it.
    auto due = Clock::now() + interval();
    for (int counter = 0; counter < ticks; ++counter) {
        wait_(WaitKind::Tick, TimeTo(due), until);
        if (until && until()) {
            return false;
        }
        if (work) {
            work(counter);
        }
        if (!fast && shorten()) {
            fast = true;
            due = Clock::now() + interval();
        } else {
            due += interval();
        }
        if (progress.ticked) {
            progress.ticked(Tick{counter, interval()});
        }
    }
    if (progress.ticksDone) {
        progress.ticksDone();
    }
    return true;
}

bool Exchanges::search(const Progress& progress, const std::function<bool()>& until) {
    state().clearSearchAnswered();
    const bool sent = send(PacketKind::Search);
    runTicks(
        kSearchTicks, timing_.searchTick, searchFast_, {},
        [this] { return state().searchFoundDevices(); }, progress, until);
    return sent;
}

bool Exchanges::searchFor(milliseconds limit, const std::function<bool()>& until) {
    state().clearSearchAnswered();
    if (!send(PacketKind::Search)) {
        return false;
    }
    wait_(WaitKind::Tick, limit, until);
    return true;
}

Exchanges::Login Exchanges::logIn(std::string_view password) {
    state().clearPasswordAccepted();
    if (!state().hasSelection()) {
        return Login::NotSent;
    }
    return logInDevice(state().selectedDevice(), password);
}

Exchanges::Pairing Exchanges::checkPairing() {
    state().clearPairing();
    return checkPairingDevice(state().selectedDevice());
}

Exchanges::ConfigureReport Exchanges::configure(const ConfigureSettings* settings,
                                                const Progress& progress) {
    state().clearConfigureAcknowledged();
    return configureDevice(state().selectedDevice(), settings, progress, configureFast_);
}

bool Exchanges::stored(int device) {
    return device >= 0 && device < state().table.count();
}

Exchanges::Login Exchanges::logInDevice(int device, std::string_view password) {
    ExchangeState& s = state();
    if (!stored(device)) {
        return Login::NotSent;
    }
    s.clearDevicePasswordAccepted(device);
    const std::uint64_t before = s.deviceLoginAnswers(device);
    if (!send(PacketKind::Authentication, RequestContent{password, nullptr, device})) {
        return Login::NotSent;
    }
    const auto answered = [&s, device, before] { return s.deviceLoginAnswers(device) != before; };
    wait_(WaitKind::Pause, timing_.loginPause, answered);
    if (!answered()) {
        return Login::NoAnswer;
    }
    return s.devicePasswordAccepted(device) ? Login::Accepted : Login::Refused;
}

Exchanges::Pairing Exchanges::checkPairingDevice(int device) {
    ExchangeState& s = state();
    if (!stored(device)) {
        return Pairing::NoAnswer;
    }
    const std::uint64_t before = s.devicePairingAnswers(device);
    const auto answered = [&s, device, before] { return s.devicePairingAnswers(device) != before; };
    for (int attempt = 0; attempt < kPairingChecks; ++attempt) {
        trace_(kTracePairingNotAnswered);
        send(PacketKind::CheckBPS, RequestContent{{}, nullptr, device});
        wait_(WaitKind::Pause, timing_.pairingPause, answered);
        if (answered()) {
            trace_(kTracePairingAnswered);
            return s.devicePairingManaged(device) ? Pairing::Managed : Pairing::NotManaged;
        }
    }
    return Pairing::NoAnswer;
}

Exchanges::ConfigureReport Exchanges::configureDevice(int device, const ConfigureSettings* settings,
                                                      const Progress& progress, bool& fast) {
    ExchangeState& s = state();
    ConfigureReport report;
    if (!stored(device) || !s.deviceLoggedIn(device)) {
        return report;
    }
    const std::uint64_t before = s.deviceAcknowledgements(device);
    const auto acknowledged = [&s, device, before] {
        return s.deviceAcknowledgements(device) != before;
    };
    const std::uint64_t refusalsBefore = s.deviceConfigureRefusals(device);
    const auto refused = [&s, device, refusalsBefore] {
        return s.deviceConfigureRefusals(device) != refusalsBefore;
    };
    const RequestContent content{{}, settings, device};
    const auto sendRequest = [&] {
        if (send(PacketKind::Configure, content)) {
            ++report.requestsSent;
        } else {
            ++report.requestsRefused;
        }
    };
    sendRequest();
    runTicks(
        kConfigureTicks, timing_.configureTick, fast,
        [&](int counter) {
            if (counter % kConfigureRepeatEvery == 0) {
                sendRequest();
            }
        },
        acknowledged, progress, [&] { return refused() && !acknowledged(); });
    if (refused() && !acknowledged()) {
        if (progress.ticksDone) {
            progress.ticksDone();  // the dialog closes now
        }
        report.outcome = Configure::Refused;
        return report;
    }
    // A moment for a late acknowledgement; none is needed when it is in already.
    if (!acknowledged()) {
        wait_(WaitKind::Pause, timing_.configureGrace, acknowledged);
    }
    report.outcome = acknowledged() ? Configure::Acknowledged : Configure::NotAcknowledged;
    return report;
}

DeviceExchanges::DeviceExchanges(Exchanges& exchanges, int device)
    : exchanges_(exchanges), device_(device) {}

Exchanges::Login DeviceExchanges::logIn(std::string_view password) {
    return exchanges_.logInDevice(device_, password);
}

Exchanges::Pairing DeviceExchanges::checkPairing() {
    return exchanges_.checkPairingDevice(device_);
}

Exchanges::ConfigureReport DeviceExchanges::configure(const ConfigureSettings* settings,
                                                      const Exchanges::Progress& progress) {
    return exchanges_.configureDevice(device_, settings, progress, configureFast_);
}

}  // namespace trv81k
