#pragma once
// The emulator's files: the configuration that lists the devices, and the state file that
// keeps each device's current settings across restarts. Both are JSON; texts in them are
// UTF-8 and are held by the devices as Latin-1.
//
// Configuration: {"devices": [ {"mac": "02-81-00-00-00-01", "name": ..., ...}, ... ]}
// State:         {"version": 1, "devices": [ {"mac": ..., <the settings>}, ... ]}

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "emulator/device.h"

namespace trv81k::emulator {

inline constexpr std::size_t kMaxEmulatedDevices = 250;
inline constexpr int kStateVersion = 1;

// Supplies the token of a device whose configuration names none.
using TokenSource = std::function<DeviceToken()>;
// Four bytes from the system's random source.
DeviceToken randomToken();

// The devices, or one line that says what is wrong (and then no devices).
struct DevicesResult {
    std::vector<EmulatedDevice> devices;
    std::string error;
    bool ok() const { return error.empty(); }
};

// The one device the emulator runs without a configuration.
std::vector<EmulatedDevice> defaultDevices(const TokenSource& tokens);

// Reads a configuration document. Every field but "mac" is optional and defaults to the
// default device's value; the device ID defaults to the MAC, the token to `tokens()`.
DevicesResult parseConfig(std::string_view jsonText, const TokenSource& tokens);

// The state document of these devices (pretty-printed JSON, ending in a newline).
std::string stateText(const std::vector<EmulatedDevice>& devices);

// Outcome of applying a state document to the configured devices.
struct StateApplied {
    std::string error;                 // empty when the document was taken; devices unchanged else
    std::vector<std::string> notices;  // entries for devices the configuration does not list
    bool ok() const { return error.empty(); }
};
// Overrides the settings of the devices the document names (by MAC). Fields an entry leaves
// out keep the configured values. All or nothing: on error no device is changed.
StateApplied applyState(std::string_view jsonText, std::vector<EmulatedDevice>& devices);

// Whole-file reading with a clear reason on failure.
struct FileText {
    enum class Status { Read, Missing, Failed } status = Status::Failed;
    std::string text;
    std::string error;  // for Failed (and Missing): what went wrong, naming the file
};
FileText readTextFile(const std::filesystem::path& path);

enum class StateLoad { Missing, Applied, Failed };
struct StateLoadResult {
    StateLoad outcome = StateLoad::Failed;
    std::string error;  // for Failed, naming the file
    std::vector<std::string> notices;
};
// A missing file leaves the devices as they are; an unreadable or corrupt one is Failed.
StateLoadResult loadStateFile(const std::filesystem::path& path,
                              std::vector<EmulatedDevice>& devices);

// Writes the state to a temporary file in the same folder, flushes it to the disk and renames
// it over `path`, so a crash leaves either the old or the new state. Empty on success, else
// the reason; the old file is untouched then.
std::string writeStateFile(const std::filesystem::path& path,
                           const std::vector<EmulatedDevice>& devices);

}  // namespace trv81k::emulator
