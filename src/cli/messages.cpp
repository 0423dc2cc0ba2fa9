#include "cli/messages.h"

#include <array>
#include <system_error>
#include <utility>

#include "l10n/profile_reader.h"
#include "settings/text_encoding.h"

namespace trv81k::cli {
namespace {

struct KeyText {
    std::string_view key;
    std::string_view text;
};

// The English texts of the keys the tool shows, for a machine without Language.ini.
constexpr std::array<KeyText, 24> kFallback{{
    {"Disable", "Disabled"},
    {"WPA_ENTERPRISE_TKIP", "WPA-Enterprise(TKIP)"},
    {"WPA_ENTERPRISE_AES", "WPA-Enterprise(AES)"},
    {"WPA2_Mixedmode", "WPA2 Mixed"},
    {"SOCKET_FAIL",
     "The network connection could not be opened. Please check that a network adapter is "
     "installed and enabled, then start the setup again."},
    {"BIND_FAIL",
     "The network port of the setup is in use. Please close any other copy of the setup "
     "software, then start it again."},
    {"CONFIGURE_FAIL",
     "The TRV81K did not confirm the new settings. Please check the network cable and the "
     "power of the TRV81K, then try again."},
    {"PASSWORD_ERROR", "The password is not correct. Please enter the password of the TRV81K."},
    {"SSID_ERROR", "Please enter a network name (SSID) of 1 to 32 characters."},
    {"KEY64_ERROR", "The 64-bit WEP key must be exactly 10 hexadecimal digits long."},
    {"KEY64_HEX_ERROR", "The 64-bit WEP key may only contain hexadecimal digits (0-9, A-F)."},
    {"KEY128_ERROR", "The 128-bit WEP key must be exactly 26 hexadecimal digits long."},
    {"KEY128_HEX_ERROR", "The 128-bit WEP key may only contain hexadecimal digits (0-9, A-F)."},
    {"INVALID_IP", "The IP address is not valid. Please enter an address such as 192.168.1.10."},
    {"INVALID_NETMASK", "The subnet mask is not valid. Please enter a mask such as 255.255.255.0."},
    {"INVALID_Gateway",
     "The gateway address is not valid. Please enter an address such as 192.168.1.1, or leave "
     "the field empty."},
    {"INVALID_NIC",
     "No network adapter can be used: none is up with an IPv4 address. Please connect this "
     "computer to the network and try again."},
    {"INVALID_PASSPHRASE", "The passphrase may be at most 16 characters long."},
    {"INVALID_PSK_LENGTH",
     "The pre-shared key must be 8 to 63 characters long, or 64 hexadecimal digits."},
    {"INVALID_PSK_KEY",
     "A pre-shared key of 64 characters may only contain hexadecimal digits (0-9, A-F)."},
    {"INVALID_PASSWORD", "The password must be 4 to 16 characters long."},
    {"CONTROL_CHARACTER_ERROR",
     "The text contains a control character, which cannot be typed and is not stored as such. "
     "Please enter it again."},
    {"DEVICE_NAME_ERROR", "Please enter a device name of 1 to 32 characters."},
    {"WSASTARTUP_FAIL", "The network functions of this computer could not be started."},
}};

bool isReadableFile(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

}  // namespace

std::string_view FallbackText(std::string_view key) {
    for (const KeyText& entry : kFallback) {
        if (entry.key == key) {
            return entry.text;
        }
    }
    return {};
}

std::vector<std::filesystem::path> LanguageFileCandidates(const std::filesystem::path& exeDir) {
    std::vector<std::filesystem::path> candidates{std::filesystem::path("Language.ini")};
    if (!exeDir.empty()) {
        candidates.push_back(exeDir / "Language.ini");
        candidates.push_back(exeDir / ".." / "share" / "trv81k" / "Language.ini");
    }
    return candidates;
}

std::filesystem::path ExecutableDir() {
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : exe.parent_path();
}

Messages::Messages() {
    for (const KeyText& entry : kFallback) {
        texts_.set(entry.key, std::string(entry.text));
    }
}

Messages Messages::FromReader(const ProfileReader& reader, std::filesystem::path source) {
    Messages messages;
    for (const KeyText& entry : kFallback) {
        std::string text = reader.ReadString(kMessageSection, entry.key, "");
        if (!text.empty()) {
            messages.texts_.set(entry.key, std::move(text));
        }
    }
    messages.source_ = std::move(source);
    return messages;
}

Messages Messages::Load(const std::vector<std::filesystem::path>& candidates) {
    for (const std::filesystem::path& path : candidates) {
        if (!isReadableFile(path)) {
            continue;
        }
        const ProfileReader reader(path);
        if (reader.loaded()) {
            return FromReader(reader, path);
        }
    }
    return Messages();
}

std::string Refusal::line(const Messages& messages) const {
    std::string line = std::string(kProgramName) + ": ";
    if (!subject.empty()) {
        line += subject + ": ";
    }
    // Subjects and details may repeat values from files and devices, and the texts come from
    // Language.ini: nothing of them may steer the terminal.
    return TerminalText(line + text(messages));
}

std::string Refusal::text(const Messages& messages) const {
    std::string text;
    if (!messageKey.empty()) {
        text += messages.text(messageKey);
        if (!detail.empty()) {
            text += " " + detail;
        }
    } else {
        text += detail;
    }
    if (!hint.empty()) {
        text += " (" + hint + ")";
    }
    return text;
}

}  // namespace trv81k::cli
