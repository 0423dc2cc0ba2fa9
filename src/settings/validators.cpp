#include "settings/validators.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <span>
#include <string>

#include "settings/text_encoding.h"

namespace trv81k {

namespace {

// The netmask octet lists. An octet's number in "%d" form is in a list exactly when the number
// is, so the closed octets are compared as numbers; the last octet is compared as typed.
constexpr std::array<int, 7> kFirstOctetMasks = {128, 192, 224, 240, 248, 252, 255};
constexpr std::array<int, 8> kOctetMasks = {0, 128, 192, 224, 240, 248, 252, 255};

// Octet numbers are read with saturation: anything above 255 is refused anyway, and a long run
// of digits must not overflow into a small number.
constexpr int kOctetCeiling = 1000;
constexpr char kBackspace = 8;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

template <typename T>
bool InList(std::span<const T> list, const T& value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

// The dotted-text scan shared by the three validators: the current octet (only digits reach
// it) and the address that the normalised output reads as. Works in fixed buffers: the
// validators run on every configure request as well as on every Next.
//
// The normalised output is each octet's number in plain decimal, joined by dots. It is used only
// when it parses as an address, that is when it is four octets of at most 255 each, and then it
// is exactly the four address bytes written out; so the scan keeps the bytes and writes the text
// only for an accepted address.
class DottedScan {
public:
    void add(char c) {
        // The octet's number: its decimal digits, leading zeros not counting; saturated, so a
        // long run of digits cannot overflow into a small number.
        number_ = std::min(number_ * 10 + (c - '0'), kOctetCeiling);
        ++typedLength_;
    }
    bool octetEmpty() const { return typedLength_ == 0; }
    int octetNumber() const { return number_; }
    // Whether the octet as typed is one of the numbers written in plain decimal: its number is
    // in the list and it has no leading zero ("000" is not "0").
    bool octetTypedAsOneOf(std::span<const int> numbers) const {
        const std::size_t plainLength = number_ >= 100 ? 3 : number_ >= 10 ? 2 : 1;
        return typedLength_ == plainLength && InList<int>(numbers, number_);
    }
    int dots() const { return dots_; }

    // A dot after a non-empty octet.
    void closeOctet() {
        store();
        ++dots_;
        startOctet();
    }
    // End of the text, the last octet not empty.
    void finish() {
        lastNumber_ = number_;
        store();
        startOctet();
    }

    // The output read as a dotted IPv4 address: exactly four octets, each at most 255.
    bool parses() const { return inRange_ && octets_ == 4; }
    std::uint32_t value() const {
        return (std::uint32_t{bytes_[0]} << 24) | (std::uint32_t{bytes_[1]} << 16) |
               (std::uint32_t{bytes_[2]} << 8) | std::uint32_t{bytes_[3]};
    }
    int lastNumber() const { return lastNumber_; }
    const std::array<std::uint8_t, 4>& bytes() const { return bytes_; }
    // The normalised output; only for a scan that parses.
    std::string normalised() const {
        std::array<char, 16> text{};  // "255.255.255.255"
        char* end = text.data();
        for (std::size_t i = 0; i < bytes_.size(); ++i) {
            if (i > 0) {
                *end++ = '.';
            }
            end = std::to_chars(end, text.data() + text.size(), bytes_[i]).ptr;
        }
        return std::string(text.data(), end);
    }

private:
    void startOctet() {
        number_ = 0;
        typedLength_ = 0;
    }
    void store() {
        if (octets_ < 4 && number_ <= 255) {
            bytes_[static_cast<std::size_t>(octets_)] = static_cast<std::uint8_t>(number_);
        } else {
            inRange_ = false;
        }
        ++octets_;
    }

    std::size_t typedLength_ = 0;
    int number_ = 0;
    std::array<std::uint8_t, 4> bytes_{};
    int dots_ = 0;
    int octets_ = 0;
    int lastNumber_ = 0;
    bool inRange_ = true;
};

// The rule an address and a gateway share.
bool IsUsableHostAddress(const DottedScan& scan) {
    return scan.parses() && scan.value() != 0 && scan.value() != 0xFFFFFFFFu && scan.dots() == 3 &&
           scan.lastNumber() != 0 && scan.lastNumber() != 255;
}

FieldCheck Refusal(std::string_view messageKey, SettingField field) {
    return FieldCheck{false, messageKey, field};
}

// What a scan made of a text: the outcome, whether a refusal puts the field's last accepted text
// back, and the scan itself (the bytes and the normalised text of an accepted one).
struct Scanned {
    FieldOutcome outcome = FieldOutcome::Invalid;
    bool reset = true;
    DottedScan scan;
};

Scanned Refuse(bool reset = true) {
    Scanned result;
    result.reset = reset;
    return result;
}

Scanned Accept(FieldOutcome outcome, const DottedScan& scan) {
    return Scanned{outcome, false, scan};
}

Scanned ScanIP(std::string_view text) {
    DottedScan scan;
    for (const char c : text) {
        if (c == '.') {
            if (scan.octetEmpty()) {
                return Refuse();
            }
            scan.closeOctet();
        } else if (IsDigit(c)) {
            scan.add(c);
        } else {
            return Refuse();
        }
    }
    if (scan.octetEmpty()) {
        return Refuse();
    }
    scan.finish();
    if (!IsUsableHostAddress(scan)) {
        return Refuse();
    }
    return Accept(FieldOutcome::Valid, scan);
}

Scanned ScanNetmask(std::string_view text) {
    DottedScan scan;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '.') {
            if (scan.octetEmpty()) {
                return Refuse();
            }
            const int number = scan.octetNumber();
            if (scan.dots() == 0 && !InList<int>(kFirstOctetMasks, number)) {
                return Refuse();
            }
            if ((scan.dots() == 1 || scan.dots() == 2) && !InList<int>(kOctetMasks, number)) {
                return Refuse();
            }
            scan.closeOctet();
            continue;
        }
        // Only digits make an octet: a letter would otherwise end the octet's number and hide
        // behind the list check ("255a.255.255.0" reads as 255.255.255.0).
        if (!IsDigit(c)) {
            return Refuse();
        }
        scan.add(c);
        // The last octet is compared as typed, so "000" is not "0".
        if (i + 1 == text.size() && !scan.octetTypedAsOneOf(kOctetMasks)) {
            return Refuse();
        }
    }
    if (scan.octetEmpty()) {
        return Refuse();
    }
    scan.finish();
    if (!scan.parses() || scan.value() == 0 || scan.value() == 0xFFFFFFFFu || scan.dots() != 3) {
        return Refuse();
    }
    return Accept(FieldOutcome::Valid, scan);
}

Scanned ScanGateway(std::string_view text) {
    DottedScan scan;
    for (const char c : text) {
        if (c == '.') {
            if (scan.octetEmpty()) {
                return Refuse();
            }
            scan.closeOctet();
        } else if (IsDigit(c)) {
            scan.add(c);
        } else {
            return Refuse(false);  // the typed text stays in the field
        }
    }
    if (scan.octetEmpty()) {
        return Refuse();
    }
    scan.finish();
    if (scan.parses() && scan.value() == 0) {  // the normalised text reads "0.0.0.0"
        return Accept(FieldOutcome::None, scan);
    }
    if (!IsUsableHostAddress(scan)) {
        return Refuse();
    }
    return Accept(FieldOutcome::Valid, scan);
}

// The check a window needs: the bytes and normalised text of an accepted text, or the message,
// the field to focus and whether it is reset.
AddressCheck ToCheck(const Scanned& scanned, std::string_view messageKey, SettingField field) {
    AddressCheck check;
    check.outcome = scanned.outcome;
    if (scanned.outcome == FieldOutcome::Invalid) {
        check.messageKey = messageKey;
        check.field = field;
        check.resetField = scanned.reset;
        return check;
    }
    if (scanned.outcome == FieldOutcome::Valid) {
        check.bytes = scanned.scan.bytes();
    }
    check.normalised = scanned.scan.normalised();
    return check;
}

}  // namespace

