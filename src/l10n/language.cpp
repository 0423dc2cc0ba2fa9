#include "l10n/language.h"

#include <algorithm>
#include <array>

#include "platform/system_language.h"

namespace trv81k {

namespace {

// Germany, Switzerland, Austria, Luxembourg, Liechtenstein.
constexpr std::array<std::uint16_t, 5> kGermanIds = {0x0407, 0x0807, 0x0C07, 0x1007, 0x1407};
// France, Belgium, Canada, Switzerland, Luxembourg, Monaco.
constexpr std::array<std::uint16_t, 6> kFrenchIds = {0x040C, 0x080C, 0x0C0C,
                                                     0x100C, 0x140C, 0x180C};
// United States, United Kingdom, Australia, Canada, New Zealand, Ireland, South Africa,
// Jamaica, Caribbean, Belize, Trinidad. Every other identifier gives English as well; the
// list documents the languages the table names.
constexpr std::array<std::uint16_t, 11> kEnglishIds = {
    0x0409, 0x0809, 0x0C09, 0x1009, 0x1409, 0x1809, 0x1C09, 0x2009, 0x2409, 0x2809, 0x2C09};

template <std::size_t N>
bool Contains(const std::array<std::uint16_t, N>& ids, std::uint16_t id) {
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

}  // namespace

std::string_view GetLanguageSection(std::uint16_t langId) {
    if (Contains(kGermanIds, langId)) {
        return kSectionGerman;
    }
    if (Contains(kEnglishIds, langId)) {
        return kSectionEnglish;
    }
    if (Contains(kFrenchIds, langId)) {
        return kSectionFrench;
    }
    return kSectionEnglish;
}

std::string_view GetLanguageSection() {
    return GetLanguageSection(SystemDefaultLangID());
}

int LanguageBaseFor(std::string_view section) {
    if (section == kSectionEnglish) {
        return kLanguageBaseEnglish;
    }
    if (section == kSectionGerman) {
        return kLanguageBaseGerman;
    }
    if (section == kSectionFrench) {
        return kLanguageBaseFrench;
    }
    return 0;
}

}  // namespace trv81k
