#pragma once
// The configure command's options on the command line: the number texts, and where the
// secrets come from. The table the parser and an apply file's keys are made from, and its
// conflicts, are the core's (core/option_table.h); so is what the values turn into
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

#include "core/option_table.h"
#include "core/overrides.h"
#include "core/refusal.h"

namespace trv81k::cli {

// What is wrong with the text of a number option ("--timeout", "--channel" ...), or nothing
// when it is a number from `low` to `high` (a whole one when `whole`). An empty text, NaN,
// an infinity, trailing characters and a value beyond the range are each named; the text is
// repeated cut and terminal-safe.
std::optional<std::string> NumberProblem(std::string_view text, double low, double high,
                                         bool whole);

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

// The options through their checks in this order: the conflicts, the secrets read, every value
// (CheckConfigureOptions). With `sayOrigin`, a refusal about a secret that did not come from
// its option on the command line says where it came from.
std::variant<ConfigurePlan, Refusal> CheckOptions(ConfigureOptions& options,
                                                  const SecretContext& context, bool sayOrigin);

}  // namespace trv81k::cli