AddressCheck ValidateIPText(std::string_view text) {
    return ToCheck(ScanIP(text), "INVALID_IP", SettingField::IpAddress);
}

AddressCheck ValidateNetmaskText(std::string_view text) {
    return ToCheck(ScanNetmask(text), "INVALID_NETMASK", SettingField::Netmask);
}

AddressCheck ValidateGatewayText(std::string_view text) {
    return ToCheck(ScanGateway(text), "INVALID_Gateway", SettingField::Gateway);
}

std::optional<std::array<std::uint8_t, 4>> AddressBytes(AddressField field, std::string_view text) {
    Scanned scanned;
    switch (field) {
        case AddressField::IP:
            scanned = ScanIP(text);
            break;
        case AddressField::Netmask:
            scanned = ScanNetmask(text);
            break;
        case AddressField::Gateway:
            scanned = ScanGateway(text);
            break;
    }
    if (scanned.outcome != FieldOutcome::Valid) {
        return std::nullopt;
    }
    return scanned.scan.bytes();
}

FieldCheck CheckDevicePassword(std::string_view password) {
    if (password.size() < kMinDevicePasswordLength || password.size() > kMaxDevicePasswordLength) {
        return Refusal("INVALID_PASSWORD", SettingField::DevicePassword);
    }
    if (HasControlCharacter(password)) {
        return Refusal("CONTROL_CHARACTER_ERROR", SettingField::DevicePassword);
    }
    return {};
}

