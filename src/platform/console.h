#pragma once
// The terminal (Linux) or console (Windows) a program was started from: whether a descriptor
// is one, echo off while a password is typed, and plain reads and writes of a descriptor.

#include <array>
#include <cstddef>
#include <string_view>

namespace trv81k {

// Whether `fd` (0, 1, 2, ...) is a terminal or a console.
bool IsTerminal(int fd);

// Echo off on the terminal or console `fd` for the guard's lifetime. Linux puts the terminal
// back also when SIGINT, SIGTERM, SIGHUP or SIGQUIT ends the program meanwhile (the signal then
// takes its usual course); Windows' console mode belongs to the console and is put back on
// Ctrl+C, Ctrl+Break and closing as well. Nothing happens for a descriptor that is neither.
// One guard at a time.
class EchoOff {
public:
    explicit EchoOff(int fd);
    ~EchoOff();
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

private:
    int fd_;
    bool active_ = false;
};

// One read of up to `size` bytes (an interrupted one is repeated): the count, 0 at the end of
// the input, below 0 on an error (errno tells).
long ReadSome(int fd, char* buffer, std::size_t size);
// Writes all of `text`, as far as the descriptor takes it.
void WriteAll(int fd, std::string_view text);

}  // namespace trv81k
