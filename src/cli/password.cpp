#include "cli/password.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>

#include "fileio/file_access.h"
#include "protocol/wire.h"
#include "settings/text_encoding.h"

namespace trv81k::cli {
namespace {

constexpr std::array<int, 4> kRestoringSignals{SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// The terminal as it was before the prompt; the signal handler puts it back. Only one prompt
// runs at a time (the tool asks once).
::termios savedTerminal{};
volatile std::sig_atomic_t savedFd = -1;

extern "C" void restoreTerminalAndResignal(int signal) {
    const int fd = savedFd;
    if (fd >= 0) {
        ::tcsetattr(fd, TCSANOW, &savedTerminal);  // async-signal-safe
    }
    // SA_RESETHAND made the default action current again; the raised signal is delivered
    // with it once this handler returns.
    ::raise(signal);
}

// Echo off on a terminal for the guard's lifetime, with the handlers that undo it.
class EchoOff {
public:
    explicit EchoOff(int fd) : fd_(fd) {
        if (::tcgetattr(fd_, &savedTerminal) != 0) {
            return;
        }
        savedFd = fd_;
        struct sigaction action {};
        action.sa_handler = restoreTerminalAndResignal;
        action.sa_flags = SA_RESETHAND;
        sigemptyset(&action.sa_mask);
        for (std::size_t i = 0; i < kRestoringSignals.size(); ++i) {
            ::sigaction(kRestoringSignals[i], &action, &previous_[i]);
        }
        ::termios quiet = savedTerminal;
        quiet.c_lflag &= ~static_cast<::tcflag_t>(ECHO | ECHOE | ECHOK | ECHONL);
        quiet.c_lflag |= ICANON;
        ::tcsetattr(fd_, TCSAFLUSH, &quiet);
    }
    ~EchoOff() {
        if (savedFd >= 0) {
            ::tcsetattr(fd_, TCSANOW, &savedTerminal);
            for (std::size_t i = 0; i < kRestoringSignals.size(); ++i) {
                ::sigaction(kRestoringSignals[i], &previous_[i], nullptr);
            }
            savedFd = -1;
        }
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

private:
    int fd_;
    std::array<struct sigaction, kRestoringSignals.size()> previous_{};
};

void writeAll(int fd, std::string_view text) {
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

}  // namespace

std::optional<std::string> ReadLine(int fd, std::size_t maxBytes) {
    std::string line;
    bool any = false;
    for (;;) {
        char c = 0;
        const ::ssize_t n = ::read(fd, &c, 1);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return std::nullopt;
        }
        if (n == 0) {
            if (!any) {
                return std::nullopt;
            }
            break;
        }
        any = true;
        if (c == '\n') {
            break;
        }
        if (line.size() >= maxBytes) {
            return std::nullopt;
        }
        line.push_back(c);
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return line;
}

std::optional<std::string> PromptWithoutEcho(int inFd, int outFd, std::string_view prompt) {
    writeAll(outFd, prompt);
    std::optional<std::string> line;
    {
        const EchoOff quiet(inFd);
        line = ReadLine(inFd);
    }
    writeAll(outFd, "\n");  // the user's Enter was not echoed
    return line;
}

std::variant<std::string, Refusal> ReadSecretFile(const std::string& file, int stdinFd,
                                                  const std::filesystem::path& folder,
                                                  std::string subject) {
    if (file == "-") {
        if (std::optional<std::string> line = ReadLine(stdinFd)) {
            return std::move(*line);
        }
        return Refuse(std::move(subject), "no line on standard input");
    }
    const std::filesystem::path path = folder / file;  // an absolute `file` stays as it is
    OpenedFile opened = OpenRegularFileForReading(path);
    if (!opened.file.valid()) {
        // A FIFO nobody writes would hold the tool up for ever: regular files only.
        return Refuse(std::move(subject),
                      opened.error.starts_with("cannot open ")
                          ? "cannot open: " + opened.error.substr(opened.error.rfind(": ") + 2)
                          : "is not a regular file (a FIFO or a device is not read)");
    }
    errno = 0;
    std::optional<std::string> line = ReadLine(opened.file.get());
    const int readError = errno;
    if (!line) {
        return Refuse(std::move(subject),
                      readError != 0 ? std::string("cannot read: ") + std::strerror(readError)
                                     : std::string("no line in the file (or one above "
                                                   "4096 bytes)"));
    }
    return std::move(*line);
}

std::variant<Password, Refusal> ResolvePassword(const PasswordInputs& in) {
    if (in.option && in.file) {
        return Refuse("--password", "cannot go with --password-file");
    }
    std::optional<std::string> utf8;
    PasswordSource source = PasswordSource::Option;
    std::string subject = "--password";
    if (in.option) {
        utf8 = in.option;
    } else if (in.file) {
        source = PasswordSource::File;
        subject = "--password-file " + *in.file;
        auto line = ReadSecretFile(*in.file, in.stdinFd, {}, subject);
        if (auto* refusal = std::get_if<Refusal>(&line)) {
            return std::move(*refusal);
        }
        utf8 = std::get<std::string>(std::move(line));
    } else if (in.environment && !in.environment->empty()) {
        source = PasswordSource::Environment;
        subject = kPasswordVariable;
        utf8 = in.environment;
    } else if (in.stdinIsTerminal && in.prompt) {
        source = PasswordSource::Prompt;
        subject = "password";
        utf8 = in.prompt();
        if (!utf8) {
            return Refuse(subject, "no password was entered");
        }
    } else {
        return Refuse("password", "none given",
                      "use --password-file FILE (\"-\" for standard input), set "
                      "TRV81K_PASSWORD, or run on a terminal to be asked");
    }

    std::optional<std::string> latin1 = Utf8ToLatin1(*utf8);
    if (!latin1) {
        return Refuse(subject,
                      "has a character the device cannot store (only Latin-1, U+0000 to "
                      "U+00FF)");
    }
    if (latin1->size() > kMaxLoginPasswordLength) {
        return Refuse(subject, "the password may be at most 32 characters long");
    }
    return Password{std::move(*latin1), source};
}

}  // namespace trv81k::cli
