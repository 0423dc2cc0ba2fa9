#pragma once
// What the command-line tool tells its user: the exit codes scripts rely on (a road's outcome),
// the message texts (the English section of Language.ini over the compiled-in copy, so that no
// message is ever empty) and the refusal's line.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/refusal.h"
#include "l10n/texts.h"

namespace trv81k::cli {

inline constexpr char kProgramName[] = "trv81k-cli";

// Exit codes (stable; listed in --help): the outcomes of the road.
constexpr int ExitCode(Outcome outcome) {
    return static_cast<int>(outcome);
}
inline constexpr int kExitOk = ExitCode(Outcome::Done);
inline constexpr int kExitNetwork = ExitCode(Outcome::Network);
inline constexpr int kExitUsage = ExitCode(Outcome::Usage);
inline constexpr int kExitNotFound = ExitCode(Outcome::NotFound);
inline constexpr int kExitPassword = ExitCode(Outcome::Password);
inline constexpr int kExitNoAck = ExitCode(Outcome::NoAck);
inline constexpr int kExitNotVerified = ExitCode(Outcome::NotVerified);
inline constexpr int kExitSomeNotDone = ExitCode(Outcome::SomeNotDone);

// The section every text is read from: the tool speaks English.
inline constexpr std::string_view kMessageSection = "English";

// Where Language.ini is looked for, in this order: the current directory, the program's
// folder, then <program folder>/../share/trv81k/.
std::vector<std::filesystem::path> LanguageFileCandidates(const std::filesystem::path& exeDir);

// The program's folder, from /proc/self/exe; empty when it cannot be read.
std::filesystem::path ExecutableDir();

class Messages {
public:
    // Only the compiled-in texts.
    Messages();

    // The first candidate that is a readable file; the compiled-in texts when there is none.
    // Keys the file leaves empty keep their compiled-in text.
    static Messages Load(const std::vector<std::filesystem::path>& candidates);
    static Messages FromReader(const ProfileReader& reader, std::filesystem::path source);

    // The text of a Language.ini key; never empty for the keys the tool uses.
    const std::string& text(std::string_view key) const { return texts_.get(key); }
    const Texts& texts() const { return texts_; }
    // The file the texts came from; empty for the compiled-in ones.
    const std::filesystem::path& source() const { return source_; }

private:
    Texts texts_;
    std::filesystem::path source_;
};

// "trv81k-cli: <subject>: <key text or detail> (<hint>)", terminal-safe, without the newline.
std::string RefusalLine(const Refusal& refusal, const Messages& messages);

}  // namespace trv81k::cli
