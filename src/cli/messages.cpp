#include "cli/messages.h"

#include <system_error>
#include <utility>

#include "l10n/profile_reader.h"
#include "settings/text_encoding.h"

namespace trv81k::cli {

std::vector<std::filesystem::path> LanguageFileCandidates(const std::filesystem::path& exeDir) {
    std::vector<std::filesystem::path> candidates{std::filesystem::path("Language.ini")};
    if (!exeDir.empty()) {
        candidates.push_back(exeDir / "Language.ini");
        candidates.push_back(exeDir / ".." / "share" / "trv81k" / "Language.ini");
    }
    return candidates;
}

std::filesystem::path ExecutableDir() {
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : exe.parent_path();
}

Messages::Messages() : texts_(EnglishTexts()) {}

Messages Messages::FromReader(const ProfileReader& reader, std::filesystem::path source) {
    Messages messages;
    for (const std::string_view key : EnglishTextKeys()) {
        std::string text = reader.ReadString(kMessageSection, key, "");
        if (!text.empty()) {
            messages.texts_.set(key, std::move(text));
        }
    }
    messages.source_ = std::move(source);
    return messages;
}

Messages Messages::Load(const std::vector<std::filesystem::path>& candidates) {
    for (const std::filesystem::path& path : candidates) {
        std::error_code error;
        if (!std::filesystem::is_regular_file(path, error)) {
            continue;
        }
        const ProfileReader reader(path);
        if (reader.loaded()) {
            return FromReader(reader, path);
        }
    }
    return Messages();
}

std::string RefusalLine(const Refusal& refusal, const Messages& messages) {
    std::string line = std::string(kProgramName) + ": ";
    if (!refusal.subject.empty()) {
        line += refusal.subject + ": ";
    }
    // Subjects and details may repeat values from files and devices, and the texts come from
    // Language.ini: nothing of them may steer the terminal.
    return TerminalText(line + refusal.text(messages.texts()));
}

}  // namespace trv81k::cli
