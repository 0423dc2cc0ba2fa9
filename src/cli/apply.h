#pragma once
// apply: many devices configured in one run, from a JSON file.
//
//   {"defaults": {"security": "wpa2", "passphrase-file": "wifi.txt"},
//    "devices": [{"device": "02-81-00-00-00-01", "name": "Hall", "ssid": "Office"}, ...]}
//
// `device` is a hardware address or a unique device name; every other key is a long option of
// configure without its dashes (the option table), with the value its option takes: true for a
// flag, a string, a whole number for the channel. "defaults" applies to every entry; an entry's
// own keys win over it, also over the defaults' keys that conflict with them ("dhcp" in an
// entry drops the defaults' "static", "ip" ...). File names count from the file's folder.
//
// Every entry is checked before anything but a search is sent: the file, then each entry's
// values, then (after the search) each device's settings as BuildSettings makes them. One bad
// entry and no login goes out; every bad entry is reported. Then each device found runs the
// road of configure on a thread of its own, over the one session's exchanges: the core's fleet
// (core/fleet.h), of which these are the file's words and the lines.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "cli/console.h"
#include "cli/messages.h"
#include "cli/options.h"
#include "core/link.h"

namespace trv81k::cli {

// One entry of the file, checked.
struct ApplyEntry {
    int index = 0;  // counted from 1
    ConfigurePlan plan;
    std::optional<std::string> password;  // the entry's own login password (Latin-1)
};

// The entries of a file, or a refusal (exit 2) for every bad one, each naming the file, the
// entry and the field: "sites.json: entry 3, ip 10.0.0.255: ...". `fileName` is how the file is
// named in them, `folder` where its file names count from.
using ApplyFile = std::variant<std::vector<ApplyEntry>, std::vector<Refusal>>;
ApplyFile ReadApplyFile(std::string_view text, const std::filesystem::path& folder,
                        const std::string& fileName);
// The same for a file on the disk.
ApplyFile LoadApplyFile(const std::filesystem::path& path);

// How many devices are on their road at once unless told otherwise (0: all). All of them: the
// core records every device's answers apart, so each road waits for its own.
inline constexpr int kApplyParallel = 0;

struct ApplyOptions {
    std::vector<ApplyEntry> entries;
    std::string fileName;  // how the messages name the file
    std::string password;  // Latin-1, for the entries without their own
    std::optional<double> verifySeconds;
    bool json = false;
    int parallel = kApplyParallel;  // devices on their road at once; 0: all
    // --check: the search and the checks only, then what would change on each device; no
    // login, nothing written.
    bool check = false;
};

// apply --check: exit 0 when every device answered and every entry is valid for it, 2 for a bad
// entry, 3 when a device is missing.
// apply: one search for every entry's device, the roads at once, --verify's search, a line per
// device as it ends (or the JSON report at the end). Exit 0 when every device is done, 7 when
// some are not, 3 when none answered the search, 2 when an entry is bad for its device, 1 when
// the network cannot be used.
int RunApply(const ApplyOptions& options, const NetworkConfig& network, Console& console,
             const Messages& messages);

}  // namespace trv81k::cli
