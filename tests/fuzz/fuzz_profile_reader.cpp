// The Language.ini reader against any file content, compared with a plain model of the
// profile rules (profile_reader.h) written line by line: every entry the model finds reads
// back as the model says, under any ASCII case and with blanks around the names, and never
// longer than the limit nor ending in half a UTF-8 character; names the model does not know
// give the default. The window texts load as the reader reads them.
#include <cstdint>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>

#include "l10n/language.h"
#include "l10n/profile_reader.h"
#include "l10n/texts.h"

namespace {

using namespace trv81k;

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool blank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

std::string trim(std::string s) {
    std::size_t begin = 0;
    while (begin < s.size() && blank(s[begin])) {
        ++begin;
    }
    std::size_t end = s.size();
    while (end > begin && blank(s[end - 1])) {
        --end;
    }
    return s.substr(begin, end - begin);
}

std::string lower(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c + ('a' - 'A'));
        }
    }
    return s;
}

// Length in bytes of the UTF-8 character a lead byte starts (1 for anything else).
std::size_t utf8Length(unsigned char lead) {
    if ((lead & 0xE0u) == 0xC0u) {
        return 2;
    }
    if ((lead & 0xF0u) == 0xE0u) {
        return 3;
    }
    if ((lead & 0xF8u) == 0xF0u) {
        return 4;
    }
    return 1;
}

// The value cut to the limit; a character the cut runs through goes as a whole.
std::string cut(std::string value) {
    const std::size_t limit = ProfileReader::kMaxValueBytes;
    if (value.size() <= limit) {
        return value;
    }
    std::size_t keep = limit;
    // The last lead byte at or before the cut, at most three continuation bytes back.
    std::size_t lead = limit;
    for (std::size_t back = 1; back <= 4 && back <= limit; ++back) {
        const auto c = static_cast<unsigned char>(value[limit - back]);
        if ((c & 0xC0u) != 0x80u) {
            lead = limit - back;
            break;
        }
    }
    if (lead < limit && lead + utf8Length(static_cast<unsigned char>(value[lead])) > limit) {
        keep = lead;
    }
    return value.substr(0, keep);
}

// section (lower case) -> key (lower case) -> value, by the rules written out line by line.
std::map<std::string, std::map<std::string, std::string>> model(std::string_view text) {
    std::map<std::string, std::map<std::string, std::string>> sections;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    std::set<std::string> seen;
    std::map<std::string, std::string>* current = nullptr;
    std::string line;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        const bool end = i == text.size() || text[i] == '\n' || text[i] == '\r' || text[i] == '\0';
        if (!end) {
            line += text[i];
            continue;
        }
        const std::string t = trim(line);
        line.clear();
        if (t.empty() || t[0] == ';') {
            continue;
        }
        if (t[0] == '[') {
            const std::string name = lower(trim(t.substr(1, t.find(']', 1) - 1)));
            current = seen.insert(name).second ? &sections[name] : nullptr;
            continue;
        }
        const std::size_t equals = t.find('=');
        if (current == nullptr || equals == std::string::npos) {
            continue;
        }
        const std::string key = lower(trim(t.substr(0, equals)));
        std::string value = trim(t.substr(equals + 1));
        if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') &&
            value.back() == value[0]) {
            value = value.substr(1, value.size() - 2);
        }
        if (!key.empty()) {
            current->emplace(key, cut(value));  // the first entry of a key wins
        }
    }
    return sections;
}

// The name with its ASCII letters in alternating case and blanks around it.
std::string disguised(const std::string& name) {
    std::string out = " \t";
    for (std::size_t i = 0; i < name.size(); ++i) {
        char c = name[i];
        if (i % 2 == 0 && c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - ('a' - 'A'));
        }
        out += c;
    }
    return out + " ";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const ProfileReader reader = ProfileReader::FromText(text);
    const auto expected = model(text);

    for (const auto& [section, entries] : expected) {
        for (const auto& [key, value] : entries) {
            const std::string got = reader.ReadString(section, key, "dflt");
            check(got == value);
            check(got.size() <= ProfileReader::kMaxValueBytes);
            check(got.find_first_of(std::string("\r\n\0", 3)) == std::string::npos);
            // Names are found under any ASCII case and with blanks around them; a name that
            // ends in a blank was trimmed in the file too, so it is left as it is.
            if (!section.empty() && !blank(section.back()) && !blank(section.front()) &&
                !blank(key.back()) && !blank(key.front())) {
                check(reader.ReadString(disguised(section), disguised(key), "dflt") == value);
            }
        }
        check(reader.ReadString(section, "no key has this name\n", "dflt") == "dflt");
    }
    // The window texts of one language: every key of the main window reads as the model has
    // it, or empty.
    {
        static const std::string kSections[] = {"english", "german", "french"};
        const std::string& section = kSections[size % 3];
        const Texts texts = LoadMainWindowTexts(reader, section);
        const auto found = expected.find(section);
        for (std::string_view key : kMainWindowKeys) {
            std::string want;
            if (found != expected.end()) {
                if (const auto entry = found->second.find(lower(std::string(key)));
                    entry != found->second.end()) {
                    want = entry->second;
                }
            }
            check(texts.get(key) == want);
        }
    }
    // Sections the text does not have give the default.
    if (expected.find("x") == expected.end()) {
        check(reader.ReadString("x", "NextPanel", "dflt") == "dflt");
    }
    return 0;
}
