// Throws datagrams at the device group: random bytes of random length, sealed answers cut
// short, sealed search answers with impossible text lengths or without the pairing marker,
// and answers for devices nobody selected. None of them is a complete search answer, so none
// may make a receiver store a device; none may make it crash or grow.
// With --pairing-only it sends nothing but pairing check answers of strangers (state 0): what
// would tell a wizard that waits for any answer that its device is not under pairing control.
//   flood_sender --interface ADDR [--count N] [--rate PER_SECOND] [--seed S] [--port P]
//                [--pairing-only]
#include <CLI/CLI.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/adapters.h"
#include "protocol/channel.h"
#include "protocol/cipher.h"

namespace {

using namespace trv81k;

DeviceInfo strangerDevice(std::mt19937& random) {
    DeviceInfo d;
    for (auto& b : d.deviceId)
        b = static_cast<std::uint8_t>(random());
    for (auto& b : d.macAddress)
        b = static_cast<std::uint8_t>(random());
    d.deviceNameLength = 8;
    d.deviceName = {'s', 't', 'r', 'a', 'n', 'g', 'e', 'r'};
    return d;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"flood the TRV81K device group with bad and misleading datagrams"};
    std::string interface;
    long count = 50000;
    unsigned seed = 81;
    std::uint16_t port = kProtocolPort;
    long rate = 0;
    bool pairingOnly = false;
    app.add_option("--interface", interface, "adapter address")->required();
    app.add_flag("--pairing-only", pairingOnly, "only strangers' pairing check answers");
    app.add_option("--rate", rate, "datagrams per second (0: as fast as possible)");
    app.add_option("--count", count, "datagrams to send");
    app.add_option("--seed", seed, "random seed");
    app.add_option("--port", port, "UDP port");
    CLI11_PARSE(app, argc, argv);
    const auto address = ParseIPv4(interface);
    if (!address) {
        std::fprintf(stderr, "flood_sender: bad --interface %s\n", interface.c_str());
        return 2;
    }

    asio::io_context io;
    NetworkEndpoint endpoint;
    endpoint.port = port;
    endpoint.interfaceAddress = *address;
    MulticastSocket socket(io, endpoint, SocketRole::Channel);
    if (!socket.isOpen()) {
        std::fprintf(stderr, "flood_sender: cannot open the socket\n");
        return 1;
    }

    std::mt19937 random(seed);
    std::vector<std::uint8_t> bytes;
    long sent = 0;
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < count; ++i) {
        if (rate > 0 && i % 100 == 0) {
            std::this_thread::sleep_until(start + std::chrono::microseconds(i * 1000000 / rate));
        }
        bytes.clear();
        switch (pairingOnly ? 5 : i % 5) {
            case 0: {  // noise of any length up to what a receiver reads
                bytes.resize(random() % (kReceiveBufferSize + 1));
                for (auto& b : bytes)
                    b = static_cast<std::uint8_t>(random());
                break;
            }
            case 1: {  // a stranger's search answer, cut short: looks valid, never complete
                // Plain byte k travels in cipher byte 2k + 1, and only whole 16-byte blocks
                // decrypt to what was sent. A cut below twice the marker's offset leaves the
                // marker in a block that decrypts to noise. (A cut after the marker would be
                // a complete answer as far as any receiver can tell: nothing in the protocol
                // tells it otherwise.)
                const PlainMessage plain = *buildSearchAnswer(strangerDevice(random));
                const auto marker = std::search(plain.begin(), plain.end(), kPairingMarker.begin(),
                                                kPairingMarker.end());
                const auto cutBelow = 2 * static_cast<unsigned>(marker - plain.begin());
                const Datagram d = sealPacket(plain);
                bytes.assign(d.begin(), d.begin() + static_cast<long>(random() % cutBelow));
                break;
            }
            case 2: {  // a search answer whose text length lies past its field
                PlainMessage plain = *buildSearchAnswer(strangerDevice(random));
                plain[30] = static_cast<std::uint8_t>(33 + random() % 223);
                const Datagram d = sealPacket(plain);
                bytes.assign(d.begin(), d.end());
                break;
            }
            case 3: {  // a search answer without the pairing marker
                PlainMessage plain = *buildSearchAnswer(strangerDevice(random));
                const auto at = std::search(plain.begin(), plain.end(), kPairingMarker.begin(),
                                            kPairingMarker.end());
                std::fill_n(at, kPairingMarker.size(), 0);
                const Datagram d = sealPacket(plain);
                bytes.assign(d.begin(), d.end());
                break;
            }
            case 5: {  // a stranger's pairing check answer: not under pairing control
                const Datagram sealed =
                    sealPacket(buildCheckBPSAnswer(strangerDevice(random).macAddress, 0));
                bytes.assign(sealed.begin(), sealed.end());
                break;
            }
            default: {  // answers for a device nobody selected
                const DeviceInfo d = strangerDevice(random);
                const PlainMessage plain = random() % 2 ? buildConfigureAnswer(d.macAddress, 0)
                                                        : buildCheckBPSAnswer(d.macAddress, 1);
                const Datagram sealed = sealPacket(plain);
                bytes.assign(sealed.begin(), sealed.end());
                break;
            }
        }
        if (socket.sendToGroup(bytes)) {
            ++sent;
        }
    }
    std::printf("%ld\n", sent);
    return sent == count ? 0 : 1;
}
