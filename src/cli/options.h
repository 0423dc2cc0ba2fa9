#pragma once
// The configure command's options: the table the parser and an apply file's keys are made
// from, their conflicts (checked here, once, for the command line and the file alike), the
// number texts, and where the secrets come from. What the values turn into is the core's
// (core/overrides.h).

#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "core/overrides.h"
#include "core/refusal.h"

namespace trv81k::cli {

// What is wrong with the text of a number option ("--timeout", "--channel" ...), or nothing
// when it is a number from `low` to `high` (a whole one when `whole`). An empty text, NaN,
// an infinity, trailing characters and a value beyond the range are each named; the text is
// repeated cut and terminal-safe.
std::optional<std::string> NumberProblem(std::string_view text, double low, double high,
                                         bool whole);

// ---- The option table ------------------------------------------------------------------------
// One row per option of configure. Its name without the dashes is also the key of an apply
// file's entry, so the command line and the file cannot drift apart.

enum class OptionKind { Flag, Text, Number };

struct ConfigureOption {
    std::string_view name;  // "new-password": --new-password, and the key "new-password"
    OptionKind kind = OptionKind::Text;
    std::string_view typeName;  // for --help: "A", "FILE|-" ...
    std::string_view help;
    bool ConfigureOptions::*flag = nullptr;                        // OptionKind::Flag
    std::optional<std::string> ConfigureOptions::*text = nullptr;  // OptionKind::Text
    std::optional<int> ConfigureOptions::*number = nullptr;        // OptionKind::Number
    std::string_view needs;  // another option this one needs ("static"), or empty
    int low = 0;             // OptionKind::Number: the range of the value
    int high = 0;

    bool isSet(const ConfigureOptions& options) const;
    void clear(ConfigureOptions& options) const;
};

// Every option, in the order --help lists them.
std::span<const ConfigureOption> ConfigureOptionTable();
const ConfigureOption* FindConfigureOption(std::string_view name);

// Two options that cannot be given together.
struct OptionConflict {
    std::string_view first;
    std::string_view second;
};
std::span<const OptionConflict> ConfigureConflicts();

// The first conflict or missing companion among the set options (exit 2): the one place
// where they are checked.
std::optional<Refusal> CheckConflicts(const ConfigureOptions& options);

// ---- Secrets ---------------------------------------------------------------------------------
// A secret of the new settings comes from its option, its file (the first line; "-": standard
// input) or, for the command line, its environment variable, in this order. The variable is
// read only when neither the option, its file nor a conflicting option is given.

struct SecretOption {
    std::string_view name;      // "key"
    std::string_view fileName;  // "key-file"
    const char* variable;       // "TRV81K_KEY"
};
inline constexpr std::array<SecretOption, 3> kSecretOptions{{
    {"new-password", "new-password-file", "TRV81K_NEW_PASSWORD"},
    {"key", "key-file", "TRV81K_KEY"},
    {"passphrase", "passphrase-file", "TRV81K_PASSPHRASE"},
}};

struct SecretContext {
    std::filesystem::path folder;  // relative file names count from here
    int stdinFd = 0;
    bool stdinAllowed = true;  // "-" may name standard input (once in all)
    // The environment; empty: no variable is read.
    std::function<std::optional<std::string>(const char*)> getenv;
};

// Where each secret that was read came from ("TRV81K_KEY", "--key-file k.txt"), by option name.
using SecretOrigins = std::vector<std::pair<std::string, std::string>>;

// Reads the secret files into their values (the file options are cleared) and takes the
// variables; the origins of what was read, or why a file could not be read (exit 2).
std::variant<SecretOrigins, Refusal> ReadSecrets(ConfigureOptions& options,
                                                 const SecretContext& context);

}  // namespace trv81k::cli
