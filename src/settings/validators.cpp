#include "settings/validators.h"

#include <algorithm>
#include <cstddef>
#include <span>
#include <string>

namespace trv81k {

namespace {

constexpr std::string_view kIPEdit = "IPEdit";
constexpr std::string_view kNetmaskEdit = "NetmaskEdit";
constexpr std::string_view kGatewayEdit = "GatewayEdit";

// The netmask octet lists. An octet's number in "%d" form is in a list exactly when the number
// is, so the closed octets are compared as numbers; the last octet is compared as typed.
constexpr std::array<int, 7> kFirstOctetMasks = {128, 192, 224, 240, 248, 252, 255};
constexpr std::array<int, 8> kOctetMasks = {0, 128, 192, 224, 240, 248, 252, 255};
constexpr std::array<std::string_view, 8> kOctetMaskTexts = {"0",   "128", "192", "224",
                                                             "240", "248", "252", "255"};

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
// it), the normalised output and the address that the output reads as. Works in fixed buffers:
// the validators run on every configure request as well as on every Next.
class DottedScan {
public:
    void add(char c) {
        // The octet's number: its decimal digits, leading zeros not counting; saturated, so a
        // long run of digits cannot overflow into a small number.
        number_ = std::min(number_ * 10 + (c - '0'), kOctetCeiling);
        if (typedLength_ < typed_.size()) {
            typed_[typedLength_] = c;
        }
        ++typedLength_;
    }
    bool octetEmpty() const { return typedLength_ == 0; }
    // The octet as typed; an octet longer than four characters is cut, which no comparison
    // with the three-character mask texts can mistake for a match.
    std::string_view octet() const {
        return {typed_.data(), std::min(typedLength_, typed_.size())};
    }
    int octetNumber() const { return number_; }
    int dots() const { return dots_; }

