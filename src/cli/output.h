#pragma once
// The search result for scripts (JSON) and for people (a table). Texts that came from a device
// are Latin-1 and leave as UTF-8; the table also replaces control characters, so a device
// cannot send escape sequences to the user's terminal.

#include <nlohmann/json.hpp>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/messages.h"
#include "core/search.h"
#include "platform/adapters.h"
#include "protocol/wire.h"

namespace trv81k::cli {

// The status-box text of a security code ("" for codes without one).
std::string SecurityDisplayText(int code, const Messages& messages);

// One device as a JSON object with exactly the fields name, mac, ipMode, ip, netmask, gateway,
// ssid, channel, security, securityText, networkMode, firmware, adapter, in this order.
nlohmann::ordered_json DeviceJson(const DeviceInfo& device, const Messages& messages,
                                  const std::optional<Adapter>& adapter = {});
// {"name": "lab0", "address": "10.81.0.1"}; null when not known.
nlohmann::ordered_json AdapterJson(const std::optional<Adapter>& adapter);
// "lab0 (10.81.0.1)" without control characters; "-" when not known.
std::string AdapterDisplay(const std::optional<Adapter>& adapter);
// The JSON array of the devices, pretty-printed, ending in a newline.
std::string SearchJson(std::span<const FoundDevice> devices, const Messages& messages);
// A header line and one line per device, columns padded to their widest entry.
std::string SearchTable(std::span<const FoundDevice> devices, const Messages& messages);

// Characters in well-formed UTF-8 text (the table's column width).
std::size_t Utf8Length(std::string_view utf8);

}  // namespace trv81k::cli
