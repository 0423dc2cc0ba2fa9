#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>

#include "platform/console.h"

namespace trv81k {
namespace {

constexpr std::array<int, 4> kRestoringSignals{SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// The terminal as it was before echo went off; the signal handler puts it back.
::termios savedTerminal{};
volatile std::sig_atomic_t savedFd = -1;
std::array<struct sigaction, kRestoringSignals.size()> previousActions{};

extern "C" void restoreTerminalAndResignal(int signal) {
    const int fd = savedFd;
    if (fd >= 0) {
        ::tcsetattr(fd, TCSANOW, &savedTerminal);  // async-signal-safe
    }
    // SA_RESETHAND made the default action current again; the raised signal is delivered
    // with it once this handler returns.
    ::raise(signal);
}

}  // namespace

bool IsTerminal(int fd) {
    return ::isatty(fd) == 1;
}

EchoOff::EchoOff(int fd) : fd_(fd) {
    if (::tcgetattr(fd_, &savedTerminal) != 0) {
        return;
    }
    savedFd = fd_;
    active_ = true;
    struct sigaction action {};
    action.sa_handler = restoreTerminalAndResignal;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < kRestoringSignals.size(); ++i) {
        ::sigaction(kRestoringSignals[i], &action, &previousActions[i]);
    }
    ::termios quiet = savedTerminal;
    quiet.c_lflag &= ~static_cast<::tcflag_t>(ECHO | ECHOE | ECHOK | ECHONL);
    quiet.c_lflag |= ICANON;
    ::tcsetattr(fd_, TCSAFLUSH, &quiet);
}

EchoOff::~EchoOff() {
    if (active_) {
        ::tcsetattr(fd_, TCSANOW, &savedTerminal);
        for (std::size_t i = 0; i < kRestoringSignals.size(); ++i) {
            ::sigaction(kRestoringSignals[i], &previousActions[i], nullptr);
        }
        savedFd = -1;
    }
}

long ReadSome(int fd, char* buffer, std::size_t size) {
    for (;;) {
        const ::ssize_t n = ::read(fd, buffer, size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        return static_cast<long>(n);
    }
}

void WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ::ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return;
        }
        text.remove_prefix(static_cast<std::size_t>(n));
    }
}

}  // namespace trv81k
