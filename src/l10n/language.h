#pragma once
// Choice of the user-interface language: the Language.ini section for the system's default
// language identifier, and the picture-number base of each section.

#include <cstdint>
#include <string_view>

namespace trv81k {

inline constexpr std::string_view kSectionEnglish = "English";
inline constexpr std::string_view kSectionGerman = "German";
inline constexpr std::string_view kSectionFrench = "French";

inline constexpr int kLanguageBaseEnglish = 100;
inline constexpr int kLanguageBaseGerman = 200;
inline constexpr int kLanguageBaseFrench = 300;

// The section for a language identifier, matched on the whole 16-bit identifier: the German
// and French variants listed in the language table give "German" and "French", every other
// identifier (English ones included) gives "English". The view refers to static storage.
std::string_view GetLanguageSection(std::uint16_t langId);

// The section for the system's default language identifier (SystemDefaultLangID).
std::string_view GetLanguageSection();

// 100 for "English", 200 for "German", 300 for "French" (exact, case-sensitive names);
// 0 for anything else.
int LanguageBaseFor(std::string_view section);

}  // namespace trv81k
