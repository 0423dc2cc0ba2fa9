// trv81k-cli: search for TRV81K access points and configure one from the command line.

#include <csignal>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "cli/app.h"
#include "cli/messages.h"
#include "platform/console.h"

int main(int argc, char** argv) {
    // A closed pipe (search | head) shows up as a write error, not as a killed program.
#ifdef SIGPIPE
    std::signal(SIGPIPE, SIG_IGN);
#endif

    trv81k::cli::Environment environment;
    environment.getenv = [](const char* name) -> std::optional<std::string> {
        const char* value = std::getenv(name);
        return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
    };
    environment.stdinFd = 0;
    environment.stdinIsTerminal = trv81k::IsTerminal(0);
    environment.stderrIsTerminal = trv81k::IsTerminal(2);
    environment.exeDir = trv81k::cli::ExecutableDir();

    const std::vector<std::string> args(argv, argv + argc);
    return trv81k::cli::RunCli(args, std::cout, std::cerr, environment);
}
