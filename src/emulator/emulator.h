#pragma once
// The devices' side of every exchange, without sockets: a received datagram and its sender go
// in, the answers to multicast and one log entry come out. The program around it sends the
// answers, writes the log line and saves the state.

#include <chrono>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <span>
#include <vector>

#include "emulator/device.h"

namespace trv81k::emulator {

using Clock = std::chrono::steady_clock;

// How long a successful login lets its client change the device's settings.
inline constexpr auto kLoginLifetime = std::chrono::minutes(10);
// Logins remembered per device; the oldest is forgotten first.
inline constexpr std::size_t kMaxLoginsPerDevice = 64;

// What one received datagram leads to.
struct Reaction {
    std::vector<PlainMessage> answers;  // to send in this order (doubled ones included)
    nlohmann::ordered_json log;         // the request as logged; null when not logged
    bool settingsApplied = false;       // a configure request was applied: save the state
};

class Emulator {
public:
    explicit Emulator(std::vector<EmulatedDevice> devices);

    // A datagram as received: its first 640 bytes are decrypted, a shorter one is decrypted
    // with zero bytes in place of the missing ones. `sender` is the source address.
    Reaction handleDatagram(std::span<const std::uint8_t> datagram, const Ipv4Address& sender,
                            Clock::time_point now);
    // The same for a message already decrypted. The log entry ends with the field "plain":
    // the 320 bytes of the message as lower-case hexadecimal.
    Reaction handlePlain(const PlainMessage& plain, const Ipv4Address& sender,
                         Clock::time_point now);

    const std::vector<EmulatedDevice>& devices() const { return devices_; }

private:
    struct Login {
        Ipv4Address client{};
        Clock::time_point at{};
    };

    // The reaction to one request by its kind; handlePlain adds the message to the log.
    Reaction react(const PlainMessage& plain, const Ipv4Address& sender, Clock::time_point now);
    Reaction onSearch(const Ipv4Address& sender);
    Reaction onAuth(const PlainMessage& plain, const Ipv4Address& sender, Clock::time_point now);
    Reaction onCheckBPS(const PlainMessage& plain, const Ipv4Address& sender);
    Reaction onConfigure(const PlainMessage& plain, const Ipv4Address& sender,
                         Clock::time_point now);

    // Index of the device with this MAC, or devices_.size().
    std::size_t find(const MacAddress& mac) const;
    bool loggedIn(std::size_t device, const Ipv4Address& client, Clock::time_point now) const;
    void recordLogin(std::size_t device, const Ipv4Address& client, Clock::time_point now);
    // Adds the answer once or twice and logs it.
    void answer(Reaction& reaction, const EmulatedDevice& device, const PlainMessage& plain,
                nlohmann::ordered_json detail) const;

    std::vector<EmulatedDevice> devices_;
    std::vector<std::vector<Login>> logins_;  // per device
};

}  // namespace trv81k::emulator
