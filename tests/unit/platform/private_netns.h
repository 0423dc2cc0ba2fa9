#pragma once
// Test helpers: a private network namespace per test case, the loopback adapter alone, and a
// listener on the trace socket.
//
// ctest runs the cases of all test programs side by side in one namespace; each case that binds
// the trace socket's fixed name first moves into a namespace of its own, so the cases never meet.

#include <gtest/gtest.h>
#include <poll.h>
#include <sched.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/adapters.h"
#include "platform/trace.h"

namespace trv81k::testing {

// True when the calling process now runs in a fresh network namespace of its own.
inline bool EnterPrivateNetworkNamespace() {
    return ::unshare(CLONE_NEWNET) == 0;
}

// A test case that runs in a namespace of its own; skipped where none can be made.
class PrivateNetworkTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!EnterPrivateNetworkNamespace()) {
            GTEST_SKIP() << "needs a private network namespace (run as root or under unshare -rn)";
        }
    }
};

// A test case whose sessions use the loopback adapter alone, as --interface 127.0.0.1 has them.
class LoopbackTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SetInterfaceChoice(std::string("127.0.0.1"))); }
    void TearDown() override { SetInterfaceChoice(std::nullopt); }
};

// Closes the descriptor at the end of the scope.
class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    void reset() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = -1;
    }

private:
    int fd_;
};

// A datagram socket bound to the trace viewer's name.
class TraceListener {
public:
    TraceListener() : fd_(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {
        ::sockaddr_un address;
        const std::size_t length = MakeTraceAddress(address);
        bound_ = fd_.get() >= 0 && ::bind(fd_.get(), reinterpret_cast<const ::sockaddr*>(&address),
                                          static_cast<socklen_t>(length)) == 0;
    }
    bool bound() const { return bound_; }
    void close() { fd_.reset(); }

    // The next block and its real length, or nothing within the timeout.
    struct Block {
        std::size_t length = 0;
        std::array<std::uint8_t, 512> bytes{};
    };
    std::optional<Block> receive(std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
        ::pollfd wait{fd_.get(), POLLIN, 0};
        if (::poll(&wait, 1, static_cast<int>(timeout.count())) != 1) {
            return std::nullopt;
        }
        Block block;
        const ssize_t n = ::recv(fd_.get(), block.bytes.data(), block.bytes.size(), MSG_TRUNC);
        if (n < 0) {
            return std::nullopt;
        }
        block.length = static_cast<std::size_t>(n);
        return block;
    }

private:
    Fd fd_;
    bool bound_ = false;
};

}  // namespace trv81k::testing
