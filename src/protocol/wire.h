#pragma once
// The device protocol's messages: tags, layouts, the records they fill and the builders and
// parsers that turn one into the other. Everything here is a pure function of bytes and state;
// the sockets live in channel.h and Receivemulticastunit.h.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/ipv4.h"

namespace trv81k {

inline constexpr char kGroupAddress[] = "234.2.2.2";
inline constexpr std::uint16_t kProtocolPort = 14675;

inline constexpr std::size_t kPlainSize = 320;          // one plain message
inline constexpr std::size_t kCipherSize = 640;         // its encrypted form
inline constexpr std::size_t kDatagramSize = 641;       // cipher bytes and the checksum byte
inline constexpr std::size_t kReceiveBufferSize = 740;  // the largest datagram a receiver reads
inline constexpr std::size_t kTagSize = 24;
inline constexpr std::size_t kMaxDevices = 32;
inline constexpr std::size_t kMaxTextLength = 32;  // SSID, device name, second name
inline constexpr std::size_t kMaxAuxTextLength = 6;
inline constexpr std::size_t kMaxLoginPasswordLength = 32;

using PlainMessage = std::array<std::uint8_t, kPlainSize>;
using CipherBlock = std::array<std::uint8_t, kCipherSize>;
using Datagram = std::array<std::uint8_t, kDatagramSize>;
using MacAddress = std::array<std::uint8_t, 6>;
using DeviceToken = std::array<std::uint8_t, 4>;
using DeviceId = std::array<std::uint8_t, 6>;

// The eight tags: 24 ASCII characters each, no terminator on the wire.
namespace tag {
inline constexpr std::string_view kSearchRequest{"TRV81KV3ClientSearchingF"};
inline constexpr std::string_view kAuthRequest{"TRV81KV3ClientAuthReqPkt"};
inline constexpr std::string_view kConfigureRequest{"TRV81KV3ClientConfigureR"};
inline constexpr std::string_view kCheckBPSRequest{"TRV81KV3ClientCheckBPSRe"};
inline constexpr std::string_view kSearchAnswer{"TRV81KV3ServerSearchingA"};
inline constexpr std::string_view kAuthAnswer{"TRV81KV3ServerAuthReqAck"};
inline constexpr std::string_view kConfigureAnswer{"TRV81KV3ServerConfigureA"};
inline constexpr std::string_view kCheckBPSAnswer{"TRV81KV3ServerCheckBPSAc"};
}  // namespace tag

// The marker that a search answer must carry to be stored.
inline constexpr std::string_view kPairingMarker{"EWSC"};

// The argument of sendPacket.
enum class PacketKind : std::uint8_t {
    Search = 1,
    Authentication = 2,
    Configure = 3,
    CheckBPS = 4
};

// Wire codes of the wireless security (one byte on the wire, an int in the wizard state).
enum SecurityMode : int {
    kSecurityDisabled = 0,
    kSecurityWep64 = 1,
    kSecurityWep128 = 2,
    kSecurityWpaTkip = 3,
    kSecurityWpaAes = 4,
    kSecurityWpaEnterpriseTkip = 5,
    kSecurityWpaEnterpriseAes = 6,
    kSecurityRadius = 7,
    kSecurityWpa2Tkip = 8,
    kSecurityWpa2Aes = 9,
    kSecurityWpa2Mixed = 10,
    kSecurityPairing = 11,  // wireless settings left to push-button pairing
};

// Number of key bytes the configure request carries for a security code: 0, 10, 26 or 64.
std::size_t keyBytesFor(int securityMode);

// Which message a plain message is, by its tag.
enum class MessageKind {
    Unknown,
    SearchRequest,
    AuthRequest,
    ConfigureRequest,
    CheckBPSRequest,
    SearchAnswer,
    AuthAnswer,
    ConfigureAnswer,
    CheckBPSAnswer,
};
MessageKind classify(std::span<const std::uint8_t, kPlainSize> plain);

// One access point as learned from its search answer. Texts keep their length byte; the
// NUL-terminated ones have room for the terminator.
struct DeviceInfo {
    std::uint8_t ipMode = 0;  // 0 DHCP, 1 static
    Ipv4Address ipAddress{};
    Ipv4Address subnetMask{};
    Ipv4Address gateway{};
    MacAddress macAddress{};
    std::array<std::uint8_t, 33> ssid{};
    std::uint8_t ssidLength = 0;
    std::uint8_t channel = 0;
    std::uint8_t securityMode = 0;
    DeviceId deviceId{};
    std::array<std::uint8_t, 33> auxName{};
    std::uint8_t auxNameLength = 0;
    std::uint8_t auxAttr = 0;
    std::uint8_t auxKeyCode = 0;
    std::array<std::uint8_t, 33> deviceName{};
    std::uint8_t deviceNameLength = 0;
    std::array<std::uint8_t, 6> auxText{};
    std::uint8_t auxTextLength = 0;
    std::array<std::uint8_t, 32> devicePassword{};
    std::array<std::uint8_t, 6> firmwareVersion{};  // 5 characters and a zero byte
    DeviceToken deviceToken{};
    std::uint8_t pairingCapable = 0;
    std::uint8_t networkMode = 0;  // 0 mixed, 1 G-only, 2 B-only

