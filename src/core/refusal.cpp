#include "core/refusal.h"

#include <array>

namespace trv81k {
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

}  // namespace

std::string Refusal::text(const Texts& texts) const {
    std::string said;
    if (!messageKey.empty()) {
        said += texts.get(messageKey);
        if (!detail.empty()) {
            said += " " + detail;
        }
    } else {
        said += detail;
    }
    if (!hint.empty()) {
        said += " (" + hint + ")";
    }
    return said;
}

Refusal Refuse(std::string subject, std::string detail, std::string hint, Outcome outcome) {
    return RefuseWithText(std::move(subject), {}, std::move(detail), std::move(hint), outcome);
}

Refusal RefuseWithText(std::string subject, std::string_view messageKey, std::string detail,
                       std::string hint, Outcome outcome) {
    Refusal refusal;
    refusal.outcome = outcome;
    refusal.subject = std::move(subject);
    refusal.messageKey = std::string(messageKey);
    refusal.detail = std::move(detail);
    refusal.hint = std::move(hint);
    if (refusal.subject.starts_with("--")) {
        refusal.field = refusal.subject.substr(2, refusal.subject.find(' ') - 2);
    }
    return refusal;
}

const Texts& EnglishTexts() {
    static const Texts texts = [] {
        Texts english;
        for (const KeyText& entry : kFallback) {
            english.set(entry.key, std::string(entry.text));
        }
        return english;
    }();
    return texts;
}

std::vector<std::string_view> EnglishTextKeys() {
    std::vector<std::string_view> keys;
    for (const KeyText& entry : kFallback) {
        keys.push_back(entry.key);
    }
    return keys;
}

}  // namespace trv81k
