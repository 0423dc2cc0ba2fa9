// The validators and field checks against any text, and the typed fields on their way into a
// configure request:
//   - every outcome is consistent with itself and with the rules of validators.h (what an
//     accepted address, netmask or gateway can be; the key lengths; the hexadecimal rule);
//   - the sender's conversion (AddressBytes) agrees with what the page accepted;
//   - text conversions between the command line's UTF-8 and the devices' Latin-1 round-trip;
//   - a configure request built from fields cut out of the input either is refused as a whole
//     or reads back, field by field, as what was typed (never a text cut or shifted).
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/entered_settings.h"
#include "protocol/wire.h"
#include "settings/keygen.h"
#include "settings/text_encoding.h"
#include "settings/validators.h"

namespace {

using namespace trv81k;

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isHexDigit(char c) {
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
constexpr char kBackspace = 8;  // the key filters always let it through

bool onlyAddressChars(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return isDigit(c) || c == '.'; });
}

std::string dotted(const std::array<std::uint8_t, 4>& b) {
    return std::to_string(b[0]) + "." + std::to_string(b[1]) + "." + std::to_string(b[2]) + "." +
           std::to_string(b[3]);
}

bool isMaskOctet(int octet, bool first) {
    static constexpr std::array<int, 8> kOctets = {0, 128, 192, 224, 240, 248, 252, 255};
    return (octet != 0 || !first) &&
           std::find(kOctets.begin(), kOctets.end(), octet) != kOctets.end();
}

void checkAddress(std::string_view text, const AddressCheck& result, AddressField field) {
    const auto bytes = AddressBytes(field, text);
    if (result.outcome == FieldOutcome::Invalid) {
        check(!result.messageKey.empty() && result.field != SettingField::None);
        check(!bytes);
        return;
    }
    check(result.messageKey.empty());
    if (result.outcome == FieldOutcome::None) {
        check(field == AddressField::Gateway && result.normalised == "0.0.0.0" && !bytes);
        return;
    }
    // An accepted text is digits and dots and stands for the bytes it was read as.
    check(onlyAddressChars(text));
    check(bytes && *bytes == result.bytes);
    check(result.normalised == dotted(result.bytes));
    const auto& b = result.bytes;
    if (field == AddressField::Netmask) {
        check(isMaskOctet(b[0], true) && isMaskOctet(b[1], false) && isMaskOctet(b[2], false) &&
              isMaskOctet(b[3], false));
        check(b != (std::array<std::uint8_t, 4>{255, 255, 255, 255}));
    } else {
        check(b[3] != 0 && b[3] != 255);
    }
    // A valid text normalises to one that is valid again, to the same address.
    const AddressCheck again = field == AddressField::IP ? ValidateIPText(result.normalised)
                               : field == AddressField::Gateway
                                   ? ValidateGatewayText(result.normalised)
                                   : ValidateNetmaskText(result.normalised);
    check(again.outcome == FieldOutcome::Valid && again.bytes == result.bytes);
}

// Cuts the next piece off `rest`: up to the first '|', or everything.
std::string_view piece(std::string_view& rest) {
    const std::size_t bar = rest.find('|');
    const std::string_view out = rest.substr(0, bar);
    rest.remove_prefix(bar == std::string_view::npos ? rest.size() : bar + 1);
    return out;
}

