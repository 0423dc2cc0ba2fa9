#pragma once
// The options of configure as data: one row per option, whose name without the dashes is also
// the key of an apply file's entry, so the command line and the file cannot drift apart; which
// of them cannot go together, which needs which; and how the defaults of a file lie under one
// of its entries. The parser is the command line's, built from these rows.

#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "core/overrides.h"
#include "core/refusal.h"

namespace trv81k {

enum class OptionKind { Flag, Text, Number };

// A row's value as a front end has it: true or false for a flag, the text, the whole number.
using OptionValue = std::variant<bool, std::string, int>;

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
    // This row's value of `from` into `to`.
    void copy(const ConfigureOptions& from, ConfigureOptions& to) const;
    // Sets the row's member to `value`, which holds the alternative of the row's kind.
    void assign(ConfigureOptions& options, OptionValue value) const;
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
// Whether an option that conflicts with `name` is set.
bool ConflictingSet(std::string_view name, const ConfigureOptions& options);

// The first conflict or missing companion among the set options (exit 2): the one place
// where they are checked, for the command line and the file alike.
std::optional<Refusal> CheckConflicts(const ConfigureOptions& options);

// The defaults laid under an entry (`own`: the keys the entry gives, `given`: those the
// defaults give): a key of the defaults counts unless the entry gives it, gives a key that
// cannot go with it, or turns off the option it needs.
void LayDefaults(ConfigureOptions& entry, const std::set<std::string_view>& own,
                 const ConfigureOptions& defaults, const std::set<std::string_view>& given);

}  // namespace trv81k
