// trv81k-trace: the debug viewer that shows the trace lines of the TRV81K programs.

#include <poll.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <span>
#include <string>

#include "platform/trace.h"
#include "trace/viewer_format.h"
#include "trace/viewer_main.h"

namespace {

// Closes a descriptor on every way out.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

constexpr char kDescription[] =
    "Shows the debug trace lines of the TRV81K programs, one per line with a local time stamp.\n"
    "Listens on the abstract Unix socket \"TRACE Window\". Abstract socket names belong to a\n"
    "network namespace: run the viewer in the same namespace as the wizard (for example with\n"
    "`ip netns exec` or `nsenter --net`), or it sees nothing. Only one viewer runs per namespace.\n"
    "Bytes that are not printable ASCII are shown as \\xNN and a backslash as \\\\.\n"
    "Stops on Ctrl+C or SIGTERM.";

int Run(bool showLength) {
    // The stop signals arrive through a descriptor, so the loop below ends cleanly.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    if (::sigprocmask(SIG_BLOCK, &stopSignals, nullptr) != 0) {
        std::fprintf(stderr, "trv81k-trace: cannot block signals: %s\n", std::strerror(errno));
        return 1;
    }
    const Descriptor signals(::signalfd(-1, &stopSignals, SFD_CLOEXEC));
    // A reader that goes away (a closed pipe) ends the viewer through the write error below.
    std::signal(SIGPIPE, SIG_IGN);

    const Descriptor socket(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    if (signals.get() < 0 || socket.get() < 0) {
        std::fprintf(stderr, "trv81k-trace: cannot open a socket: %s\n", std::strerror(errno));
        return 1;
    }
    ::sockaddr_un address;
    const std::size_t addressLength = trv81k::MakeTraceAddress(address);
    if (::bind(socket.get(), reinterpret_cast<const ::sockaddr*>(&address),
               static_cast<socklen_t>(addressLength)) != 0) {
        if (errno == EADDRINUSE) {
            std::fprintf(stderr,
                         "trv81k-trace: another trace viewer is running (in this network "
                         "namespace)\n");
        } else {
            std::fprintf(stderr, "trv81k-trace: cannot listen on \"%s\": %s\n",
                         trv81k::kTraceSocketName, std::strerror(errno));
        }
        return 1;
    }

    std::array<std::uint8_t, trv81k::kTraceLineBuffer> block{};
    for (;;) {
        std::array<::pollfd, 2> waits{{{socket.get(), POLLIN, 0}, {signals.get(), POLLIN, 0}}};
        if (::poll(waits.data(), waits.size(), -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            std::fprintf(stderr, "trv81k-trace: wait failed: %s\n", std::strerror(errno));
            return 1;
        }
        if (waits[1].revents != 0) {
            return 0;  // SIGINT or SIGTERM
        }
        if (waits[0].revents == 0) {
            continue;
        }
        // MSG_TRUNC: the result is the datagram's real length, even when it is longer than the
        // buffer; only the buffer's bytes are looked at.
        const ssize_t received =
            ::recv(socket.get(), block.data(), block.size(), MSG_TRUNC | MSG_DONTWAIT);
        if (received < 0) {
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) {
                continue;
            }
            std::fprintf(stderr, "trv81k-trace: receive failed: %s\n", std::strerror(errno));
            return 1;
        }
        const auto length = static_cast<std::size_t>(received);
        const auto bytes =
            std::span<const std::uint8_t>(block).first(std::min(length, block.size()));
        const std::string line =
            trv81k::FormatTraceOutput(std::chrono::system_clock::now(), bytes, length, showLength);
        if (std::fprintf(stdout, "%s\n", line.c_str()) < 0 || std::fflush(stdout) != 0) {
            std::fprintf(stderr, "trv81k-trace: cannot write the output\n");
            return 1;
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    return trv81k::ViewerMain(argc, argv, kDescription, Run);
}
