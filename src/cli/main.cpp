// trv81k-cli: search for TRV81K access points and configure one from the command line.

#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "cli/app.h"
#include "cli/messages.h"

int main(int argc, char** argv) {
    // A closed pipe (search | head) shows up as a write error, not as a killed program.
    std::signal(SIGPIPE, SIG_IGN);

    trv81k::cli::Environment environment;
    environment.getenv = [](const char* name) -> std::optional<std::string> {
        const char* value = std::getenv(name);
        return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
    };
    environment.stdinFd = STDIN_FILENO;
    environment.stdinIsTerminal = ::isatty(STDIN_FILENO) == 1;
    environment.stderrIsTerminal = ::isatty(STDERR_FILENO) == 1;
    environment.exeDir = trv81k::cli::ExecutableDir();

    const std::vector<std::string> args(argv, argv + argc);
    return trv81k::cli::RunCli(args, std::cout, std::cerr, environment);
}
