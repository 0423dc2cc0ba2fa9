#include <io.h>
#include <windows.h>

#include <atomic>
#include <cerrno>
#include <climits>

#include "platform/console.h"

namespace trv81k {
namespace {

// The console input's mode before echo went off; the control handler puts it back.
std::atomic<HANDLE> savedInput{INVALID_HANDLE_VALUE};
std::atomic<DWORD> savedMode{0};

BOOL WINAPI RestoreConsole(DWORD /*event*/) {
    const HANDLE input = savedInput.load();
    if (input != INVALID_HANDLE_VALUE) {
        SetConsoleMode(input, savedMode.load());
    }
    return FALSE;  // the default handling (ending the program) goes on
}

HANDLE HandleOf(int fd) {
    return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

}  // namespace

bool IsTerminal(int fd) {
    DWORD mode = 0;
    const HANDLE handle = HandleOf(fd);
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

EchoOff::EchoOff(int fd) : fd_(fd) {
    const HANDLE input = HandleOf(fd_);
    DWORD mode = 0;
    if (input == INVALID_HANDLE_VALUE || GetConsoleMode(input, &mode) == 0) {
        return;
    }
    savedMode = mode;
    savedInput = input;
    active_ = true;
    SetConsoleCtrlHandler(RestoreConsole, TRUE);
    // Line input stays on: the user edits the line and ends it with Enter, unseen.
    SetConsoleMode(input, (mode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT)) | ENABLE_LINE_INPUT);
}

EchoOff::~EchoOff() {
    if (active_) {
        SetConsoleMode(savedInput.load(), savedMode.load());
        SetConsoleCtrlHandler(RestoreConsole, FALSE);
        savedInput = INVALID_HANDLE_VALUE;
    }
}

long ReadSome(int fd, char* buffer, std::size_t size) {
    const unsigned count = size > INT_MAX ? INT_MAX : static_cast<unsigned>(size);
    for (;;) {
        const int n = _read(fd, buffer, count);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        return n;
    }
}

void WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const unsigned count = text.size() > INT_MAX ? INT_MAX : static_cast<unsigned>(text.size());
        const int n = _write(fd, text.data(), count);
        if (n <= 0) {
            return;
        }
        text.remove_prefix(static_cast<std::size_t>(n));
    }
}

}  // namespace trv81k
