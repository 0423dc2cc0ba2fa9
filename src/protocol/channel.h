#pragma once
// The multicast channel: the one UDP socket through which every request leaves the machine,
// set up with the options the devices expect (reuse-address, port 14675, time-to-live 3,
// outgoing interface and group membership on the local adapter). Used by one thread only.

#include <asio/io_context.hpp>
#include <asio/ip/udp.hpp>
#include <cstdint>
#include <span>
#include <string>

#include "protocol/wire.h"

namespace trv81k {

// Where the protocol's traffic goes: the group, the port and the adapter. Tests and the lab
// pass their own; the product uses the defaults and the adapter the check found.
struct NetworkEndpoint {
    std::string group = kGroupAddress;
    std::uint16_t port = kProtocolPort;
    Ipv4Address interfaceAddress{};  // 0.0.0.0: let the system choose
    // The diagnosis's probe: multicast loopback on, so the request comes back to this
    // computer's own receiver (unless something here drops it).
    bool probe = false;
};

// Multicast loopback stays off, since wizard and device sit on different hosts; it is on only
// when the adapter is a loopback address (the demo runs wizard and emulator on lo) and for the
// diagnosis's probe (NetworkEndpoint::probe).
bool multicastLoopbackFor(const Ipv4Address& interfaceAddress);

// What a socket is for. Every socket has reuse-address, port 14675, loopback, time-to-live 3
// and the outgoing interface; only a socket that reads answers joins the group and asks for
// room in its receive queue.
enum class SocketRole {
    Channel,   // the wizard's sender: traces the option refusals the support staff know
    Receiver,  // the receiver thread: traces a refused group join; hears only the adapters it
               // joined on, and learns which one each datagram came in on
    Device,    // sends and receives on one socket (the emulator, test devices): traces all
};

// A UDP socket with the protocol's multicast options. Options that the system refuses are
// traced (the lines the support staff know) and the socket is used anyway; only a socket that
// cannot be created or bound is a failure.
class MulticastSocket {
public:
    enum class Status { Open, SocketFailed, BindFailed };

    MulticastSocket(asio::io_context& io, const NetworkEndpoint& endpoint, SocketRole role);
    ~MulticastSocket();
    MulticastSocket(const MulticastSocket&) = delete;
    MulticastSocket& operator=(const MulticastSocket&) = delete;

    Status status() const { return status_; }
    bool isOpen() const { return status_ == Status::Open && socket_.is_open(); }

    // Sends one datagram to the group; false when the send failed.
    bool sendToGroup(std::span<const std::uint8_t> datagram);
    // A receiving socket: joins the group on one more adapter (traced on refusal).
    bool join(const Ipv4Address& interfaceAddress);
    // Shuts the socket down in both directions and closes it; errors are swallowed.
    void close();

    asio::ip::udp::socket& socket() { return socket_; }

private:
    asio::ip::udp::socket socket_;
    asio::ip::udp::endpoint groupEndpoint_;
    SocketRole role_;
    Status status_ = Status::SocketFailed;
};

}  // namespace trv81k
