#include "cli/password.h"

#include <cerrno>
#include <cstring>

#include "core/overrides.h"
#include "fileio/file_access.h"
#include "platform/console.h"
#include "protocol/wire.h"

namespace trv81k::cli {

std::optional<std::string> ReadLine(int fd, std::size_t maxBytes) {
    std::string line;
    bool any = false;
    for (;;) {
        char c = 0;
        const long n = ReadSome(fd, &c, 1);
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
    WriteAll(outFd, prompt);
    std::optional<std::string> line;
    {
        const EchoOff quiet(inFd);
        line = ReadLine(inFd);
    }
    WriteAll(outFd, "\n");  // the user's Enter was not echoed
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

    auto latin1 = DeviceLatin1(subject, *utf8);
    if (auto* refusal = std::get_if<Refusal>(&latin1)) {
        return std::move(*refusal);
    }
    if (std::get<std::string>(latin1).size() > kMaxLoginPasswordLength) {
        return Refuse(subject, "the password may be at most 32 characters long");
    }
    return Password{std::get<std::string>(std::move(latin1)), source};
}

}  // namespace trv81k::cli
