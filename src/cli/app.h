#pragma once
// The command line of trv81k-cli: parsing, the global options and the dispatch to the
// commands. main() only gathers the process's surroundings and calls RunCli.

#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace trv81k::cli {

// What the tool reads from its surroundings, so tests can set it.
struct Environment {
    std::function<std::optional<std::string>(const char*)> getenv;
    int stdinFd = 0;
    bool stdinIsTerminal = false;
    bool stderrIsTerminal = false;
    std::filesystem::path exeDir;  // for finding Language.ini
    // Asks for the password on the terminal (the real prompt when empty).
    std::function<std::optional<std::string>(const std::string& prompt)> prompt;
};

// Runs the tool with `args` (args[0] is the program name) and returns its exit code.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           const Environment& environment);

}  // namespace trv81k::cli
