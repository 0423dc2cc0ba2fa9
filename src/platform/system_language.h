#pragma once
// The system's default language as a 16-bit Windows language identifier (LANGID: primary
// language in the low 10 bits, sublanguage in the high 6). Windows: GetSystemDefaultLangID.
// Linux: taken from the system locale, as below.
//
// The system locale is the LANG= setting of /etc/default/locale, else of /etc/locale.conf
// (the first of the two files that sets LANG to something non-empty). The user's environment
// (LANG, LC_ALL, LANGUAGE of the running process) is never read: only the system default counts.
//
// Mapping of a locale name "language[_TERRITORY][.codeset][@modifier]":
// - no setting, "C", "POSIX" (with or without a codeset) or a name that is not a locale name:
//   0x0409, English (United States), the identifier of a neutral English Windows system;
// - language and territory that Windows knows as a pair: Windows' own identifier
//   (de_AT 0x0C07, en_ZW 0x3009, fr_RE 0x200C, pt_BR 0x0416 ...);
// - a language without territory: that language's principal identifier (de 0x0407,
//   en 0x0409, fr 0x040C ...);
// - a pair that Windows has no identifier for (de_BE, de_IT, en_DK ...), or an unknown
//   language: 0x1000, what Windows reports for a locale without an identifier of its own
//   (LOCALE_CUSTOM_UNSPECIFIED).
// The codeset is ignored; the modifier only where it picks another identifier (sr_RS@latin,
// ca_ES@valencia, uz_UZ@cyrillic).

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace trv81k {

inline constexpr std::uint16_t kLangIdEnglishUnitedStates = 0x0409;
inline constexpr std::uint16_t kLangIdCustomUnspecified = 0x1000;

// The LANG value of the system locale files below `root` ("/" in the product; tests give a
// folder of fake files), without quotes; "C" when neither file sets it.
std::string SystemLocaleName(const std::filesystem::path& root = "/");

// The identifier for one locale name (rules above).
std::uint16_t LangIdFromLocaleName(std::string_view localeName);

// The identifier of the locale files below `root`: LangIdFromLocaleName(SystemLocaleName(root)).
std::uint16_t LangIdOfLocaleFiles(const std::filesystem::path& root);

// The system default language identifier: Linux LangIdOfLocaleFiles("/"), Windows
// GetSystemDefaultLangID().
std::uint16_t SystemDefaultLangID();

}  // namespace trv81k
