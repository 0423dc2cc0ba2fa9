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
    ExchangeState& s = state();
    s.clearPasswordAccepted();
    const std::uint64_t before = s.loginAnswersTaken();
    if (!send(PacketKind::Authentication, RequestContent{password, nullptr})) {
        return Login::NotSent;
    }
    wait_(WaitKind::Pause, timing_.loginPause,
          [&s, before] { return s.loginAnswersTaken() != before; });
    if (s.passwordAccepted()) {
        return Login::Accepted;
    }
    return s.loginAnswersTaken() != before ? Login::Refused : Login::NoAnswer;
}

Exchanges::Pairing Exchanges::checkPairing() {
    ExchangeState& s = state();
    s.clearPairing();
    for (int attempt = 0; attempt < kPairingChecks; ++attempt) {
        trace_(kTracePairingNotAnswered);
        send(PacketKind::CheckBPS);
        wait_(WaitKind::Pause, timing_.pairingPause, [&s] { return s.selectedPairingAnswered(); });
        if (s.pairingAnswered()) {
            trace_(kTracePairingAnswered);
            return s.pairingManaged() ? Pairing::Managed : Pairing::NotManaged;
        }
    }
    return Pairing::NoAnswer;
}

Exchanges::ConfigureReport Exchanges::configure(const ConfigureSettings* settings,
                                                const Progress& progress) {
    ExchangeState& s = state();
    ConfigureReport report;
    s.clearConfigureAcknowledged();
    if (!s.loggedIn()) {
        return report;
    }
    const RequestContent content{{}, settings};
    const auto sendRequest = [&] {
        if (send(PacketKind::Configure, content)) {
            ++report.requestsSent;
        } else {
            ++report.requestsRefused;
        }
    };
    sendRequest();
    runTicks(
        kConfigureTicks, timing_.configureTick, configureFast_,
        [&](int counter) {
            if (counter % kConfigureRepeatEvery == 0) {
                sendRequest();
            }
        },
        [&s] { return s.acknowledgementSeen(); }, progress, {});
    // A moment for a late acknowledgement; none is needed when it is in already.
    if (!s.configureAcknowledged()) {
        wait_(WaitKind::Pause, timing_.configureGrace, [&s] { return s.configureAcknowledged(); });
    }
    report.outcome =
        s.configureAcknowledged() ? Configure::Acknowledged : Configure::NotAcknowledged;
    return report;
}

DeviceExchanges::DeviceExchanges(Exchanges& exchanges, int device)
    : exchanges_(exchanges), device_(device) {}

Exchanges::Login DeviceExchanges::logIn(std::string_view password) {
    exchanges_.state().choose(device_);
    return exchanges_.logIn(password);
}

Exchanges::Pairing DeviceExchanges::checkPairing() {
    exchanges_.state().choose(device_);
    return exchanges_.checkPairing();
}

Exchanges::ConfigureReport DeviceExchanges::configure(const ConfigureSettings* settings,
                                                      const Exchanges::Progress& progress) {
    exchanges_.state().choose(device_);
    return exchanges_.configure(settings, progress);
}

}  // namespace trv81k