// The values of the settings pages from the input "ip|mask|gateway|name|password|ssid|key" (and
// a security code, channel and the pages' path from the text's length), through the page checks
// to the configure request and back.
void checkConfigureRequest(std::string_view text) {
    std::string_view rest = text;
    EnteredSettings entered;
    entered.bStaticIP = text.size() % 2 == 0;
    entered.newIPText = piece(rest);
    entered.newNetmaskText = piece(rest);
    entered.newGatewayText = piece(rest);
    entered.newDeviceName = piece(rest);
    entered.newPassword = piece(rest);
    entered.newSSID = piece(rest);
    const std::string key(piece(rest));
    entered.newSecurityMode = static_cast<int>(text.size() % 12);
    entered.newWepKey = key;
    entered.newPSK = key;
    entered.newChannel = static_cast<int>(text.size() % 14);
    entered.newNetMode = static_cast<std::uint8_t>(text.size() % 3);
    entered.bWirelessEditable = text.size() % 5 != 0;
    DeviceInfo device;
    device.macAddress = {2, 0x81, 0, 0, 0, 7};

    const auto settings = BuildConfigureSettings(entered, device);
    const auto ip = AddressBytes(AddressField::IP, entered.newIPText);
    const auto mask = AddressBytes(AddressField::Netmask, entered.newNetmaskText);
    const bool passwordOk = CheckDevicePassword(entered.newPassword).ok;
    if (entered.bStaticIP && (!ip || !mask) && passwordOk &&
        entered.newDeviceName.size() <= kMaxTextLength &&
        CheckDeviceName(entered.newDeviceName).ok) {
        // A refused address is always named.
        const auto* refusals = std::get_if<std::vector<SettingRefusal>>(&settings);
        check(refusals != nullptr && !refusals->empty() &&
              (refusals->front().field == SettingField::IpAddress ||
               refusals->front().field == SettingField::Netmask));
        return;
    }
    if (const auto* refusals = std::get_if<std::vector<SettingRefusal>>(&settings)) {
        for (const SettingRefusal& refusal : *refusals) {
            check(refusal.field != SettingField::None);
            check(refusal.messageKey.empty() != refusal.detail.empty());
        }
        return;
    }
    const ConfigureSettings& s = std::get<ConfigureSettings>(settings);
    check(passwordOk && s.mac == device.macAddress && s.ipMode == (entered.bStaticIP ? 1 : 0));
    if (entered.bStaticIP) {
        check(s.ipAddress == *ip && s.subnetMask == *mask);
        check(s.gateway ==
              AddressBytes(AddressField::Gateway, entered.newGatewayText).value_or(Ipv4Address{}));
    } else {
        check(s.ipAddress == Ipv4Address{} && s.subnetMask == Ipv4Address{});
    }

    const auto built = buildConfigureRequest(s);
    const std::size_t keyWidth = keyBytesFor(s.securityMode);
    const std::size_t texts = s.deviceName.size() + s.password.size() + s.ssid.size();
    // Refused exactly when a text is longer than its length byte tells or the fields do not
    // fit the message: the tag, then 29 bytes of fixed fields besides the texts and the key.
    constexpr std::size_t kFixed = kTagSize + 29;
    const bool fits = s.deviceName.size() <= 255 && s.password.size() <= 255 &&
                      s.ssid.size() <= 255 && kFixed + texts + keyWidth <= kPlainSize;
    check(built.has_value() == fits);
    if (!built) {
        return;
    }
    auto read = parseConfigureRequest(*built);
    check(read.has_value());
    // The key travels in a field of its code's width and comes back up to its first zero byte.
    const std::string sent = s.key.substr(0, std::min(s.key.find('\0'), keyWidth));
    check(read->key == sent);
    read->key = s.key;
    check(*read == s);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    checkAddress(text, ValidateIPText(text), AddressField::IP);
    checkAddress(text, ValidateGatewayText(text), AddressField::Gateway);
    checkAddress(text, ValidateNetmaskText(text), AddressField::Netmask);

    for (int mode = -1; mode <= 12; ++mode) {
        const FieldCheck keys = CheckKeysForMode(mode, text, text, text);
        check(keys.ok == keys.messageKey.empty());
    }
    const bool hex = std::all_of(text.begin(), text.end(), isHexDigit);
    check(IsHexText(text) == hex);
    for (const char c : text) {
        check(IsHexKeyChar(c) == (isHexDigit(c) || c == kBackspace));
        check(IsAddressFieldChar(c) == (isDigit(c) || c == '.' || c == kBackspace));
    }
    check(CheckPreSharedKey(text).ok ==
          (text.size() >= 8 && text.size() <= 64 && (text.size() < 64 || hex)));
    check(CheckWepKey(1, "pass", text).ok == (text.size() == 10 && hex));
    check(CheckWepKey(2, "pass", text).ok == (text.size() == 26 && hex));
    const bool control = HasControlCharacter(text);
    check(CheckSSID(text).ok == (!text.empty() && text.size() <= 32 && !control));
    check(CheckDevicePassword(text).ok == (text.size() >= 4 && text.size() <= 16 && !control));
    check(CheckDeviceName(text).ok == (!text.empty() && !control));
    if (!text.empty()) {
        // The WEP page's derived keys pass the WEP page's own check.
        const std::string key64 = Wep64KeyText(text);
        const std::string key128 = Wep128KeyText(text);
        check(key64.size() == 10 && key128.size() == 26);
        check(CheckWepKey(1, text, key64).ok == (text.size() <= 16));
        check(CheckWepKey(2, text, key128).ok == (text.size() <= 16));
    }

    // UTF-8 and Latin-1: every byte string survives the way there and back, and a UTF-8
    // text that converts is the one its conversion gives back.
    check(Utf8ToLatin1(Latin1ToUtf8(text)) == std::string(text));
    if (const auto latin1 = Utf8ToLatin1(text)) {
        check(latin1->size() <= text.size() && Latin1ToUtf8(*latin1) == text);
    }

    checkConfigureRequest(text);
    return 0;
}
