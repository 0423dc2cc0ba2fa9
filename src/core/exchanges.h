#pragma once
// The four exchanges with the devices, written once for the wizard and the command-line tool:
// the search, the login, the pairing check and the configure schedule. Each follows the
// pattern of the protocol: clear the flag, send the request, then wait on the caller's terms
// and read the flag the receiver sets.
//
// The caller brings the network, the durations and its way of waiting: the wizard keeps its
// windows painting and throws away the input made meanwhile; the command-line tool sleeps. The
// dialogs follow the ticks through a progress callback.

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

#include "protocol/network_port.h"
#include "protocol/timing.h"

namespace trv81k {

// The search dialog's schedule: twelve ticks, of which ticks 1 to 10 fill the progress bar.
inline constexpr int kSearchTicks = 12;
inline constexpr int kProgressSteps = 10;
// The configure dialog's schedule: twelve ticks; the request goes out again at every third one
// (ticks 0, 3, 6 and 9).
inline constexpr int kConfigureTicks = 12;
inline constexpr int kConfigureRepeatEvery = 3;
// Pairing checks sent at most, each followed by the pairing pause.
inline constexpr int kPairingChecks = 3;

// The trace lines of the pairing check, as the support staff know them.
inline constexpr char kTracePairingNotAnswered[] =
    "PAGE_SECURE_1_CONFIGURE_WIRELESS: bGetCheckBPSAck == false";
inline constexpr char kTracePairingAnswered[] =
    "PAGE_SECURE_1_CONFIGURE_WIRELESS: bGetCheckBPSAck == true";

// A wait of the caller's thread. Pause: input made meanwhile is lost (the login and pairing
// waits, the grace after the configure dialog). Tick: a progress dialog is up and stays usable.
enum class WaitKind { Pause, Tick };
// Waits up to `limit`; when `done` is given, the wait may end as soon as it holds. Device
// exchanges on several threads share one wait, so it must be safe to call from any of them
// (SleepingWait is).
using WaitFn = std::function<void(WaitKind kind, std::chrono::milliseconds limit,
                                  const std::function<bool()>& done)>;
// A wait that sleeps, looking at `done` every few milliseconds (the command-line tool).
WaitFn SleepingWait();

using TraceFn = std::function<void(const std::string&)>;

class Exchanges {
public:
    // One tick of a progress dialog: the counter's value at the start of the tick (0 to 11) and
    // the interval to the next tick as the tick leaves it.
    struct Tick {
        int counter = 0;
        std::chrono::milliseconds interval{0};
    };
    struct Progress {
        std::function<void(const Tick&)> ticked;  // after each tick's work
        std::function<void()> ticksDone;          // after the last tick: the dialog closes
    };

    enum class Login { Accepted, Refused, NoAnswer, NotSent };
    enum class Pairing { Managed, NotManaged, NoAnswer };
    // Refused: the device answered the request and said no (its values cannot be stored);
    // it would say so again to every repeat, so the schedule ends there.
    enum class Configure { Acknowledged, NotAcknowledged, Refused, NotLoggedIn };
    struct ConfigureReport {
        Configure outcome = Configure::NotLoggedIn;
        int requestsSent = 0;
        int requestsRefused = 0;  // not built or not sent
    };

    // `trace` receives the exchanges' trace lines (the trace channel when empty).
    Exchanges(NetworkPort& network, const Timing& timing, WaitFn wait, TraceFn trace = {});

    NetworkPort& network() { return network_; }
    ExchangeState& state() { return network_.state(); }
    const Timing& timing() const { return timing_; }
    // The caller's wait, for an exchange written beside these (the diagnosis's probe).
    void wait(WaitKind kind, std::chrono::milliseconds limit, const std::function<bool()>& done) {
        wait_(kind, limit, done);
    }

    // The search dialog's exchange: bGetSearchAck cleared, one search request, twelve ticks of
    // the search tick; once a device with the pairing marker is stored the remaining ticks
    // follow at the fast tick, and so does every later search of this object. `until`, when
    // given, ends the search as soon as it holds (a command looking for known devices). True
    // when the request went out.
    bool search(const Progress& progress = {}, const std::function<bool()>& until = {});
    // One search request and the answers collected for `limit`, or until `until` holds. True
    // when the request went out.
    bool searchFor(std::chrono::milliseconds limit, const std::function<bool()>& until = {});

    // The login dialog's exchange: bAuthOK cleared, one authentication request with
    // `password`, the login pause (ended once an answer is taken), then bAuthOK decides.
    Login logIn(std::string_view password);

    // The pairing page's exchange: up to three pairing checks, each followed by the pairing
    // pause (ended once the selected device has answered); no further check once its answer is
    // in. Another device's answer counts for nothing.
    Pairing checkPairing();

    // The configure dialog's exchange, after an accepted login: bGetConfigureAck cleared, the
    // request at once and at ticks 0, 3, 6 and 9 of the configure tick, twelve ticks; once the
    // device has acknowledged the remaining ticks follow at the fast tick (and send at their
    // turn), and so does every later exchange of this object. Then, unless the acknowledgement
    // is in, the grace pause for a late one. Without settings no request can be built: the
    // schedule runs to its end without sending.
    ConfigureReport configure(const ConfigureSettings* settings, const Progress& progress = {});

private:
    friend class DeviceExchanges;

    bool send(PacketKind kind, const RequestContent& content = {});
    bool stored(int device);
    // The exchanges with one device, waiting on that device's own answers.
    Login logInDevice(int device, std::string_view password);
    Pairing checkPairingDevice(int device);
    ConfigureReport configureDevice(int device, const ConfigureSettings* settings,
                                    const Progress& progress, bool& fast);
    // The ticks of a progress dialog's timer: `work` runs at each tick, `shorten` switches the
    // interval to the fast tick for good. False when `until` ended them early.
    bool runTicks(int ticks, std::chrono::milliseconds slowTick, bool& fast,
                  const std::function<void(int)>& work, const std::function<bool()>& shorten,
                  const Progress& progress, const std::function<bool()>& until);

    NetworkPort& network_;
    Timing timing_;
    WaitFn wait_;
    TraceFn trace_;
    bool searchFast_ = false;     // the search dialog's timer, once shortened
    bool configureFast_ = false;  // the configure dialog's timer, once shortened
};

// The exchanges with one device of the table, by its index: login, pairing check and
// configure, each waiting for that device's own answers. Several may run at once, each on a
// thread of its own, over one Exchanges (the command line's apply); the search is not run
// meanwhile.
class DeviceExchanges {
public:
    DeviceExchanges(Exchanges& exchanges, int device);

    int device() const { return device_; }
    Exchanges::Login logIn(std::string_view password);
    Exchanges::Pairing checkPairing();
    Exchanges::ConfigureReport configure(const ConfigureSettings* settings,
                                         const Exchanges::Progress& progress = {});

private:
    Exchanges& exchanges_;
    int device_;
    bool configureFast_ = false;  // as the configure dialog's timer, for this device
};

}  // namespace trv81k
