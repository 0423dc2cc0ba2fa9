#include "emulator/config.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <nlohmann/json.hpp>
#include <optional>
#include <random>

#include "fileio/file_access.h"
#include "fileio/json_reader.h"
#include "platform/adapters.h"
#include "settings/text_encoding.h"

namespace trv81k::emulator {
namespace {

using nlohmann::json;
using nlohmann::ordered_json;

constexpr std::size_t kMaxFileSize = 16 * 1024 * 1024;

// A JSON value as it reads in a message, cut when long.
std::string shown(const json& value) {
    return ShownValue(value.dump(-1, ' ', false, json::error_handler_t::replace), 57);
}

// A field's name in quotes, as messages name it.
std::string quoted(std::string_view field) {
    std::string name;
    name.reserve(field.size() + 2);
    name += '"';
    name += field;
    name += '"';
    return name;
}

std::string shownText(std::string_view text) {
    return shown(json(std::string(text)));
}

std::optional<json> parseDocument(std::string_view text, std::string& error) {
    auto read = ReadJson(text);
    if (auto* problem = std::get_if<JsonProblem>(&read)) {
        error = problem->text();
        return std::nullopt;
    }
    return std::get<json>(std::move(read));
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Exactly N bytes as hex digits; '-' and ':' between the digits are allowed and ignored.
template <std::size_t N>
std::optional<std::array<std::uint8_t, N>> parseHexBytes(std::string_view text) {
    std::array<std::uint8_t, N> bytes{};
    std::size_t digits = 0;
    for (const char c : text) {
        if (c == '-' || c == ':') {
            continue;
        }
        const int value = hexDigit(c);
        if (value < 0 || digits >= 2 * N) {
            return std::nullopt;
        }
        bytes[digits / 2] = static_cast<std::uint8_t>(bytes[digits / 2] * 16 + value);
        ++digits;
    }
    if (digits != 2 * N) {
        return std::nullopt;
    }
    return bytes;
}

template <std::size_t N>
std::string hexText(const std::array<std::uint8_t, N>& bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (const std::uint8_t b : bytes) {
        text += kDigits[b >> 4];
        text += kDigits[b & 0x0F];
    }
    return text;
}

// The checks on one field; each returns an empty string or the complaint (without the device).
std::string readText(const json& value, std::string_view field, std::size_t maxBytes,
                     std::string& out) {
    const std::string name = quoted(field);
    if (!value.is_string()) {
        return name + " must be a text, not " + shown(value);
    }
    const auto latin1 = Utf8ToLatin1(value.get_ref<const std::string&>());
    if (!latin1) {
        return name + " " + shown(value) + " has a character outside Latin-1 (U+0000 to U+00FF)";
    }
    if (latin1->find('\0') != std::string::npos) {
        return name + " " + shown(value) + " contains a zero character";
    }
    if (latin1->size() > maxBytes) {
        return name + " " + shown(value) + " is " + std::to_string(latin1->size()) +
               " bytes long, at most " + std::to_string(maxBytes) + " are allowed";
    }
    out = *latin1;
    return {};
}

std::string readNumber(const json& value, std::string_view field, int low, int high,
                       std::uint8_t& out) {
    const std::string name = quoted(field);
    const std::string range = std::to_string(low) + " to " + std::to_string(high);
    if (!value.is_number_integer()) {
        return name + " must be a whole number from " + range + ", not " + shown(value);
    }
    const auto number = value.get<std::int64_t>();
    if (number < low || number > high) {
        return name + " " + shown(value) + " is outside " + range;
    }
    out = static_cast<std::uint8_t>(number);
    return {};
}

std::string readAddress(const json& value, std::string_view field, Ipv4Address& out) {
    const std::string name = quoted(field);
    const auto address =
        value.is_string() ? ParseIPv4(value.get_ref<const std::string&>()) : std::nullopt;
    if (!address) {
        return name + " " + shown(value) + " is not an IPv4 address such as 192.168.1.254";
    }
    out = *address;
    return {};
}

std::string readBool(const json& value, std::string_view field, bool& out) {
    if (!value.is_boolean()) {
        return quoted(field) + " must be true or false, not " + shown(value);
    }
    out = value.get<bool>();
    return {};
}

std::string readChoice(const json& value, std::string_view field,
                       std::initializer_list<std::string_view> names, std::uint8_t& out) {
    if (value.is_string()) {
        std::uint8_t index = 0;
        for (const std::string_view name : names) {
            if (value.get_ref<const std::string&>() == name) {
                out = index;
                return {};
            }
            ++index;
        }
    }
    std::string choices;
    for (const std::string_view name : names) {
        choices += (choices.empty() ? "\"" : ", \"") + std::string(name) + "\"";
    }
    return quoted(field) + " " + shown(value) + " is not one of " + choices;
}

std::string readMac(const json& value, MacAddress& out) {
    const auto mac =
        value.is_string() ? parseMac(value.get_ref<const std::string&>()) : std::nullopt;
    if (!mac) {
        return "\"mac\" " + shown(value) + " is not a hardware address such as 00-11-22-33-44-55";
    }
    out = *mac;
    return {};
}

// The settings fields, shared by the configuration and the state file. Sets `handled` when
// `key` names one of them.
std::string readSettingsField(const std::string& key, const json& value, DeviceSettings& s,
                              bool& handled) {
    handled = true;
    if (key == "name")
        return readText(value, key, kMaxTextLength, s.name);
    if (key == "password")
        return readText(value, key, kMaxPasswordLength, s.password);
    if (key == "ipMode")
        return readChoice(value, key, {"dhcp", "static"}, s.ipMode);
    if (key == "ip")
        return readAddress(value, key, s.ip);
    if (key == "netmask")
        return readAddress(value, key, s.netmask);
    if (key == "gateway")
        return readAddress(value, key, s.gateway);
    if (key == "ssid")
        return readText(value, key, kMaxTextLength, s.ssid);
    if (key == "channel")
        return readNumber(value, key, 1, 13, s.channel);
    if (key == "security")
        return readNumber(value, key, 0, kSecurityWpa2Mixed, s.security);
    if (key == "key")
        return readText(value, key, kMaxKeyLength, s.key);
    if (key == "networkMode")
        return readChoice(value, key, {"mixed", "g-only", "b-only"}, s.networkMode);
    handled = false;
    return {};
}

std::string readDeviceField(const std::string& key, const json& value, EmulatedDevice& device,
                            bool& deviceIdGiven, bool& tokenGiven) {
    bool handled = false;
    std::string error = readSettingsField(key, value, device.settings, handled);
    if (handled) {
        return error;
    }
    Behaviour& b = device.behaviour;
    if (key == "mac")
        return readMac(value, device.mac);
    if (key == "deviceId") {
        const auto id = value.is_string() ? parseHexBytes<6>(value.get_ref<const std::string&>())
                                          : std::nullopt;
        if (!id) {
            return "\"deviceId\" " + shown(value) + " is not 6 bytes in hex such as 001122334455";
        }
        device.deviceId = *id;
        deviceIdGiven = true;
        return {};
    }
    if (key == "token") {
        const auto token = value.is_string() ? parseHexBytes<4>(value.get_ref<const std::string&>())
                                             : std::nullopt;
        if (!token) {
            return "\"token\" " + shown(value) + " is not 4 bytes in hex such as 0A1B2C3D";
        }
        device.token = *token;
        tokenGiven = true;
        return {};
    }
    if (key == "firmware")
        return readText(value, key, kMaxFirmwareLength, device.firmware);
    if (key == "auxName")
        return readText(value, key, kMaxTextLength, device.auxName);
    if (key == "auxText")
        return readText(value, key, kMaxAuxTextLength, device.auxText);
    if (key == "auxAttr")
        return readNumber(value, key, 0, 255, device.auxAttr);
    if (key == "auxKeyCode")
        return readNumber(value, key, 0, 255, device.auxKeyCode);
    if (key == "refusePassword")
        return readBool(value, key, b.refusePassword);
    if (key == "pairingManaged")
        return readBool(value, key, b.pairingManaged);
    if (key == "silent")
        return readBool(value, key, b.silent);
    if (key == "neverAcknowledge")
        return readBool(value, key, b.neverAcknowledge);
    if (key == "noMarker")
        return readBool(value, key, b.noMarker);
    if (key == "answerTwice")
        return readBool(value, key, b.answerTwice);
    if (key == "ignorePairingCheck")
        return readBool(value, key, b.ignorePairingCheck);
    if (key == "keepSettings")
        return readBool(value, key, b.keepSettings);
    return "unknown field " + shownText(key);
}

std::string deviceLabel(std::size_t index, const json& entry) {
    std::string label = "device " + std::to_string(index + 1);
    if (entry.is_object() && entry.contains("name") && entry["name"].is_string()) {
        label += " (" + shown(entry["name"]) + ")";
    }
    return label;
}

std::string checkTopLevel(const json& doc, std::initializer_list<std::string_view> allowed) {
    if (!doc.is_object()) {
        return "the document must be a JSON object with a \"devices\" list";
    }
    for (const auto& [key, value] : doc.items()) {
        if (std::find(allowed.begin(), allowed.end(), key) == allowed.end()) {
            return "unknown field " + shownText(key) + " at the top level";
        }
    }
    if (!doc.contains("devices") || !doc["devices"].is_array()) {
        return "the document has no \"devices\" list";
    }
    return {};
}

ordered_json settingsJson(const EmulatedDevice& device) {
    const DeviceSettings& s = device.settings;
    ordered_json entry;
    entry["mac"] = formatMac(device.mac);
    entry["name"] = Latin1ToUtf8(s.name);
    entry["password"] = Latin1ToUtf8(s.password);
    entry["ipMode"] = s.ipMode == 0 ? "dhcp" : "static";
    entry["ip"] = FormatIPv4(s.ip);
    entry["netmask"] = FormatIPv4(s.netmask);
    entry["gateway"] = FormatIPv4(s.gateway);
    entry["ssid"] = Latin1ToUtf8(s.ssid);
    entry["channel"] = s.channel;
    entry["security"] = s.security;
    entry["key"] = Latin1ToUtf8(s.key);
    entry["networkMode"] = networkModeName(s.networkMode);
    return entry;
}

}  // namespace

DeviceToken randomToken() {
    std::random_device source;
    std::uniform_int_distribution<int> byte(0, 255);
    DeviceToken token{};
    for (auto& b : token) {
        b = static_cast<std::uint8_t>(byte(source));
    }
    return token;
}

std::vector<EmulatedDevice> defaultDevices(const TokenSource& tokens) {
    EmulatedDevice device;
    device.token = tokens();
    return {device};
}

DevicesResult parseConfig(std::string_view jsonText, const TokenSource& tokens) {
    DevicesResult result;
    const auto doc = parseDocument(jsonText, result.error);
    if (!doc) {
        return result;
    }
    if (result.error = checkTopLevel(*doc, {"devices"}); !result.error.empty()) {
        return result;
    }
    const json& list = (*doc)["devices"];
    if (list.empty()) {
        result.error = "the \"devices\" list is empty";
        return result;
    }
    if (list.size() > kMaxEmulatedDevices) {
        result.error = "the \"devices\" list has " + std::to_string(list.size()) +
                       " entries, at most " + std::to_string(kMaxEmulatedDevices) + " are allowed";
        return result;
    }
    std::vector<EmulatedDevice> devices;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const json& entry = list[i];
        const std::string label = deviceLabel(i, entry);
        if (!entry.is_object()) {
            result.error = label + ": must be a JSON object, not " + shown(entry);
            return result;
        }
        if (!entry.contains("mac")) {
            result.error = label + ": \"mac\" is missing";
            return result;
        }
        EmulatedDevice device;
        bool deviceIdGiven = false;
        bool tokenGiven = false;
        for (const auto& [key, value] : entry.items()) {
            const std::string error =
                readDeviceField(key, value, device, deviceIdGiven, tokenGiven);
            if (!error.empty()) {
                result.error = label + ": " + error;
                return result;
            }
        }
        if (!deviceIdGiven) {
            device.deviceId = device.mac;
        }
        if (!tokenGiven) {
            device.token = tokens();
        }
        for (std::size_t j = 0; j < devices.size(); ++j) {
            const std::string other = deviceLabel(j, list[j]);
            if (devices[j].mac == device.mac) {
                result.error =
                    label + ": \"mac\" " + formatMac(device.mac) + " is also the mac of " + other;
                return result;
            }
            if (devices[j].deviceId == device.deviceId) {
                result.error = label + ": \"deviceId\" " + hexText(device.deviceId) +
                               " is also the deviceId of " + other +
                               (deviceIdGiven ? "" : " (it defaults to the mac)");
                return result;
            }
        }
        devices.push_back(std::move(device));
    }
    result.devices = std::move(devices);
    return result;
}

std::string stateText(const std::vector<EmulatedDevice>& devices) {
    ordered_json doc;
    doc["version"] = kStateVersion;
    doc["devices"] = ordered_json::array();
    for (const EmulatedDevice& device : devices) {
        doc["devices"].push_back(settingsJson(device));
    }
    return doc.dump(2) + "\n";
}

StateApplied applyState(std::string_view jsonText, std::vector<EmulatedDevice>& devices) {
    StateApplied result;
    const auto doc = parseDocument(jsonText, result.error);
    if (!doc) {
        return result;
    }
    if (result.error = checkTopLevel(*doc, {"version", "devices"}); !result.error.empty()) {
        return result;
    }
    if (doc->contains("version") && (*doc)["version"] != kStateVersion) {
        result.error = "version " + shown((*doc)["version"]) + " is not the supported version " +
                       std::to_string(kStateVersion);
        return result;
    }
    std::vector<EmulatedDevice> updated = devices;
    std::vector<MacAddress> seen;
    const json& list = (*doc)["devices"];
    for (std::size_t i = 0; i < list.size(); ++i) {
        const json& entry = list[i];
        std::string label = "device " + std::to_string(i + 1);
        if (!entry.is_object()) {
            result.error = label + ": must be a JSON object, not " + shown(entry);
            return result;
        }
        MacAddress mac{};
        if (!entry.contains("mac")) {
            result.error = label + ": \"mac\" is missing";
            return result;
        }
        if (const std::string error = readMac(entry["mac"], mac); !error.empty()) {
            result.error = label + ": " + error;
            return result;
        }
        label += " (" + formatMac(mac) + ")";
        if (std::find(seen.begin(), seen.end(), mac) != seen.end()) {
            result.error = label + ": the mac is listed twice";
            return result;
        }
        seen.push_back(mac);
        const auto target = std::find_if(updated.begin(), updated.end(),
                                         [&](const EmulatedDevice& d) { return d.mac == mac; });
        DeviceSettings settings = target != updated.end() ? target->settings : DeviceSettings{};
        for (const auto& [key, value] : entry.items()) {
            if (key == "mac") {
                continue;
            }
            bool handled = false;
            std::string error = readSettingsField(key, value, settings, handled);
            if (!handled) {
                error = "unknown field " + shownText(key);
            }
            if (!error.empty()) {
                result.error = label + ": " + error;
                return result;
            }
        }
        if (target == updated.end()) {
            result.notices.push_back("no configured device has the mac " + formatMac(mac) +
                                     "; its saved settings are ignored");
        } else {
            target->settings = settings;
        }
    }
    devices = std::move(updated);
    return result;
}

FileText readTextFile(const std::filesystem::path& path) {
    FileContents contents = ReadRegularFile(path, kMaxFileSize);
    FileText result;
    result.status = contents.error.empty() ? FileText::Status::Read
                    : contents.missing     ? FileText::Status::Missing
                                           : FileText::Status::Failed;
    result.text = std::move(contents.text);
    result.error = std::move(contents.error);
    return result;
}

StateLoadResult loadStateFile(const std::filesystem::path& path,
                              std::vector<EmulatedDevice>& devices) {
    StateLoadResult result;
    const FileText file = readTextFile(path);
    if (file.status == FileText::Status::Missing) {
        result.outcome = StateLoad::Missing;
        return result;
    }
    if (file.status == FileText::Status::Failed) {
        result.error = file.error;
        return result;
    }
    StateApplied applied = applyState(file.text, devices);
    if (!applied.ok()) {
        result.error = path.string() + ": " + applied.error;
        return result;
    }
    result.outcome = StateLoad::Applied;
    result.notices = std::move(applied.notices);
    return result;
}

std::string writeStateFile(const std::filesystem::path& path,
                           const std::vector<EmulatedDevice>& devices) {
    return WriteFileAtomically(path, stateText(devices));
}

}  // namespace trv81k::emulator