    // A dot after a non-empty octet: "%d." goes to the output.
    void closeOctet() {
        append(number_);
        put('.');
        ++dots_;
        startOctet();
    }
    // End of the text, the last octet not empty: "%d" goes to the output.
    void finish() {
        lastNumber_ = number_;
        append(number_);
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
    // Complete whenever the output parses (four octets of at most three digits).
    std::string_view normalised() const { return {out_.data(), outLength_}; }

private:
    void startOctet() {
        number_ = 0;
        typedLength_ = 0;
    }
    void put(char c) {
        if (outLength_ < out_.size()) {
            out_[outLength_++] = c;
        }
    }
    void append(int number) {
        char digits[4];
        std::size_t count = 0;
        do {
            digits[count++] = static_cast<char>('0' + number % 10);
            number /= 10;
        } while (number > 0 && count < sizeof digits);
        while (count > 0) {
            put(digits[--count]);
        }
        if (octets_ < 4 && number_ <= 255) {
            bytes_[static_cast<std::size_t>(octets_)] = static_cast<std::uint8_t>(number_);
        } else {
            inRange_ = false;
        }
        ++octets_;
    }

    std::array<char, 4> typed_{};
    std::size_t typedLength_ = 0;
    int number_ = 0;
    std::array<char, 16> out_{};  // "255.255.255.255" fits; longer output never parses
    std::size_t outLength_ = 0;
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

AddressCheck Refused(std::string_view messageKey, std::string_view focusField, bool reset) {
    AddressCheck check;
    check.messageKey = messageKey;
    check.focusField = focusField;
    check.resetField = reset;
    return check;
}

AddressCheck Accepted(FieldOutcome outcome, const DottedScan& scan) {
    AddressCheck check;
    check.outcome = outcome;
    if (outcome == FieldOutcome::Valid) {
        check.bytes = scan.bytes();
    }
    check.normalised = std::string(scan.normalised());
    return check;
}

FieldCheck Refusal(std::string_view messageKey, std::string_view focusField) {
    return FieldCheck{false, messageKey, focusField};
}

}  // namespace

AddressCheck ValidateIPText(std::string_view text) {
    const auto refuse = [] { return Refused("INVALID_IP", kIPEdit, true); };
    DottedScan scan;
    for (const char c : text) {
        if (c == '.') {
            if (scan.octetEmpty()) {
                return refuse();
            }
            scan.closeOctet();
        } else if (IsDigit(c)) {
            scan.add(c);
        } else {
            return refuse();
        }
    }
    if (scan.octetEmpty()) {
        return refuse();
    }
    scan.finish();
    if (!IsUsableHostAddress(scan)) {
        return refuse();
    }
    return Accepted(FieldOutcome::Valid, scan);
}

AddressCheck ValidateNetmaskText(std::string_view text) {
    const auto refuse = [] { return Refused("INVALID_NETMASK", kNetmaskEdit, true); };
    DottedScan scan;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '.') {
            if (scan.octetEmpty()) {
                return refuse();
            }
            const int number = scan.octetNumber();
            if (scan.dots() == 0 && !InList<int>(kFirstOctetMasks, number)) {
                return refuse();
            }
            if ((scan.dots() == 1 || scan.dots() == 2) && !InList<int>(kOctetMasks, number)) {
                return refuse();
            }
            scan.closeOctet();
            continue;
        }
        // Only digits make an octet: a letter would otherwise end the octet's number and hide
        // behind the list check ("255a.255.255.0" reads as 255.255.255.0).
        if (!IsDigit(c)) {
            return refuse();
        }
        scan.add(c);
        // The last octet is compared as typed, so "000" is not "0".
        if (i + 1 == text.size() && !InList<std::string_view>(kOctetMaskTexts, scan.octet())) {
            return refuse();
        }
    }
    if (scan.octetEmpty()) {
        return refuse();
    }
    scan.finish();
    if (!scan.parses() || scan.value() == 0 || scan.value() == 0xFFFFFFFFu || scan.dots() != 3) {
        return refuse();
    }
    return Accepted(FieldOutcome::Valid, scan);
}

AddressCheck ValidateGatewayText(std::string_view text) {
    const auto refuse = [](bool reset) { return Refused("INVALID_Gateway", kGatewayEdit, reset); };
    DottedScan scan;
    for (const char c : text) {
        if (c == '.') {
            if (scan.octetEmpty()) {
                return refuse(true);
            }
            scan.closeOctet();
        } else if (IsDigit(c)) {
            scan.add(c);
        } else {
            return refuse(false);
        }
    }
    if (scan.octetEmpty()) {
        return refuse(true);
    }
    scan.finish();
    if (scan.normalised() == "0.0.0.0") {
        return Accepted(FieldOutcome::None, scan);
    }
    if (!IsUsableHostAddress(scan)) {
        return refuse(true);
    }
    return Accepted(FieldOutcome::Valid, scan);
}

FieldCheck CheckDevicePassword(std::string_view password) {
    if (password.size() < 4 || password.size() > 16) {
        return Refusal("INVALID_PASSWORD", {});
    }
    return {};
}

FieldCheck CheckSSID(std::string_view ssid) {
    if (ssid.empty() || ssid.size() > 32) {
        return Refusal("SSID_ERROR", "SSIDEdit");
    }
    return {};
}

FieldCheck CheckWepKey(int securityMode, std::string_view passphrase, std::string_view key) {
    if (securityMode != 1 && securityMode != 2) {
        return {};
    }
    const bool is64 = securityMode == 1;
    if (passphrase.size() > 16) {
        return Refusal("INVALID_PASSPHRASE", "PassphraseEdit");
    }
    if (key.size() != (is64 ? 10u : 26u)) {
        return Refusal(is64 ? "KEY64_ERROR" : "KEY128_ERROR", "Key1Edit");
    }
    if (!IsHexText(key)) {
        return Refusal(is64 ? "KEY64_HEX_ERROR" : "KEY128_HEX_ERROR", "Key1Edit");
    }
    return {};
}

FieldCheck CheckPreSharedKey(std::string_view psk) {
    if (psk.size() < 8 || psk.size() > 64) {
        return Refusal("INVALID_PSK_LENGTH", "PSKEdit");
    }
    if (psk.size() == 64 && !IsHexText(psk)) {
        return Refusal("INVALID_PSK_KEY", "PSKEdit");
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