    // Texts as 8-bit strings (one byte a character), each read up to its first zero byte and
    // never past its field.
    std::string ssidText() const;
    std::string deviceNameText() const;
    std::string devicePasswordText() const;
    std::string firmwareText() const;
    std::string auxNameText() const;

    bool operator==(const DeviceInfo&) const = default;
};

// "%02X-%02X-%02X-%02X-%02X-%02X"
std::string formatMac(const MacAddress& mac);
// Parses "00-11-22-33-44-55" (also with ':'), upper or lower case.
std::optional<MacAddress> parseMac(std::string_view text);

// Size of the block that follows auxKeyCode in the configure request: 5, 13, 16 or 0.
std::size_t auxKeyBlockSize(std::uint8_t auxKeyCode);

// ---- Requests (wizard to device) -------------------------------------------------------------

PlainMessage buildSearchRequest();
// The password is cut to what fits the message; the length byte always tells what follows.
PlainMessage buildAuthRequest(const DeviceToken& token, const MacAddress& mac,
                              const Ipv4Address& localIP, std::string_view password);
PlainMessage buildCheckBPSRequest(const MacAddress& mac);

// Everything a configure request carries, as values that were checked before: what the
// wizard's pages or the command line's options turn into, and what a device reads back.
struct ConfigureSettings {
    MacAddress mac{};         // the selected device
    std::uint8_t ipMode = 0;  // 0 DHCP, 1 static
    Ipv4Address ipAddress{};  // the three addresses are zero in DHCP mode
    Ipv4Address subnetMask{};
    Ipv4Address gateway{};   // zero: no gateway
    std::string deviceName;  // texts: 8-bit, one byte a character
    std::string password;
    std::uint8_t wirelessEditable = 0;  // 0: the wireless settings are left to the pairing
    // Returned unchanged from the device's search answer.
    std::string auxName;
    std::uint8_t auxAttr = 0;
    std::uint8_t auxKeyCode = 0;
    std::string auxKeyBlock;  // as many bytes as auxKeyCode announces; zeros when shorter
    std::string ssid;
    std::uint8_t channel = 0;
    std::uint8_t securityMode = 0;  // the wire code (the pairing's 11 travels as 0)
    std::string key;  // the key text; its first 0, 10, 26 or 64 bytes travel, by the code
    std::uint8_t networkMode = 0;

    bool operator==(const ConfigureSettings&) const = default;
};

// Empty when a text would not fit its length byte or the message.
std::optional<PlainMessage> buildConfigureRequest(const ConfigureSettings& settings);

struct AuthRequest {
    DeviceToken token{};
    MacAddress mac{};
    Ipv4Address localIP{};
    std::string password;
};

// Request parsers for a device (the emulator). Empty for a wrong tag or a message whose
// fields would run past its end.
std::optional<AuthRequest> parseAuthRequest(std::span<const std::uint8_t, kPlainSize> plain);
std::optional<MacAddress> parseCheckBPSRequest(std::span<const std::uint8_t, kPlainSize> plain);
// The key comes back up to its first zero byte.
std::optional<ConfigureSettings> parseConfigureRequest(
    std::span<const std::uint8_t, kPlainSize> plain);

// ---- Answers (device to wizard) -------------------------------------------------------------

// A search answer for a device; empty when its texts exceed their fields or the message.
std::optional<PlainMessage> buildSearchAnswer(const DeviceInfo& device);

// The three short answers. Their parsers are empty for a message with another tag; every
// other byte is taken as it comes (each answer is a fixed layout well inside the message).
struct AuthAnswer {
    DeviceToken token{};
    MacAddress mac{};
    Ipv4Address clientIP{};   // the address the request came from
    std::uint8_t status = 0;  // 0: password accepted
};
PlainMessage buildAuthAnswer(const DeviceToken& token, const MacAddress& mac,
                             const Ipv4Address& clientIP, std::uint8_t status);
std::optional<AuthAnswer> parseAuthAnswer(std::span<const std::uint8_t, kPlainSize> plain);

struct ConfigureAnswer {
    MacAddress mac{};
    std::uint8_t status = 0;  // 0: settings accepted
};
PlainMessage buildConfigureAnswer(const MacAddress& mac, std::uint8_t status);
std::optional<ConfigureAnswer> parseConfigureAnswer(
    std::span<const std::uint8_t, kPlainSize> plain);

struct CheckBPSAnswer {
    MacAddress mac{};
    std::uint8_t pairingState = 0;  // 1: the pairing manages the wireless settings
};
PlainMessage buildCheckBPSAnswer(const MacAddress& mac, std::uint8_t pairingState);
std::optional<CheckBPSAnswer> parseCheckBPSAnswer(std::span<const std::uint8_t, kPlainSize> plain);

// Outcome of reading a search answer.
enum class SearchAnswerParse { Stored, Malformed, NoMarker };
struct ParsedSearchAnswer {
    SearchAnswerParse outcome = SearchAnswerParse::Malformed;
    DeviceInfo device;  // complete only when outcome is Stored
};
// Reads a search answer (the tag is not checked). A text length above its field's capacity,
// or fields that run past the message's end, make it Malformed; a missing marker NoMarker.
ParsedSearchAnswer parseSearchAnswer(std::span<const std::uint8_t, kPlainSize> plain);

}  // namespace trv81k
