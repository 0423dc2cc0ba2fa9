#include "core/road.h"

#include <algorithm>
#include <mutex>
#include <semaphore>
#include <thread>

#include "platform/adapters.h"
#include "settings/text_encoding.h"

namespace trv81k {
namespace {

using Note = std::function<void(const std::string&)>;

void tell(const Note& note, const std::string& text) {
    if (note) {
        note(text);
    }
}

RoadResult stop(RoadEnd end, Refusal refusal) {
    RoadResult result;
    result.end = end;
    result.refusal = std::move(refusal);
    return result;
}

Refusal networkRefusal(std::string subject, std::string_view key) {
    return RefuseWithText(std::move(subject), key, {}, {}, Outcome::Network);
}

RoadResult DriveDevice(DeviceExchanges& exchanges, const RoadOrder& order, const Timing& timing,
                       const Note& progress, const Note& verbose) {
    using End = RoadEnd;
    const DeviceInfo& device = order.device;
    const Overrides& plan = *order.overrides;
    const std::string& who = order.who;

    // Login.
    if (!CheckNICState()) {
        return stop(End::Network, networkRefusal("login", "INVALID_NIC"));
    }
    tell(progress, "logging in to " + TerminalLatin1(device.deviceNameText()) + " ...");
    switch (exchanges.logIn(order.password)) {
        case Exchanges::Login::Accepted:
            break;
        case Exchanges::Login::NotSent:
            return stop(End::Network, networkRefusal("authentication request", "SOCKET_FAIL"));
        case Exchanges::Login::Refused:
        case Exchanges::Login::NoAnswer: {
            return stop(End::Password,
                        RefuseWithText(who, "PASSWORD_ERROR", {}, {}, Outcome::Password));
        }
    }
    tell(verbose, "login accepted");

    // The settings, and the wireless path.
    std::optional<WirelessPath> path = WirelessFromOptions(plan);
    if (!path) {
        // The basic settings are checked before the pairing check goes out, as the wizard
        // leaves its basic settings page first.
        auto basic = BuildSettings(plan, device, WirelessPath::Pairing);
        if (auto* refusal = std::get_if<Refusal>(&basic)) {
            return stop(End::Settings, *refusal);
        }
        tell(progress, "asking whether pairing manages the wireless settings ...");
        const Exchanges::Pairing check = exchanges.checkPairing();
        tell(verbose, std::string("pairing check: ") +
                          (check == Exchanges::Pairing::Managed      ? "pairing control"
                           : check == Exchanges::Pairing::NotManaged ? "not under pairing control"
                                                                     : "no answer"));
        auto decided = WirelessFromCheck(check, device.macAddress);
        if (auto* refusal = std::get_if<Refusal>(&decided)) {
            refusal->subject = who;
            return stop(End::Pairing, *refusal);
        }
        path = std::get<WirelessPath>(decided);
    }
    auto built = BuildSettings(plan, device, *path);
    if (auto* refusal = std::get_if<Refusal>(&built)) {
        return stop(End::Settings, *refusal);
    }
    RoadResult result;
    result.written = std::get<ConfigureSettings>(std::move(built));

    // Configure.
    if (!CheckNICState()) {
        return stop(End::Network, networkRefusal("configure", "INVALID_NIC"));
    }
    tell(progress, "writing the settings (up to " +
                       SecondsText(ConfigureDialogLength(timing) + timing.configureGrace) +
                       ") ...");
    const auto started = Clock::now();
    const Exchanges::ConfigureReport report = exchanges.configure(&*result.written);
    tell(verbose, std::string(report.outcome == Exchanges::Configure::Acknowledged
                                  ? "configure: acknowledged, "
                              : report.outcome == Exchanges::Configure::Refused
                                  ? "configure: refused, "
                                  : "configure: no acknowledgement, ") +
                      MillisecondsText(Clock::now() - started) + " after the first of " +
                      std::to_string(report.requestsSent) + " request(s)");
    if (report.requestsSent == 0) {
        return stop(End::Network, networkRefusal("configure request", "SOCKET_FAIL"));
    }
    if (report.outcome == Exchanges::Configure::Refused) {
        // The device answered: this is no network trouble, and repeating will not help.
        result.end = End::Refused;
        result.refusal = Refuse(who,
                                "the device answered and refused the settings: it cannot store "
                                "one of the values",
                                {}, Outcome::NoAck);
        return result;
    }
    if (report.outcome != Exchanges::Configure::Acknowledged) {
        result.end = End::NoAck;
        result.refusal = RefuseWithText(who, "CONFIGURE_FAIL", {}, {}, Outcome::NoAck);
        return result;
    }
    return result;
}

}  // namespace

std::string_view RoadEndName(RoadEnd end) {
    switch (end) {
        case RoadEnd::Acknowledged:
            return "done";
        case RoadEnd::Network:
            return "network";
        case RoadEnd::Password:
            return "password";
        case RoadEnd::Pairing:
            return "pairing";
        case RoadEnd::Settings:
            return "settings";
        case RoadEnd::NoAck:
            return "no-ack";
        case RoadEnd::Refused:
            return "refused";
        case RoadEnd::NotFound:
            return "not-found";
        case RoadEnd::NotVerified:
            return "not-verified";
    }
    return "unknown";
}

std::vector<int> MatchingDevices(const DeviceChoice& choice, const DeviceTable& table) {
    std::vector<int> found;
    for (int i = 0; i < table.count(); ++i) {
        if (choice.matches(table.at(i))) {
            found.push_back(i);
        }
    }
    return found;
}

Refusal AmbiguousName(const DeviceChoice& choice, const std::vector<int>& found,
                      const DeviceTable& table) {
    std::string detail = std::to_string(found.size()) + " devices have this name:";
    for (const int index : found) {
        detail += " " + formatMac(table.at(index).macAddress);
    }
    Refusal refusal =
        Refuse("device " + choice.text(), detail, "name the device by its hardware address");
    refusal.field = "device";
    return refusal;
}

std::function<bool(const DeviceTable&)> AllAnswered(std::vector<DeviceChoice> choices,
                                                    std::chrono::milliseconds quiet) {
    const bool byName = std::any_of(choices.begin(), choices.end(),
                                    [](const DeviceChoice& c) { return !c.mac.has_value(); });
    std::optional<SearchEnd> end;
    return [choices = std::move(choices), byName, quiet, end](const DeviceTable& table) mutable {
        const auto now = Clock::now();
        if (!end) {
            end.emplace(now, quiet);
        }
        const bool quietNow = (*end)(table.count(), now);
        for (const DeviceChoice& choice : choices) {
            if (MatchingDevices(choice, table).empty()) {
                return false;
            }
        }
        return !byName || quietNow;
    };
}

std::variant<ConfigureSettings, Refusal> SettingsBeforeLogin(const Overrides& overrides,
                                                             const DeviceInfo& device) {
    return BuildSettings(overrides, device,
                         WirelessFromOptions(overrides).value_or(WirelessPath::Pairing));
}

std::vector<RoadResult> DriveRoads(Exchanges& exchanges, std::span<const RoadOrder> orders,
                                   int parallel, const Timing& timing, const RoadNotes& notes) {
    std::vector<RoadResult> results(orders.size());
    std::mutex mutex;  // the notes, one at a time
    const auto noteOf = [&](const std::function<void(std::size_t, const std::string&)>& note,
                            std::size_t i) -> Note {
        if (!note) {
            return {};
        }
        return [&, i](const std::string& text) {
            const std::lock_guard lock(mutex);
            note(i, text);
        };
    };
    const std::ptrdiff_t width = parallel > 0 ? parallel : static_cast<std::ptrdiff_t>(kMaxDevices);
    std::counting_semaphore<kMaxDevices> gate(std::min<std::ptrdiff_t>(width, kMaxDevices));
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < orders.size(); ++i) {
        threads.emplace_back([&, i] {
            gate.acquire();
            DeviceExchanges device(exchanges, orders[i].index);
            results[i] = DriveDevice(device, orders[i], timing, noteOf(notes.progress, i),
                                     noteOf(notes.verbose, i));
            gate.release();
            if (notes.ended) {
                const std::lock_guard lock(mutex);
                notes.ended(i, results[i]);
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    return results;
}

}  // namespace trv81k
