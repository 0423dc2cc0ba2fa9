#include "protocol/channel.h"

#include <asio/ip/multicast.hpp>

#include "platform/socket_options.h"
#include "platform/trace.h"

namespace trv81k {
namespace {

// About 25 ms of a 20,000-a-second flood, or some 700 queued datagrams.
constexpr int kReceiveBufferBytes = 1 << 20;

}  // namespace

bool multicastLoopbackFor(const Ipv4Address& interfaceAddress) {
    return interfaceAddress[0] == 127;
}

MulticastSocket::MulticastSocket(asio::io_context& io, const NetworkEndpoint& endpoint,
                                 SocketRole role)
    : socket_(io), role_(role) {
    const bool receives = role != SocketRole::Channel;
    const bool traceOptions = role != SocketRole::Receiver;
    const auto trace = [traceOptions](const char* line) {
        if (traceOptions) {
            Trace(line);
        }
    };
    asio::error_code error;
    const asio::ip::address_v4 group = asio::ip::make_address_v4(endpoint.group, error);
    if (error) {
        return;  // the group is ours to choose: a bad one is a programming error, not input
    }
    groupEndpoint_ = asio::ip::udp::endpoint(group, endpoint.port);
    const asio::ip::address_v4 interfaceAddress(endpoint.interfaceAddress);

    socket_.open(asio::ip::udp::v4(), error);
    if (error) {
        status_ = Status::SocketFailed;
        return;
    }
    socket_.set_option(asio::socket_base::reuse_address(true), error);
    if (error) {
        trace("Fail to SetSockopt SO_REUSEADDR");
    }
    socket_.bind(asio::ip::udp::endpoint(asio::ip::address_v4::any(), endpoint.port), error);
    if (error) {
        status_ = Status::BindFailed;
        close();
        return;
    }
    if (receives) {
        // Room for a burst: anyone on the LAN may flood the group, and every datagram queued
        // behind a slow moment of the reader would otherwise push the answers that matter out.
        // The system may grant less (its limit holds); a refusal is ignored.
        socket_.set_option(asio::socket_base::receive_buffer_size(kReceiveBufferBytes), error);
    }
    socket_.set_option(asio::ip::multicast::enable_loopback(
                           endpoint.probe || multicastLoopbackFor(endpoint.interfaceAddress)),
                       error);
    if (error) {
        trace("set IP_MULTICAST_LOOP fail");
    }
    socket_.set_option(asio::ip::multicast::hops(3), error);  // a refusal is ignored
    socket_.set_option(asio::ip::multicast::outbound_interface(interfaceAddress), error);
    if (role == SocketRole::Receiver) {
        // Only the groups this socket joined, on the adapters it joined them on: another
        // program's membership elsewhere brings nothing in. The arrival adapter of each
        // datagram comes with it.
        ReceiveJoinedGroupsOnly(socket_);
    }
    status_ = Status::Open;
    if (receives) {
        join(endpoint.interfaceAddress);
    }
}

bool MulticastSocket::join(const Ipv4Address& interfaceAddress) {
    asio::error_code error;
    socket_.set_option(asio::ip::multicast::join_group(groupEndpoint_.address().to_v4(),
                                                       asio::ip::address_v4(interfaceAddress)),
                       error);
    if (error && role_ != SocketRole::Channel) {
        Trace("Error: send Mutlicast add membership fail!");
    }
    return !error;
}

MulticastSocket::~MulticastSocket() {
    close();
}

bool MulticastSocket::sendToGroup(std::span<const std::uint8_t> datagram) {
    if (!isOpen()) {
        return false;
    }
    asio::error_code error;
    const std::size_t sent =
        socket_.send_to(asio::buffer(datagram.data(), datagram.size()), groupEndpoint_, 0, error);
    return !error && sent == datagram.size();
}

void MulticastSocket::close() {
    if (!socket_.is_open()) {
        return;
    }
    asio::error_code ignored;
    socket_.shutdown(asio::socket_base::shutdown_both, ignored);
    socket_.close(ignored);
}

}  // namespace trv81k
