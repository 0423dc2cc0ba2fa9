#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <array>
#include <cstring>

#include "platform/socket_options.h"

namespace trv81k {

void ReceiveJoinedGroupsOnly(asio::ip::udp::socket& socket) {
    const int off = 0;
    const int on = 1;
#if defined(IP_MULTICAST_ALL)
    ::setsockopt(socket.native_handle(), IPPROTO_IP, IP_MULTICAST_ALL, &off, sizeof off);
#else
    static_cast<void>(off);
#endif
    ::setsockopt(socket.native_handle(), IPPROTO_IP, IP_PKTINFO, &on, sizeof on);
}

std::optional<ReceivedDatagram> ReadQueuedDatagram(asio::ip::udp::socket& socket,
                                                   std::span<std::uint8_t> buffer) {
    ::iovec part{buffer.data(), buffer.size()};
    alignas(::cmsghdr) std::array<char, CMSG_SPACE(sizeof(::in_pktinfo))> control{};
    ::sockaddr_in from{};
    ::msghdr message{};
    message.msg_name = &from;
    message.msg_namelen = sizeof from;
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control.data();
    message.msg_controllen = control.size();
    const ::ssize_t bytes = ::recvmsg(socket.native_handle(), &message, MSG_DONTWAIT);
    if (bytes < 0) {
        return std::nullopt;
    }
    ReceivedDatagram received{static_cast<std::size_t>(bytes), 0, {}};
    if (message.msg_namelen >= sizeof from && from.sin_family == AF_INET) {
        std::memcpy(received.sender.data(), &from.sin_addr, received.sender.size());
    }
    for (::cmsghdr* header = CMSG_FIRSTHDR(&message); header != nullptr;
         header = CMSG_NXTHDR(&message, header)) {
        if (header->cmsg_level == IPPROTO_IP && header->cmsg_type == IP_PKTINFO &&
            header->cmsg_len >= CMSG_LEN(sizeof(::in_pktinfo))) {
            ::in_pktinfo info{};
            std::memcpy(&info, CMSG_DATA(header), sizeof info);
            received.interfaceIndex = static_cast<unsigned>(info.ipi_ifindex);
        }
    }
    return received;
}

unsigned InterfaceIndexOf(const std::string& adapterName) {
    return ::if_nametoindex(adapterName.c_str());
}

}  // namespace trv81k
