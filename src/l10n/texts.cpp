#include "l10n/texts.h"

#include <system_error>

namespace trv81k {

namespace {

const std::string& EmptyText() {
    static const std::string empty;
    return empty;
}

}  // namespace

Texts Texts::Load(const ProfileReader& reader, std::string_view section,
                  std::span<const std::string_view> keys) {
    Texts texts;
    for (const std::string_view key : keys) {
        texts.set(key, reader.ReadString(section, key, ""));
    }
    return texts;
}

const std::string& Texts::get(std::string_view key) const {
    const auto it = texts_.find(key);
    return it == texts_.end() ? EmptyText() : it->second;
}

bool Texts::contains(std::string_view key) const {
    return texts_.find(key) != texts_.end();
}

void Texts::set(std::string_view key, std::string text) {
    texts_.insert_or_assign(std::string(key), std::move(text));
}

Texts LoadMainWindowTexts(const ProfileReader& reader, std::string_view section) {
    Texts texts = Texts::Load(reader, section, kMainWindowKeys);
    for (const std::string_view key : kMainWindowFeedbackKeys) {
        texts.set(key, reader.ReadString(section, key, ""));
    }
    return texts;
}

Texts LoadAccessibleTexts(const ProfileReader& reader, std::string_view section) {
    return Texts::Load(reader, section, kAccessibleKeys);
}

std::string LanguageFileProblem(const ProfileReader& reader, std::string_view section,
                                const std::filesystem::path& file) {
    std::error_code error;
    const std::filesystem::path shown = std::filesystem::absolute(file, error);
    const std::string where = (error ? file : shown).string();
    const std::string consequence =
        " The wizard's buttons and messages have no texts. Start the wizard in the folder that "
        "holds its Language.ini, or install it again.";
    if (!reader.loaded()) {
        return "The language file " + where + " was not found or cannot be read." + consequence;
    }
    for (const std::string_view key : kMainWindowCaptionKeys) {
        if (!reader.ReadString(section, key, "").empty()) {
            return {};
        }
    }
    return "The language file " + where + " has no texts in its section [" + std::string(section) +
           "]." + consequence;
}

std::string PageHeadingKey(int page) {
    return "Page" + std::to_string(page) + "_Heading";
}

std::string PageTextKey(int page) {
    return "Page" + std::to_string(page) + "_Text";
}

std::string StatusSecurityText(int code, const Texts& texts) {
    switch (code) {
        case 0:
            return texts.get("Disable");
        case 1:
            return "WEP (64-Bit)";
        case 2:
            return "WEP (128-Bit)";
        case 3:
            return "WPA-Personal(TKIP)";
        case 4:
            return "WPA-Personal(AES)";
        case 5:
            return texts.get("WPA_ENTERPRISE_TKIP");
        case 6:
            return texts.get("WPA_ENTERPRISE_AES");
        case 7:
            return "RADIUS";
        case 8:
            return "WPA2-Personal(TKIP)";
        case 9:
            return "WPA2-Personal(AES)";
        case 10:
            return texts.get("WPA2_Mixedmode");
        default:
            return {};
    }
}

std::optional<std::string> ConfirmSecurityText(int code, const Texts& texts) {
    switch (code) {
        case 5:
            return "WPA-Enterprise(TKIP)";
        case 6:
            return "WPA-Enterprise(AES)";
        case 7:
            return "Radius";
        case 11:
            return "Button Pair Setup";
        default:
            break;
    }
    if (code >= 0 && code <= 10) {
        return StatusSecurityText(code, texts);
    }
    return std::nullopt;
}

}  // namespace trv81k
