#pragma once
// Where the login password comes from, first match wins: --password or --password-file (a file,
// or "-" for standard input; its first line), then the environment variable TRV81K_PASSWORD
// (when not empty), then a prompt without echo when standard input is a terminal. A password
// never has to be typed on the command line, where every user sees it in the process list.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "core/refusal.h"

namespace trv81k::cli {

inline constexpr char kPasswordVariable[] = "TRV81K_PASSWORD";
// Longest line read from a password file or standard input.
inline constexpr std::size_t kMaxPasswordLine = 4096;

enum class PasswordSource { Option, File, Environment, Prompt };

struct PasswordInputs {
    std::optional<std::string> option;       // --password
    std::optional<std::string> file;         // --password-file, "-" for standard input
    std::optional<std::string> environment;  // the value of TRV81K_PASSWORD, if set
    int stdinFd = 0;
    bool stdinIsTerminal = false;
    // Asks on the terminal; nothing when the user ended the input. Called only for a terminal.
    std::function<std::optional<std::string>()> prompt;
};

struct Password {
    std::string latin1;  // as the authentication request carries it
    PasswordSource source = PasswordSource::Option;
};

// The password by the order above, as Latin-1 of at most 32 characters; or why there is none
// (exit 2).
std::variant<Password, Refusal> ResolvePassword(const PasswordInputs& inputs);

// The first line of a secret file (`file`, relative to `folder`; "-": standard input), as
// given. No line, an unreadable file and a line above 4096 bytes are refused (exit 2), the
// refusal about `subject`.
std::variant<std::string, Refusal> ReadSecretFile(const std::string& file, int stdinFd,
                                                  const std::filesystem::path& folder,
                                                  std::string subject);

// One line from a descriptor, read byte by byte so nothing after it is consumed: up to the
// first LF (a CR before it dropped) or the end of the input. Nothing on a read error, at the
// end of the input before any byte, or when the line is longer than `maxBytes`.
std::optional<std::string> ReadLine(int fd, std::size_t maxBytes = kMaxPasswordLine);

// Writes `prompt` to `outFd`, reads one line from the terminal `inFd` with echo off, and puts
// the terminal back as it was, also when the program is ended during the prompt (EchoOff).
std::optional<std::string> PromptWithoutEcho(int inFd, int outFd, std::string_view prompt);

}  // namespace trv81k::cli
