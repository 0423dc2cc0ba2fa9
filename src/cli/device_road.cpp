#include "cli/device_road.h"

#include <algorithm>

#include "cli/link.h"
#include "cli/output.h"
#include "platform/adapters.h"
#include "settings/text_encoding.h"

namespace trv81k::cli {
namespace {

void tell(const std::function<void(const std::string&)>& note, const std::string& text) {
    if (note) {
        note(text);
    }
}

RoadResult stop(RoadResult::End end, Refusal refusal) {
    RoadResult result;
    result.end = end;
    result.refusal = std::move(refusal);
    return result;
}

}  // namespace

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
    Refusal refusal;
    refusal.exitCode = kExitUsage;
    refusal.subject = "device " + choice.text();
    refusal.field = "device";
    refusal.detail = std::to_string(found.size()) + " devices have this name:";
    for (const int index : found) {
        refusal.detail += " " + formatMac(table.at(index).macAddress);
    }
    refusal.hint = "name the device by its hardware address";
    return refusal;
}

std::function<bool(const DeviceTable&)> AllAnswered(std::vector<DeviceChoice> choices,
                                                    milliseconds quiet) {
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

std::variant<ConfigureSettings, Refusal> SettingsBeforeLogin(const ConfigurePlan& plan,
                                                             const DeviceInfo& device) {
    return BuildSettings(plan, device, WirelessFromOptions(plan).value_or(WirelessPath::Pairing));
}

RoadResult DriveDevice(DeviceExchanges& exchanges, const DeviceInfo& device,
                       const ConfigurePlan& plan, const std::string& loginPassword,
                       const std::string& who, const Timing& timing, const RoadNotes& notes) {
    using End = RoadResult::End;

    // Login.
    if (!CheckNICState()) {
        return stop(End::Network, NetworkRefusal("login", "INVALID_NIC"));
    }
    tell(notes.progress, "logging in to " + TerminalLatin1(device.deviceNameText()) + " ...");
    switch (exchanges.logIn(loginPassword)) {
        case Exchanges::Login::Accepted:
            break;
        case Exchanges::Login::NotSent:
            return stop(End::Network, NetworkRefusal("authentication request", "SOCKET_FAIL"));
        case Exchanges::Login::Refused:
        case Exchanges::Login::NoAnswer: {
            Refusal refusal;
            refusal.exitCode = kExitPassword;
            refusal.subject = who;
            refusal.messageKey = "PASSWORD_ERROR";
            return stop(End::Password, refusal);
        }
    }
    tell(notes.verbose, "login accepted");

    // The settings, and the wireless path.
    std::optional<WirelessPath> path = WirelessFromOptions(plan);
    if (!path) {
        // The basic settings are checked before the pairing check goes out, as the wizard
        // leaves its basic settings page first.
        auto basic = BuildSettings(plan, device, WirelessPath::Pairing);
        if (auto* refusal = std::get_if<Refusal>(&basic)) {
            return stop(End::Settings, *refusal);
        }
        tell(notes.progress, "asking whether pairing manages the wireless settings ...");
        const Exchanges::Pairing check = exchanges.checkPairing();
        tell(notes.verbose,
             std::string("pairing check: ") +
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
        return stop(End::Network, NetworkRefusal("configure", "INVALID_NIC"));
    }
    tell(notes.progress, "writing the settings (up to " +
                             SecondsText(ConfigureDialogLength(timing) + timing.configureGrace) +
                             ") ...");
    const auto started = Clock::now();
    const Exchanges::ConfigureReport report = exchanges.configure(&*result.written);
    tell(notes.verbose, std::string(report.outcome == Exchanges::Configure::Acknowledged
                                        ? "configure: acknowledged, "
                                    : report.outcome == Exchanges::Configure::Refused
                                        ? "configure: refused, "
                                        : "configure: no acknowledgement, ") +
                            MillisecondsText(Clock::now() - started) + " after the first of " +
                            std::to_string(report.requestsSent) + " request(s)");
    if (report.requestsSent == 0) {
        return stop(End::Network, NetworkRefusal("configure request", "SOCKET_FAIL"));
    }
    if (report.outcome == Exchanges::Configure::Refused) {
        // The device answered: this is no network trouble, and repeating will not help.
        Refusal refusal;
        refusal.exitCode = kExitNoAck;
        refusal.subject = who;
        refusal.detail =
            "the device answered and refused the settings: it cannot store one of "
            "the values";
        result.end = End::Refused;
        result.refusal = refusal;
        return result;
    }
    if (report.outcome != Exchanges::Configure::Acknowledged) {
        Refusal refusal;
        refusal.exitCode = kExitNoAck;
        refusal.subject = who;
        refusal.messageKey = "CONFIGURE_FAIL";
        result.end = End::NoAck;
        result.refusal = refusal;
        return result;
    }
    return result;
}

}  // namespace trv81k::cli
