#pragma once
// Emulated devices answering over the loopback interface from a thread of the test, for the
// tests of the road and of the command line over it. Run inside a network namespace of its own
// (./test does); every case uses its own port, since ctest runs the cases side by side.

#include <poll.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "../platform/private_netns.h"
#include "../protocol/test_support.h"
#include "core/link.h"
#include "emulator/emulator.h"
#include "protocol/channel.h"
#include "protocol/cipher.h"

namespace trv81k::test {

using emulator::EmulatedDevice;

inline constexpr Ipv4Address kLoopback{127, 0, 0, 1};

// How the devices' side departs from the emulator's own behaviour switches.
struct Quirks {
    bool ignorePairingCheck = false;  // answers everything but the pairing check
    bool acknowledgeOnly = false;     // acknowledges configure requests without applying them
};

class LoopbackDevices {
public:
    LoopbackDevices(std::uint16_t port, std::vector<EmulatedDevice> devices, Quirks quirks = {})
        : emulator_(std::move(devices)),
          quirks_(quirks),
          socket_(io_, loopbackEndpoint(port), SocketRole::Device) {
        EXPECT_TRUE(socket_.isOpen());
        thread_ = std::thread([this] { serve(); });
    }
    ~LoopbackDevices() {
        stop_ = true;
        thread_.join();
    }

    std::vector<EmulatedDevice> devices() {
        const std::lock_guard lock(mutex_);
        return emulator_.devices();
    }
    int received(MessageKind kind) {
        const std::lock_guard lock(mutex_);
        return counts_[static_cast<std::size_t>(kind)];
    }

private:
    void serve() {
        std::array<std::uint8_t, kReceiveBufferSize> buffer{};
        while (!stop_) {
            // A blocking receive would never see stop_: wait at most 10 ms for a datagram.
            ::pollfd ready{socket_.socket().native_handle(), POLLIN, 0};
            if (::poll(&ready, 1, 10) <= 0) {
                continue;
            }
            asio::ip::udp::endpoint from;
            asio::error_code error;
            const std::size_t n =
                socket_.socket().receive_from(asio::buffer(buffer), from, 0, error);
            if (error) {
                continue;
            }
            const std::span<const std::uint8_t> datagram(buffer.data(), n);
            const PlainMessage plain = decryptPacket(datagram);
            const MessageKind kind = classify(plain);
            std::vector<PlainMessage> answers;
            {
                const std::lock_guard lock(mutex_);
                ++counts_[static_cast<std::size_t>(kind)];
                if (kind == MessageKind::CheckBPSRequest && quirks_.ignorePairingCheck) {
                    continue;
                }
                if (kind == MessageKind::ConfigureRequest && quirks_.acknowledgeOnly) {
                    answers.push_back(buildConfigureAnswer(parseConfigureRequest(plain)->mac, 0));
                } else {
                    answers = emulator_.handleDatagram(datagram, kLoopback, emulator::Clock::now())
                                  .answers;
                }
            }
            for (const PlainMessage& answer : answers) {
                socket_.sendToGroup(sealPacket(answer));
            }
        }
    }

    emulator::Emulator emulator_;
    Quirks quirks_;
    asio::io_context io_;
    MulticastSocket socket_;
    std::mutex mutex_;
    std::array<int, 9> counts_{};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

inline EmulatedDevice device(int n) {
    EmulatedDevice d;
    d.mac = {0x02, 0x81, 0x00, 0x00, 0x00, static_cast<std::uint8_t>(n)};
    d.deviceId = d.mac;
    d.token = {0x10, 0x20, 0x30, static_cast<std::uint8_t>(n)};
    d.settings.name = "AP" + std::to_string(n);
    return d;
}

// The exchanges over `port`, a hundred times as fast as the product's.
inline NetworkConfig LoopbackNetwork(std::uint16_t port) {
    NetworkConfig config;
    config.port = port;
    config.timing = Timing{}.scaled(0.01);
    // The waits that end with their answer: a long limit costs nothing and keeps a busy
    // machine's late answer from reading as a wrong password or a silent device.
    config.timing.loginPause = std::chrono::milliseconds{2000};
    config.timing.pairingPause = std::chrono::milliseconds{250};
    return config;
}

}  // namespace trv81k::test
