#include "cli/output.h"

#include <algorithm>
#include <array>
#include <vector>

#include "core/overrides.h"
#include "settings/text_encoding.h"

namespace trv81k::cli {

std::string SecurityDisplayText(int code, const Messages& messages) {
    return StatusSecurityText(code, messages.texts());
}

nlohmann::ordered_json AdapterJson(const std::optional<Adapter>& adapter) {
    if (!adapter) {
        return nullptr;
    }
    nlohmann::ordered_json entry;
    entry["name"] = adapter->name;
    entry["address"] = FormatIPv4(adapter->address);
    return entry;
}

std::string AdapterDisplay(const std::optional<Adapter>& adapter) {
    if (!adapter) {
        return "-";
    }
    return TerminalText(AdapterText(*adapter));
}

nlohmann::ordered_json DeviceJson(const DeviceInfo& device, const Messages& messages,
                                  const std::optional<Adapter>& adapter) {
    nlohmann::ordered_json entry;
    entry["name"] = Latin1ToUtf8(device.deviceNameText());
    entry["mac"] = formatMac(device.macAddress);
    entry["ipMode"] = device.ipMode != 0 ? "static" : "dhcp";
    entry["ip"] = FormatIPv4(device.ipAddress);
    entry["netmask"] = FormatIPv4(device.subnetMask);
    entry["gateway"] = FormatIPv4(device.gateway);
    entry["ssid"] = Latin1ToUtf8(device.ssidText());
    entry["channel"] = device.channel;
    entry["security"] = device.securityMode;
    entry["securityText"] = SecurityDisplayText(device.securityMode, messages);
    entry["networkMode"] = NetModeName(device.networkMode);
    entry["firmware"] = Latin1ToUtf8(device.firmwareText());
    entry["adapter"] = AdapterJson(adapter);
    return entry;
}

std::string SearchJson(std::span<const FoundDevice> devices, const Messages& messages) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const FoundDevice& found : devices) {
        list.push_back(DeviceJson(found.device, messages, found.adapter));
    }
    // Language.ini texts are taken as the file has them; a broken byte must not abort the dump.
    return list.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

std::size_t Utf8Length(std::string_view utf8) {
    return static_cast<std::size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

std::string SearchTable(std::span<const FoundDevice> devices, const Messages& messages) {
    constexpr std::size_t kColumns = 10;
    using Row = std::array<std::string, kColumns>;
    std::vector<Row> rows;
    rows.push_back({"NAME", "MAC", "IP MODE", "IP", "SSID", "CHANNEL", "SECURITY", "NET MODE",
                    "FIRMWARE", "ADAPTER"});
    for (const FoundDevice& found : devices) {
        const DeviceInfo& device = found.device;
        std::string security = SecurityDisplayText(device.securityMode, messages);
        if (security.empty()) {
            security = "code " + std::to_string(device.securityMode);
        }
        // Language.ini text, not the device's: still no control characters on the terminal.
        std::replace_if(
            security.begin(), security.end(),
            [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }, '?');
        rows.push_back({TerminalLatin1(device.deviceNameText()), formatMac(device.macAddress),
                        device.ipMode != 0 ? "static" : "dhcp", FormatIPv4(device.ipAddress),
                        TerminalLatin1(device.ssidText()), std::to_string(device.channel), security,
                        std::string(NetModeName(device.networkMode)),
                        TerminalLatin1(device.firmwareText()), AdapterDisplay(found.adapter)});
    }
    std::array<std::size_t, kColumns> widths{};
    for (const Row& row : rows) {
        for (std::size_t i = 0; i < kColumns; ++i) {
            widths[i] = std::max(widths[i], Utf8Length(row[i]));
        }
    }
    std::string table;
    for (const Row& row : rows) {
        std::string line;
        for (std::size_t i = 0; i < kColumns; ++i) {
            line += row[i];
            if (i + 1 < kColumns) {
                line.append(widths[i] - Utf8Length(row[i]) + 2, ' ');
            }
        }
        while (!line.empty() && line.back() == ' ') {
            line.pop_back();
        }
        table += line + "\n";
    }
    return table;
}

}  // namespace trv81k::cli
