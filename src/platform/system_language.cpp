#include "platform/system_language.h"

#include <algorithm>
#include <array>
#include <exception>
#include <fstream>
#include <optional>
#include <system_error>

namespace trv81k {

namespace {

struct LocaleId {
    std::string_view language;   // lower case
    std::string_view territory;  // upper case, optionally followed by "@modifier"
    std::uint16_t id;
};

// Windows identifiers by locale. The first row of each language is its principal identifier,
// used for a locale name without territory.
constexpr auto kLocaleIds = std::to_array<LocaleId>({
    {"af", "ZA", 0x0436},       {"am", "ET", 0x045E},       {"ar", "SA", 0x0401},
    {"ar", "IQ", 0x0801},       {"ar", "EG", 0x0C01},       {"ar", "LY", 0x1001},
    {"ar", "DZ", 0x1401},       {"ar", "MA", 0x1801},       {"ar", "TN", 0x1C01},
    {"ar", "OM", 0x2001},       {"ar", "YE", 0x2401},       {"ar", "SY", 0x2801},
    {"ar", "JO", 0x2C01},       {"ar", "LB", 0x3001},       {"ar", "KW", 0x3401},
    {"ar", "AE", 0x3801},       {"ar", "BH", 0x3C01},       {"ar", "QA", 0x4001},
    {"as", "IN", 0x044D},       {"az", "AZ", 0x042C},       {"ba", "RU", 0x046D},
    {"be", "BY", 0x0423},       {"bg", "BG", 0x0402},       {"bn", "IN", 0x0445},
    {"bn", "BD", 0x0845},       {"bo", "CN", 0x0451},       {"br", "FR", 0x047E},
    {"bs", "BA", 0x141A},       {"ca", "ES", 0x0403},       {"ca", "ES@valencia", 0x0803},
    {"co", "FR", 0x0483},       {"cs", "CZ", 0x0405},       {"cy", "GB", 0x0452},
    {"da", "DK", 0x0406},

    {"de", "DE", 0x0407},       {"de", "CH", 0x0807},       {"de", "AT", 0x0C07},
    {"de", "LU", 0x1007},       {"de", "LI", 0x1407},

    {"dv", "MV", 0x0465},       {"el", "GR", 0x0408},

    {"en", "US", 0x0409},       {"en", "GB", 0x0809},       {"en", "AU", 0x0C09},
    {"en", "CA", 0x1009},       {"en", "NZ", 0x1409},       {"en", "IE", 0x1809},
    {"en", "ZA", 0x1C09},       {"en", "JM", 0x2009},       {"en", "BZ", 0x2809},
    {"en", "TT", 0x2C09},       {"en", "ZW", 0x3009},       {"en", "PH", 0x3409},
    {"en", "HK", 0x3C09},       {"en", "IN", 0x4009},       {"en", "MY", 0x4409},
    {"en", "SG", 0x4809},       {"en", "AE", 0x4C09},

    {"es", "ES", 0x0C0A},       {"es", "MX", 0x080A},       {"es", "GT", 0x100A},
    {"es", "CR", 0x140A},       {"es", "PA", 0x180A},       {"es", "DO", 0x1C0A},
    {"es", "VE", 0x200A},       {"es", "CO", 0x240A},       {"es", "PE", 0x280A},
    {"es", "AR", 0x2C0A},       {"es", "EC", 0x300A},       {"es", "CL", 0x340A},
    {"es", "UY", 0x380A},       {"es", "PY", 0x3C0A},       {"es", "BO", 0x400A},
    {"es", "SV", 0x440A},       {"es", "HN", 0x480A},       {"es", "NI", 0x4C0A},
    {"es", "PR", 0x500A},       {"es", "US", 0x540A},       {"es", "CU", 0x5C0A},
    {"et", "EE", 0x0425},       {"eu", "ES", 0x042D},       {"fa", "IR", 0x0429},
    {"fi", "FI", 0x040B},       {"fil", "PH", 0x0464},      {"fo", "FO", 0x0438},

    {"fr", "FR", 0x040C},       {"fr", "BE", 0x080C},       {"fr", "CA", 0x0C0C},
    {"fr", "CH", 0x100C},       {"fr", "LU", 0x140C},       {"fr", "MC", 0x180C},
    {"fr", "RE", 0x200C},       {"fr", "CD", 0x240C},       {"fr", "SN", 0x280C},
    {"fr", "CM", 0x2C0C},       {"fr", "CI", 0x300C},       {"fr", "ML", 0x340C},
    {"fr", "MA", 0x380C},       {"fr", "HT", 0x3C0C},

    {"fy", "NL", 0x0462},       {"ga", "IE", 0x083C},       {"gd", "GB", 0x0491},
    {"gl", "ES", 0x0456},       {"gsw", "FR", 0x0484},      {"gu", "IN", 0x0447},
    {"ha", "NG", 0x0468},       {"he", "IL", 0x040D},       {"hi", "IN", 0x0439},
    {"hr", "HR", 0x041A},       {"hr", "BA", 0x101A},       {"hsb", "DE", 0x042E},
    {"hu", "HU", 0x040E},       {"hy", "AM", 0x042B},       {"id", "ID", 0x0421},
    {"ig", "NG", 0x0470},       {"is", "IS", 0x040F},       {"it", "IT", 0x0410},
    {"it", "CH", 0x0810},       {"ja", "JP", 0x0411},       {"ka", "GE", 0x0437},
    {"kk", "KZ", 0x043F},       {"kl", "GL", 0x046F},       {"km", "KH", 0x0453},
    {"kn", "IN", 0x044B},       {"ko", "KR", 0x0412},       {"kok", "IN", 0x0457},
    {"ky", "KG", 0x0440},       {"lb", "LU", 0x046E},       {"lo", "LA", 0x0454},
    {"lt", "LT", 0x0427},       {"lv", "LV", 0x0426},       {"mi", "NZ", 0x0481},
    {"mk", "MK", 0x042F},       {"ml", "IN", 0x044C},       {"mn", "MN", 0x0450},
    {"mr", "IN", 0x044E},       {"ms", "MY", 0x043E},       {"ms", "BN", 0x083E},
    {"mt", "MT", 0x043A},       {"nb", "NO", 0x0414},       {"ne", "NP", 0x0461},
    {"nl", "NL", 0x0413},       {"nl", "BE", 0x0813},       {"nn", "NO", 0x0814},
    {"no", "NO", 0x0414},       {"nso", "ZA", 0x046C},      {"oc", "FR", 0x0482},
    {"or", "IN", 0x0448},       {"pa", "IN", 0x0446},       {"pl", "PL", 0x0415},
    {"ps", "AF", 0x0463},       {"pt", "BR", 0x0416},       {"pt", "PT", 0x0816},
    {"rm", "CH", 0x0417},       {"ro", "RO", 0x0418},       {"ro", "MD", 0x0818},
    {"ru", "RU", 0x0419},       {"ru", "MD", 0x0819},       {"rw", "RW", 0x0487},
    {"sa", "IN", 0x044F},       {"sah", "RU", 0x0485},      {"se", "NO", 0x043B},
    {"se", "SE", 0x083B},       {"se", "FI", 0x0C3B},       {"si", "LK", 0x045B},
    {"sk", "SK", 0x041B},       {"sl", "SI", 0x0424},       {"sq", "AL", 0x041C},
    {"sr", "RS", 0x281A},       {"sr", "RS@latin", 0x241A}, {"sr", "ME", 0x301A},
    {"sr", "ME@latin", 0x2C1A}, {"sv", "SE", 0x041D},       {"sv", "FI", 0x081D},
    {"sw", "KE", 0x0441},       {"ta", "IN", 0x0449},       {"ta", "LK", 0x0849},
    {"te", "IN", 0x044A},       {"tg", "TJ", 0x0428},       {"th", "TH", 0x041E},
    {"ti", "ET", 0x0473},       {"ti", "ER", 0x0873},       {"tk", "TM", 0x0442},
    {"tn", "ZA", 0x0432},       {"tr", "TR", 0x041F},       {"tt", "RU", 0x0444},
    {"ug", "CN", 0x0480},       {"uk", "UA", 0x0422},       {"ur", "PK", 0x0420},
    {"ur", "IN", 0x0820},       {"uz", "UZ", 0x0443},       {"uz", "UZ@cyrillic", 0x0843},
    {"vi", "VN", 0x042A},       {"wo", "SN", 0x0488},       {"xh", "ZA", 0x0434},
    {"yo", "NG", 0x046A},       {"zh", "CN", 0x0804},       {"zh", "TW", 0x0404},
    {"zh", "HK", 0x0C04},       {"zh", "SG", 0x1004},       {"zh", "MO", 0x1404},
    {"zu", "ZA", 0x0435},
});

constexpr std::size_t kMaxLocaleFileBytes = 64 * 1024;

bool IsAsciiAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r';
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && IsBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

std::string AsciiCase(std::string_view s, bool upper) {
    std::string out(s);
    for (char& c : out) {
        if (upper && c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        } else if (!upper && c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

bool AllAlpha(std::string_view s) {
    return std::all_of(s.begin(), s.end(), IsAsciiAlpha);
}

// The LANG value set by a shell-style assignment file, the last assignment winning; nullopt
// when the file is missing or sets no non-empty LANG.
std::optional<std::string> LangFromFile(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec) || ec) {
        return std::nullopt;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::string text(kMaxLocaleFileBytes, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));

    std::optional<std::string> result;
    std::string_view rest = text;
    while (!rest.empty()) {
        const auto eol = rest.find_first_of(std::string_view("\n\0", 2));
        std::string_view line = TrimBlanks(rest.substr(0, eol));
        rest = eol == std::string_view::npos ? std::string_view{} : rest.substr(eol + 1);
        if (line.empty() || line.front() == '#') {
            continue;
        }
        if (line.starts_with("export") && line.size() > 6 && IsBlank(line[6])) {
            line = TrimBlanks(line.substr(6));
        }
        if (!line.starts_with("LANG=")) {
            continue;
        }
        std::string_view value = line.substr(5);
        if (!value.empty() && (value.front() == '"' || value.front() == '\'')) {
            const char quote = value.front();
            value.remove_prefix(1);
            value = value.substr(0, value.find(quote));
        } else {
            // An unquoted shell word ends at the first blank; a comment may follow.
            const auto blank = std::find_if(value.begin(), value.end(), IsBlank);
            value = value.substr(0, static_cast<std::size_t>(blank - value.begin()));
        }
        value = TrimBlanks(value);
        if (value.empty()) {
            result.reset();  // "LANG=" unsets it
        } else {
            result = std::string(value);
        }
    }
    return result;
}

}  // namespace

std::string SystemLocaleName(const std::filesystem::path& root) {
    try {
        for (const char* file : {"etc/default/locale", "etc/locale.conf"}) {
            if (auto lang = LangFromFile(root / file)) {
                return *lang;
            }
        }
    } catch (const std::exception&) {
        // An unreadable system setting is no setting.
    }
    return "C";
}

std::uint16_t LangIdFromLocaleName(std::string_view localeName) {
    std::string_view name = TrimBlanks(localeName);
    std::string_view modifier;
    if (const auto at = name.find('@'); at != std::string_view::npos) {
        modifier = name.substr(at + 1);
        name = name.substr(0, at);
    }
    if (const auto dot = name.find('.'); dot != std::string_view::npos) {
        name = name.substr(0, dot);  // the codeset
    }
    std::string_view language = name;
    std::string_view territory;
    if (const auto sep = name.find_first_of("_-"); sep != std::string_view::npos) {
        language = name.substr(0, sep);
        territory = name.substr(sep + 1);
    }
    if (language == "C" || language == "POSIX" || language.size() < 2 || language.size() > 3 ||
        !AllAlpha(language) || !AllAlpha(territory) || territory.size() > 3) {
        return kLangIdEnglishUnitedStates;
    }
    const std::string lang = AsciiCase(language, false);
    if (territory.empty()) {
        for (const LocaleId& row : kLocaleIds) {
            if (row.language == lang) {
                return row.id;
            }
        }
        return kLangIdCustomUnspecified;
    }
    const std::string terr = AsciiCase(territory, true);
    const std::string withModifier = terr + "@" + std::string(modifier);
    for (const std::string& wanted : {withModifier, terr}) {
        for (const LocaleId& row : kLocaleIds) {
            if (row.language == lang && row.territory == wanted) {
                return row.id;
            }
        }
    }
    return kLangIdCustomUnspecified;
}

std::uint16_t LangIdOfLocaleFiles(const std::filesystem::path& root) {
    try {
        return LangIdFromLocaleName(SystemLocaleName(root));
    } catch (const std::exception&) {
        return kLangIdEnglishUnitedStates;
    }
}

}  // namespace trv81k
