#pragma once
// One device's road once the search has found it, as configure takes it: log in, decide the
// wireless path (by the options, or by the pairing check), build the settings and write them
// with the configure dialog's schedule. configure runs it once; apply runs it on a thread of
// its own for each device, over the one session's exchanges.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cli/link.h"
#include "cli/messages.h"
#include "cli/options.h"
#include "core/exchanges.h"

namespace trv81k::cli {

// The table entries a choice names: by hardware address at most one, by name any number.
std::vector<int> MatchingDevices(const DeviceChoice& choice, const DeviceTable& table);

// Exit 2: the name of `choice` is that of several devices of the table (`found`).
Refusal AmbiguousName(const DeviceChoice& choice, const std::vector<int>& found,
                      const DeviceTable& table);

// Whether a search for these devices may end: each of them has answered, and when any is named
// by its name, no new device has answered for the quiet period either, so that a second device
// of the same name is not missed. Call it with the same table throughout one search.
std::function<bool(const DeviceTable&)> AllAnswered(std::vector<DeviceChoice> choices,
                                                    milliseconds quiet);

// What the road tells on its way; either may be empty.
struct RoadNotes {
    std::function<void(const std::string&)> progress;  // a step begins
    std::function<void(const std::string&)> verbose;   // what an exchange did
};

struct RoadResult {
    // Where the road ended.
    enum class End {
        Acknowledged,  // the device acknowledged the settings
        Network,       // a request could not be sent, or no adapter (exit 1)
        Password,      // the login was refused or not answered (exit 4)
        Pairing,       // not under pairing control and no wireless options (exit 2)
        Settings,      // the settings did not pass the page checks (exit 2)
        NoAck,         // no acknowledgement (exit 5)
        Refused,       // the device answered and refused the settings (exit 5)
    };
    End end = End::Acknowledged;
    std::optional<Refusal> refusal;            // why, unless acknowledged
    std::optional<ConfigureSettings> written;  // what was sent
};

// `device` is the device's search answer, `plan` passed CheckConfigureOptions and names it,
// `loginPassword` is Latin-1. The refusal's subject is `who`.
RoadResult DriveDevice(DeviceExchanges& exchanges, const DeviceInfo& device,
                       const ConfigurePlan& plan, const std::string& loginPassword,
                       const std::string& who, const Timing& timing, const RoadNotes& notes);

// The settings as far as they can be built before the login: with the options' wireless path,
// or with the pairing one when the check is still to decide (which is what a device under
// pairing control gets, and the only other answer is a refusal).
std::variant<ConfigureSettings, Refusal> SettingsBeforeLogin(const ConfigurePlan& plan,
                                                             const DeviceInfo& device);

}  // namespace trv81k::cli
