#pragma once
// The commands of trv81k-cli behind one table: each adds its subcommand and options to the
// parser and, once they are parsed, runs as a thin caller of the core. What they share: the
// number check, the option table's rows on a subcommand, the device password's sources.

#include <CLI/CLI.hpp>
#include <deque>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "cli/app.h"
#include "cli/console.h"
#include "cli/messages.h"
#include "cli/options.h"
#include "cli/password.h"
#include "core/link.h"

namespace trv81k::cli {

// What a command runs with.
struct Context {
    const Environment& environment;
    NetworkConfig network;
    Console& console;
    const Messages& messages;
};

class Command {
public:
    virtual ~Command() = default;
    // Adds the subcommand with its options; the values land in the command object.
    virtual CLI::App* add(CLI::App& app) = 0;
    // After parsing: the exit code.
    virtual int run(Context& context) = 0;
    // Whether the command uses the network (then --interface is checked before it runs).
    virtual bool usesNetwork() const { return true; }
};

// The table, in the order --help lists the commands.
std::unique_ptr<Command> MakeWepKeyCommand();
std::unique_ptr<Command> MakeSearchCommand();
std::unique_ptr<Command> MakeDiagnoseCommand();
std::unique_ptr<Command> MakeConfigureCommand();
std::unique_ptr<Command> MakeApplyCommand();

// configure's road once its options are checked and its password is known (Latin-1): search,
// log in, write, verify as the plan says.
int RunConfigure(Context& context, const ConfigurePlan& plan, const std::string& password);

// A number option's check, before the parser converts the text: the parser itself would take
// NaN, turn "" into 0 and wrap 2^64-1 around to -1.
CLI::Validator NumberCheck(double low, double high, bool whole);
// --timeout SECONDS of search and diagnose.
CLI::Option* AddTimeout(CLI::App& command, double& seconds);

template <typename T>
std::optional<T> Given(const CLI::Option* option, const T& value) {
    return option->count() > 0 ? std::optional<T>(value) : std::nullopt;
}

// Options of the table on a command: each parses into a value of its own, which store() moves
// into a ConfigureOptions once the command line is parsed. Conflicts are not the parser's:
// CheckConflicts names them.
class TableOptions {
public:
    // The rows named in `only` (every row when empty).
    void addTo(CLI::App& command, std::initializer_list<std::string_view> only = {});
    CLI::Option* find(std::string_view name) const;
    void store(ConfigureOptions& options) const;

private:
    struct Bound {
        const ConfigureOption* row = nullptr;
        CLI::Option* option = nullptr;
        OptionValue value;  // the parser writes into its alternative
    };
    std::deque<Bound> bound_;  // the parser keeps pointers into it
};

// The device password from the option, its file, the environment or a prompt, in that order.
std::variant<Password, Refusal> ResolveDevicePassword(const ConfigureOptions& given,
                                                      const Environment& environment,
                                                      const std::string& promptText);

}  // namespace trv81k::cli
