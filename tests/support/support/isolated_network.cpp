// Linked into every unit test program that opens multicast sockets: before main, the program
// makes sure it runs in a network namespace that has nothing but the loopback interface, so
// that a test run by hand (not through ./test, which isolates ctest) cannot put a single
// datagram on this machine's adapters. A namespace of its own is made when needed; where none
// can be made the program stops before any test runs.
#include <fcntl.h>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// True when every interface here is the loopback one.
bool OnlyLoopback() {
    struct if_nameindex* names = ::if_nameindex();
    if (names == nullptr) {
        return false;
    }
    bool only = true;
    for (const struct if_nameindex* n = names; n->if_index != 0; ++n) {
        only = only && std::strcmp(n->if_name, "lo") == 0;
    }
    ::if_freenameindex(names);
    return only;
}

bool WriteFile(const char* path, const std::string& text) {
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    return written;
}

// A fresh network namespace: directly as root, else inside a user namespace of its own.
bool EnterNetworkNamespace() {
    if (::unshare(CLONE_NEWNET) == 0) {
        return true;
    }
    const std::string uid = std::to_string(::geteuid());
    const std::string gid = std::to_string(::getegid());
    return ::unshare(CLONE_NEWUSER | CLONE_NEWNET) == 0 &&
           WriteFile("/proc/self/uid_map", "0 " + uid + " 1") &&
           WriteFile("/proc/self/setgroups", "deny") &&
           WriteFile("/proc/self/gid_map", "0 " + gid + " 1");
}

bool LoopbackUp() {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    ifreq request{};
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    bool up = ::ioctl(fd, SIOCGIFFLAGS, &request) == 0;
    request.ifr_flags = static_cast<short>(request.ifr_flags | IFF_UP);
    up = up && ::ioctl(fd, SIOCSIFFLAGS, &request) == 0;
    ::close(fd);
    return up;
}

[[maybe_unused]] const bool kIsolated = [] {
    if (OnlyLoopback()) {
        LoopbackUp();  // best effort: `unshare -n` leaves it down
        return true;
    }
    if (EnterNetworkNamespace() && OnlyLoopback() && LoopbackUp()) {
        return true;
    }
    std::fprintf(stderr,
                 "this test program opens multicast sockets and runs only in a network "
                 "namespace with nothing but loopback; none could be made here (run it "
                 "through ./test, or under unshare -rn)\n");
    std::_Exit(1);
}();

}  // namespace
