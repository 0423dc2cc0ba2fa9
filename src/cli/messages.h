#pragma once
// What the command-line tool tells its user: the exit codes scripts rely on, the message texts
// (the English section of Language.ini, with a compiled-in copy so that no message is ever
// empty) and the one-line refusals built from them.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "l10n/texts.h"

namespace trv81k::cli {

inline constexpr char kProgramName[] = "trv81k-cli";

// Exit codes (stable; listed in --help).
inline constexpr int kExitOk = 0;
inline constexpr int kExitNetwork = 1;      // no adapter, socket or port (INVALID_NIC ...)
inline constexpr int kExitUsage = 2;        // bad arguments or values; nothing was written
inline constexpr int kExitNotFound = 3;     // no device answered / the device did not answer
inline constexpr int kExitPassword = 4;     // the device did not accept the password
inline constexpr int kExitNoAck = 5;        // the device did not acknowledge the settings
inline constexpr int kExitNotVerified = 6;  // the device does not announce the new settings
inline constexpr int kExitSomeNotDone = 7;  // apply: some devices are not done

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

// The compiled-in English text of a key ("" for keys the tool does not use).
std::string_view FallbackText(std::string_view key);

// A reason not to go on. The line reads "trv81k-cli: <subject>: <key text or detail> <hint>".
struct Refusal {
    int exitCode = kExitUsage;
    std::string subject;     // what it is about: "--ip 10.0.0.255", "device 00-11-22-33-44-55"
    std::string messageKey;  // Language.ini key; empty when `detail` says it all
    std::string detail;      // own text, used when there is no key
    std::string hint;        // what to do, appended in parentheses
    // The option it is about, without its dashes ("ip"; an apply file's key); empty when none.
    std::string field;

    // The message line without the trailing newline.
    std::string line(const Messages& messages) const;
    // What the line says after its subject.
    std::string text(const Messages& messages) const;
};

}  // namespace trv81k::cli
