// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
#include <mswsock.h>
#include <iphlpapi.h>
// clang-format on

#include <array>
#include <cstring>
#include <vector>

#include "platform/socket_options.h"
#include "platform/windows/text.h"

namespace trv81k {
namespace {

// WSARecvMsg is an extension of the socket provider: its address is asked of the socket.
LPFN_WSARECVMSG recvMsgOf(SOCKET socket) {
    GUID id = WSAID_WSARECVMSG;
    LPFN_WSARECVMSG function = nullptr;
    DWORD bytes = 0;
    if (WSAIoctl(socket, SIO_GET_EXTENSION_FUNCTION_POINTER, &id, sizeof id, &function,
                 sizeof function, &bytes, nullptr, nullptr) != 0) {
        return nullptr;
    }
    return function;
}

}  // namespace

void ReceiveJoinedGroupsOnly(asio::ip::udp::socket& socket) {
    // Windows delivers to a socket only the groups it joined: there is no IP_MULTICAST_ALL.
    const DWORD on = 1;
    ::setsockopt(socket.native_handle(), IPPROTO_IP, IP_PKTINFO, reinterpret_cast<const char*>(&on),
                 sizeof on);
    asio::error_code ignored;
    socket.non_blocking(true, ignored);  // WSARecvMsg has no flag for a read without waiting
}

std::optional<ReceivedDatagram> ReadQueuedDatagram(asio::ip::udp::socket& socket,
                                                   std::span<std::uint8_t> buffer) {
    const SOCKET handle = socket.native_handle();
    static const LPFN_WSARECVMSG recvMsg = recvMsgOf(handle);
    if (recvMsg == nullptr) {
        return std::nullopt;
    }
    WSABUF part{static_cast<ULONG>(buffer.size()), reinterpret_cast<char*>(buffer.data())};
    alignas(WSACMSGHDR) std::array<char, WSA_CMSG_SPACE(sizeof(IN_PKTINFO))> control{};
    sockaddr_in from{};
    WSAMSG message{};
    message.name = reinterpret_cast<sockaddr*>(&from);
    message.namelen = sizeof from;
    message.lpBuffers = &part;
    message.dwBufferCount = 1;
    message.Control = WSABUF{static_cast<ULONG>(control.size()), control.data()};
    DWORD bytes = 0;
    if (recvMsg(handle, &message, &bytes, nullptr, nullptr) != 0) {
        // WSAEMSGSIZE: a datagram longer than the buffer, cut; it is handled as far as it goes.
        if (WSAGetLastError() != WSAEMSGSIZE) {
            return std::nullopt;
        }
        bytes = static_cast<DWORD>(buffer.size());
    }
    ReceivedDatagram received{static_cast<std::size_t>(bytes), 0, {}};
    if (message.namelen >= static_cast<INT>(sizeof from) && from.sin_family == AF_INET) {
        std::memcpy(received.sender.data(), &from.sin_addr, received.sender.size());
    }
    for (WSACMSGHDR* header = WSA_CMSG_FIRSTHDR(&message); header != nullptr;
         header = WSA_CMSG_NXTHDR(&message, header)) {
        if (header->cmsg_level == IPPROTO_IP && header->cmsg_type == IP_PKTINFO &&
            header->cmsg_len >= WSA_CMSG_LEN(sizeof(IN_PKTINFO))) {
            IN_PKTINFO info{};
            std::memcpy(&info, WSA_CMSG_DATA(header), sizeof info);
            received.interfaceIndex = static_cast<unsigned>(info.ipi_ifindex);
        }
    }
    return received;
}

unsigned InterfaceIndexOf(const std::string& adapterName) {
    // Adapters are named by their friendly names ("Ethernet 2").
    const std::vector<std::uint8_t> storage = AdapterAddressList();
    if (storage.empty()) {
        return 0;
    }
    for (auto* adapter = reinterpret_cast<const IP_ADAPTER_ADDRESSES*>(storage.data());
         adapter != nullptr; adapter = adapter->Next) {
        if (adapter->FriendlyName != nullptr && Utf8Of(adapter->FriendlyName) == adapterName) {
            return static_cast<unsigned>(adapter->IfIndex);
        }
    }
    return 0;
}

}  // namespace trv81k
