// The debug trace channel over a Unix datagram socket.
//
// Every call opens its own datagram socket, sends one block and closes the socket again. That
// keeps the function free of shared state (any thread may trace at any moment without a lock,
// and a fork or a program that closes descriptors it does not know cannot disturb it), and the
// cost is three system calls on a path that runs on rare events only. A thread_local socket
// would save two of them but would hold one descriptor per thread for the life of the thread.

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstring>

#include "platform/trace.h"

namespace trv81k {

std::size_t MakeTraceAddress(::sockaddr_un& address) {
    address = {};
    address.sun_family = AF_UNIX;
    constexpr std::size_t nameLength = sizeof(kTraceSocketName) - 1;
    static_assert(1 + nameLength <= sizeof(address.sun_path));
    // sun_path[0] stays zero: the name lives in the abstract namespace, not in the file system.
    std::memcpy(&address.sun_path[1], kTraceSocketName, nameLength);
    return offsetof(::sockaddr_un, sun_path) + 1 + nameLength;
}

void Trace(const char* text) {
    const std::array<char, kTraceLineBuffer> line = TraceLine(text);
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return;
    }
    ::sockaddr_un address;
    const std::size_t addressLength = MakeTraceAddress(address);
    // Without a viewer this fails at once (ECONNREFUSED); with a viewer whose queue is full it
    // fails at once as well (EAGAIN). Either way the line is dropped and nobody is told.
    (void)::sendto(fd, line.data(), kTraceBlockSize, MSG_DONTWAIT | MSG_NOSIGNAL,
                   reinterpret_cast<const ::sockaddr*>(&address),
                   static_cast<socklen_t>(addressLength));
    ::close(fd);
}

}  // namespace trv81k
