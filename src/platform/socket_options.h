#pragma once
// What the receiver needs of a UDP socket beyond Asio: the options that keep other programs'
// multicast memberships out and that tell the arrival adapter of each datagram, and the read
// that hands that adapter's index over with the datagram. Linux uses recvmsg, Windows
// WSARecvMsg; both with IP_PKTINFO.

#include <array>
#include <asio/ip/udp.hpp>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace trv81k {

// Only the groups this socket joined, on the adapters it joined them on (IP_MULTICAST_ALL off
// where the system has it; elsewhere that is the rule already), and the arrival adapter with
// every datagram (IP_PKTINFO). Refusals are ignored: the reads then tell adapter 0.
void ReceiveJoinedGroupsOnly(asio::ip::udp::socket& socket);

struct ReceivedDatagram {
    std::size_t bytes = 0;
    unsigned interfaceIndex = 0;           // 0 when the system did not tell
    std::array<std::uint8_t, 4> sender{};  // the sender's IPv4 address, network order
};

// One queued datagram into `buffer` (a longer one is cut), without waiting; nothing when the
// queue is empty or the socket is closing.
std::optional<ReceivedDatagram> ReadQueuedDatagram(asio::ip::udp::socket& socket,
                                                   std::span<std::uint8_t> buffer);

// The system's index of the adapter of that name, 0 when there is none.
unsigned InterfaceIndexOf(const std::string& adapterName);

}  // namespace trv81k