FieldCheck CheckSSID(std::string_view ssid) {
    if (ssid.empty() || ssid.size() > 32) {
        return Refusal("SSID_ERROR", SettingField::Ssid);
    }
    if (HasControlCharacter(ssid)) {
        return Refusal("CONTROL_CHARACTER_ERROR", SettingField::Ssid);
    }
    return {};
}

FieldCheck CheckDeviceName(std::string_view name) {
    if (name.empty()) {
        return Refusal("DEVICE_NAME_ERROR", SettingField::DeviceName);
    }
    if (HasControlCharacter(name)) {
        return Refusal("CONTROL_CHARACTER_ERROR", SettingField::DeviceName);
    }
    return {};
}

FieldCheck CheckWepKey(int securityMode, std::string_view passphrase, std::string_view key) {
    if (securityMode != 1 && securityMode != 2) {
        return {};
    }
    const bool is64 = securityMode == 1;
    if (passphrase.size() > kMaxPassphraseLength) {
        return Refusal("INVALID_PASSPHRASE", SettingField::Passphrase);
    }
    if (key.size() != (is64 ? 10u : 26u)) {
        return Refusal(is64 ? "KEY64_ERROR" : "KEY128_ERROR", SettingField::WepKey);
    }
    if (!IsHexText(key)) {
        return Refusal(is64 ? "KEY64_HEX_ERROR" : "KEY128_HEX_ERROR", SettingField::WepKey);
    }
    return {};
}

FieldCheck CheckPreSharedKey(std::string_view psk) {
    if (psk.size() < 8 || psk.size() > 64) {
        return Refusal("INVALID_PSK_LENGTH", SettingField::PreSharedKey);
    }
    if (psk.size() == 64 && !IsHexText(psk)) {
        return Refusal("INVALID_PSK_KEY", SettingField::PreSharedKey);
    }
    return {};
}

FieldCheck CheckKeysForMode(int securityMode, std::string_view passphrase, std::string_view wepKey,
                            std::string_view psk) {
    switch (securityMode) {
        case 1:
        case 2:
            return CheckWepKey(securityMode, passphrase, wepKey);
        case 3:
        case 4:
        case 8:
        case 9:
        case 10:
            return CheckPreSharedKey(psk);
        default:
            return {};
    }
}

bool IsAddressFieldChar(char c) {
    return IsDigit(c) || c == '.' || c == kBackspace;
}

bool IsHexKeyChar(char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || c == kBackspace;
}

bool IsHexText(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return c != kBackspace && IsHexKeyChar(c); });
}

}  // namespace trv81k
