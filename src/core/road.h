#pragma once
// A device's road once the search has found it: log in, decide the wireless path (by the
// overrides, or by the pairing check), build the settings and write them with the configure
// dialog's schedule. The command line's configure drives one road, apply many at once, through
// the same call (DriveRoads): each road on a thread of its own over the session's exchanges,
// waiting on its own device's answers.

#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "core/exchanges.h"
#include "core/link.h"
#include "core/overrides.h"
#include "core/refusal.h"

namespace trv81k {

// The table entries a choice names: by hardware address at most one, by name any number.
std::vector<int> MatchingDevices(const DeviceChoice& choice, const DeviceTable& table);

// Outcome::Usage: the name of `choice` is that of several devices of the table (`found`).
Refusal AmbiguousName(const DeviceChoice& choice, const std::vector<int>& found,
                      const DeviceTable& table);

// Whether a search for these devices may end: each of them has answered, and when any is named
// by its name, no new device has answered for the quiet period either, so that a second device
// of the same name is not missed. Call it with the same table throughout one search.
std::function<bool(const DeviceTable&)> AllAnswered(std::vector<DeviceChoice> choices,
                                                    std::chrono::milliseconds quiet);

// The settings as far as they can be built before the login: with the overrides' wireless path,
// or with the pairing one when the check is still to decide (which is what a device under
// pairing control gets, and the only other answer is a refusal).
std::variant<ConfigureSettings, Refusal> SettingsBeforeLogin(const Overrides& overrides,
                                                             const DeviceInfo& device);

// Where a device's road ended. A fleet's report also says NotFound and NotVerified.
enum class RoadEnd {
    Acknowledged,  // the device acknowledged the settings
    Network,       // a request could not be sent, or no adapter
    Password,      // the login was refused or not answered
    Pairing,       // not under pairing control and no wireless overrides
    Settings,      // the settings did not pass the page checks
    NoAck,         // no acknowledgement
    Refused,       // the device answered and refused the settings
    NotFound,      // the device did not answer the search
    NotVerified,   // acknowledged, but the device does not announce the settings
};
// "done", "network", "password", "pairing", "settings", "no-ack", "refused", "not-found",
// "not-verified".
std::string_view RoadEndName(RoadEnd end);

struct RoadResult {
    RoadEnd end = RoadEnd::Acknowledged;
    std::optional<Refusal> refusal;            // why, unless acknowledged
    std::optional<ConfigureSettings> written;  // what was sent
};

// One road to drive: the device's index in the session's table and its search answer, what to
// change, the login password (Latin-1), and how refusals name the device ("device 02-81-...").
struct RoadOrder {
    int index = -1;
    DeviceInfo device;
    const Overrides* overrides = nullptr;
    std::string password;
    std::string who;
};

// What the roads tell on their way, by the order's position; each may be empty. The calls come
// from the roads' threads, one at a time.
struct RoadNotes {
    std::function<void(std::size_t, const std::string&)> progress;  // a step begins
    std::function<void(std::size_t, const std::string&)> verbose;   // what an exchange did
    std::function<void(std::size_t, const RoadResult&)> ended;      // the road is at its end
};

// Every order's road at once over `exchanges`, at most `parallel` at a time (0: all); the
// search is not run meanwhile. The results in the order of `orders`.
std::vector<RoadResult> DriveRoads(Exchanges& exchanges, std::span<const RoadOrder> orders,
                                   int parallel, const Timing& timing, const RoadNotes& notes);

}  // namespace trv81k
