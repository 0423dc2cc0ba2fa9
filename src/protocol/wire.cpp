#include "protocol/wire.h"

#include <algorithm>
#include <cstdio>

#include "protocol/byte_io.h"

namespace trv81k {
namespace {

std::span<const std::uint8_t> bytesOf(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

template <std::size_t N>
std::string textUpToZero(const std::array<std::uint8_t, N>& field, std::size_t limit = N) {
    const auto end = field.begin() + static_cast<std::ptrdiff_t>(std::min(limit, N));
    const auto zero = std::find(field.begin(), end, std::uint8_t{0});
    return std::string(field.begin(), zero);
}

bool hasTag(std::span<const std::uint8_t, kPlainSize> plain, std::string_view tagText) {
    return std::equal(tagText.begin(), tagText.end(), plain.begin(),
                      [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; });
}

PlainMessage withTag(std::string_view tagText) {
    PlainMessage plain{};
    std::copy(tagText.begin(), tagText.end(), plain.begin());
    return plain;
}

// Reads a length byte and that many bytes into `field`; fails the reader when the length
// exceeds `capacity`.
template <std::size_t N>
std::uint8_t readLengthPrefixed(ByteReader& in, std::array<std::uint8_t, N>& field,
                                std::size_t capacity) {
    const std::uint8_t length = in.get();
    if (length > capacity) {
        in.fail();
        return 0;
    }
    in.get(std::span(field).first(length));
    return length;
}

std::string readLengthPrefixedText(ByteReader& in) {
    const std::uint8_t length = in.get();
    const auto bytes = in.take(length);
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace

std::size_t keyBytesFor(int securityMode) {
    switch (securityMode) {
        case kSecurityWep64:
            return 10;
        case kSecurityWep128:
            return 26;
        case kSecurityWpaTkip:
        case kSecurityWpaAes:
        case kSecurityWpa2Tkip:
        case kSecurityWpa2Aes:
        case kSecurityWpa2Mixed:
            return 64;
        default:
            return 0;
    }
}

std::size_t auxKeyBlockSize(std::uint8_t auxKeyCode) {
    switch (auxKeyCode) {
        case 1:
            return 5;
        case 2:
            return 13;
        case 3:
            return 16;
        default:
            return 0;
    }
}

MessageKind classify(std::span<const std::uint8_t, kPlainSize> plain) {
    static constexpr std::pair<std::string_view, MessageKind> kTags[] = {
        {tag::kSearchRequest, MessageKind::SearchRequest},
        {tag::kAuthRequest, MessageKind::AuthRequest},
        {tag::kConfigureRequest, MessageKind::ConfigureRequest},
        {tag::kCheckBPSRequest, MessageKind::CheckBPSRequest},
        {tag::kSearchAnswer, MessageKind::SearchAnswer},
        {tag::kAuthAnswer, MessageKind::AuthAnswer},
        {tag::kConfigureAnswer, MessageKind::ConfigureAnswer},
        {tag::kCheckBPSAnswer, MessageKind::CheckBPSAnswer},
    };
    for (const auto& [text, kind] : kTags) {
        if (hasTag(plain, text)) {
            return kind;
        }
    }
    return MessageKind::Unknown;
}

std::string DeviceInfo::ssidText() const {
    return textUpToZero(ssid, ssidLength);
}
std::string DeviceInfo::deviceNameText() const {
    return textUpToZero(deviceName, deviceNameLength);
}
std::string DeviceInfo::devicePasswordText() const {
    return textUpToZero(devicePassword);
}
std::string DeviceInfo::firmwareText() const {
    return textUpToZero(firmwareVersion, 5);
}
std::string DeviceInfo::auxNameText() const {
    return textUpToZero(auxName, auxNameLength);
}

std::string formatMac(const MacAddress& mac) {
    char text[18];
    std::snprintf(text, sizeof text, "%02X-%02X-%02X-%02X-%02X-%02X", mac[0], mac[1], mac[2],
                  mac[3], mac[4], mac[5]);
    return text;
}

std::optional<MacAddress> parseMac(std::string_view text) {
    if (text.size() != 17) {
        return std::nullopt;
    }
    auto hexValue = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    };
    MacAddress mac{};
    const char separator = text[2];
    if (separator != '-' && separator != ':') {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < 6; ++i) {
        const int high = hexValue(text[i * 3]);
        const int low = hexValue(text[i * 3 + 1]);
        if (high < 0 || low < 0 || (i < 5 && text[i * 3 + 2] != separator)) {
            return std::nullopt;
        }
        mac[i] = static_cast<std::uint8_t>(high * 16 + low);
    }
    return mac;
}

// ---- Requests --------------------------------------------------------------------------------

PlainMessage buildSearchRequest() {
    return withTag(tag::kSearchRequest);
}

PlainMessage buildAuthRequest(const DeviceToken& token, const MacAddress& mac,
                              const Ipv4Address& localIP, std::string_view password) {
    PlainMessage plain = withTag(tag::kAuthRequest);
    ByteWriter out{std::span(plain).subspan(kTagSize)};
    out.put(token);
    out.put(mac);
    out.put(localIP);
    // The length byte tells exactly what follows: a password longer than one length byte or
    // than the message is cut rather than written past the message.
    constexpr std::size_t kRoom = kPlainSize - kTagSize - 4 - 6 - 4 - 1;
    out.putLengthPrefixed(password.substr(0, std::min<std::size_t>(255, kRoom)));
    return plain;
}

PlainMessage buildCheckBPSRequest(const MacAddress& mac) {
    PlainMessage plain = withTag(tag::kCheckBPSRequest);
    std::copy(mac.begin(), mac.end(), plain.begin() + kTagSize);
    return plain;
}

std::optional<PlainMessage> buildConfigureRequest(const ConfigureSettings& settings) {
    // Built in place: the request is made on every send, so it is not copied around.
    std::optional<PlainMessage> result(std::in_place);  // zeroed
    PlainMessage& plain = *result;
    std::copy(tag::kConfigureRequest.begin(), tag::kConfigureRequest.end(), plain.begin());
    ByteWriter out{std::span(plain).subspan(kTagSize)};
    out.put(settings.mac);
    out.put(settings.ipMode);
    out.put(settings.ipAddress);
    out.put(settings.subnetMask);
    out.put(settings.gateway);
    out.putLengthPrefixed(settings.deviceName);
    out.putLengthPrefixed(settings.password);
    out.put(settings.wirelessEditable);
    out.putLengthPrefixed(settings.auxName);
    out.put(settings.auxAttr);
    out.put(settings.auxKeyCode);
    // The device announces only the size of this block.
    out.putPadded(settings.auxKeyBlock, auxKeyBlockSize(settings.auxKeyCode));
    out.putLengthPrefixed(settings.ssid);
    out.put(settings.channel);
    out.put(settings.securityMode);
    out.putPadded(settings.key, keyBytesFor(settings.securityMode));
    out.put(settings.networkMode);
    if (!out.ok()) {
        result.reset();
    }
    return result;
}

std::optional<AuthRequest> parseAuthRequest(std::span<const std::uint8_t, kPlainSize> plain) {
    if (!hasTag(plain, tag::kAuthRequest)) {
        return std::nullopt;
    }
    AuthRequest request;
    ByteReader in{std::span(plain).subspan(kTagSize)};
    in.get(request.token);
    in.get(request.mac);
    in.get(request.localIP);
    request.password = readLengthPrefixedText(in);
    if (!in.ok()) {
        return std::nullopt;
    }
    return request;
}

std::optional<MacAddress> parseCheckBPSRequest(std::span<const std::uint8_t, kPlainSize> plain) {
    if (!hasTag(plain, tag::kCheckBPSRequest)) {
        return std::nullopt;
    }
    MacAddress mac{};
    std::copy_n(plain.begin() + kTagSize, mac.size(), mac.begin());
    return mac;
}

std::optional<ConfigureSettings> parseConfigureRequest(
    std::span<const std::uint8_t, kPlainSize> plain) {
    if (!hasTag(plain, tag::kConfigureRequest)) {
        return std::nullopt;
    }
    ConfigureSettings request;
    ByteReader in{std::span(plain).subspan(kTagSize)};
    in.get(request.mac);
    request.ipMode = in.get();
    in.get(request.ipAddress);
    in.get(request.subnetMask);
    in.get(request.gateway);
    request.deviceName = readLengthPrefixedText(in);
    request.password = readLengthPrefixedText(in);
    request.wirelessEditable = in.get();
    request.auxName = readLengthPrefixedText(in);
    request.auxAttr = in.get();
    request.auxKeyCode = in.get();
    const auto block = in.take(auxKeyBlockSize(request.auxKeyCode));
    request.auxKeyBlock.assign(block.begin(), block.end());
    request.ssid = readLengthPrefixedText(in);
    request.channel = in.get();
    request.securityMode = in.get();
    const auto key = in.take(keyBytesFor(request.securityMode));
    request.key.assign(key.begin(), std::find(key.begin(), key.end(), std::uint8_t{0}));
    request.networkMode = in.get();
    if (!in.ok()) {
        return std::nullopt;
    }
    return request;
}

// ---- Answers ---------------------------------------------------------------------------------

std::optional<PlainMessage> buildSearchAnswer(const DeviceInfo& device) {
    if (device.auxNameLength > kMaxTextLength || device.ssidLength > kMaxTextLength ||
        device.deviceNameLength > kMaxTextLength || device.auxTextLength > kMaxAuxTextLength) {
        return std::nullopt;
    }
    PlainMessage plain = withTag(tag::kSearchAnswer);
    ByteWriter out{std::span(plain).subspan(kTagSize)};
    out.put(device.deviceId);
    out.put(device.auxNameLength);
    out.put(std::span(device.auxName).first(device.auxNameLength));
    out.put(device.auxAttr);
    out.put(device.auxKeyCode);
    out.put(device.macAddress);
    out.put(device.ssidLength);
    out.put(std::span(device.ssid).first(device.ssidLength));
    out.put(device.channel);
    out.put(device.securityMode);
    out.put(device.deviceNameLength);
    out.put(std::span(device.deviceName).first(device.deviceNameLength));
    out.put(device.auxTextLength);
    out.put(std::span(device.auxText).first(device.auxTextLength));
    out.put(std::span(device.firmwareVersion).first(5));
    out.put(device.ipMode);
    out.put(device.ipAddress);
    out.put(device.subnetMask);
    out.put(device.gateway);
    out.put(kPairingMarker);
    out.put(device.networkMode);
    out.skip(7);
    out.put(device.deviceToken);
    out.put(device.devicePassword);
    if (!out.ok()) {
        return std::nullopt;
    }
    return plain;
}

PlainMessage buildAuthAnswer(const DeviceToken& token, const MacAddress& mac,
                             const Ipv4Address& clientIP, std::uint8_t status) {
    PlainMessage plain = withTag(tag::kAuthAnswer);
    ByteWriter out{std::span(plain).subspan(kTagSize)};
    out.put(token);
    out.put(mac);
    out.put(clientIP);
    out.put(status);
    return plain;
}

PlainMessage buildConfigureAnswer(const MacAddress& mac, std::uint8_t status) {
    PlainMessage plain = withTag(tag::kConfigureAnswer);
    ByteWriter out{std::span(plain).subspan(kTagSize)};
    out.put(mac);
    out.put(status);
    return plain;
}

PlainMessage buildCheckBPSAnswer(const MacAddress& mac, std::uint8_t pairingState) {
    PlainMessage plain = withTag(tag::kCheckBPSAnswer);
    ByteWriter out{std::span(plain).subspan(kTagSize)};
    out.put(mac);
    out.put(pairingState);
    return plain;
}

std::optional<AuthAnswer> parseAuthAnswer(std::span<const std::uint8_t, kPlainSize> plain) {
    if (!hasTag(plain, tag::kAuthAnswer)) {
        return std::nullopt;
    }
    AuthAnswer answer;
    ByteReader in{std::span(plain).subspan(kTagSize)};
    in.get(answer.token);
    in.get(answer.mac);
    in.get(answer.clientIP);
    answer.status = in.get();
    return answer;
}

std::optional<ConfigureAnswer> parseConfigureAnswer(
    std::span<const std::uint8_t, kPlainSize> plain) {
    if (!hasTag(plain, tag::kConfigureAnswer)) {
        return std::nullopt;
    }
    ConfigureAnswer answer;
    ByteReader in{std::span(plain).subspan(kTagSize)};
    in.get(answer.mac);
    answer.status = in.get();
    return answer;
}

std::optional<CheckBPSAnswer> parseCheckBPSAnswer(std::span<const std::uint8_t, kPlainSize> plain) {
    if (!hasTag(plain, tag::kCheckBPSAnswer)) {
        return std::nullopt;
    }
    CheckBPSAnswer answer;
    ByteReader in{std::span(plain).subspan(kTagSize)};
    in.get(answer.mac);
    answer.pairingState = in.get();
    return answer;
}

ParsedSearchAnswer parseSearchAnswer(std::span<const std::uint8_t, kPlainSize> plain) {
    ParsedSearchAnswer result;
    DeviceInfo& device = result.device;
    ByteReader in{std::span(plain).subspan(kTagSize)};
    in.get(device.deviceId);
    device.auxNameLength = readLengthPrefixed(in, device.auxName, kMaxTextLength);
    device.auxAttr = in.get();
    device.auxKeyCode = in.get();
    in.get(device.macAddress);
    device.ssidLength = readLengthPrefixed(in, device.ssid, kMaxTextLength);
    device.channel = in.get();
    device.securityMode = in.get();
    device.deviceNameLength = readLengthPrefixed(in, device.deviceName, kMaxTextLength);
    device.auxTextLength = readLengthPrefixed(in, device.auxText, kMaxAuxTextLength);
    in.get(std::span(device.firmwareVersion).first(5));
    device.ipMode = in.get();
    in.get(device.ipAddress);
    in.get(device.subnetMask);
    in.get(device.gateway);
    const auto marker = in.take(kPairingMarker.size());
    if (!in.ok()) {
        result.outcome = SearchAnswerParse::Malformed;
        return result;
    }
    if (!std::equal(marker.begin(), marker.end(), bytesOf(kPairingMarker).begin())) {
        result.outcome = SearchAnswerParse::NoMarker;
        return result;
    }
    device.pairingCapable = 1;
    device.networkMode = in.get();
    in.skip(7);
    in.get(device.deviceToken);
    in.get(device.devicePassword);
    result.outcome = in.ok() ? SearchAnswerParse::Stored : SearchAnswerParse::Malformed;
    return result;
}

}  // namespace trv81k
