#include "l10n/profile_reader.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <fstream>
#include <system_error>

namespace trv81k {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

bool IsLineEnd(char c) {
    return c == '\n' || c == '\r' || c == '\0';
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

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string AsciiLowerCopy(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        c = AsciiLower(c);
    }
    return out;
}

std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// Cuts `value` to at most `limit` bytes without leaving a UTF-8 lead byte whose continuation
// bytes were cut away. Bytes that are not UTF-8 at all are cut plainly.
std::string_view CutValue(std::string_view value, std::size_t limit) {
    if (value.size() <= limit) {
        return value;
    }
    const std::string_view cut = value.substr(0, limit);
    // Walk back over at most three continuation bytes to the byte that starts the character
    // which the cut runs through.
    std::size_t start = cut.size();
    std::size_t continuation = 0;
    while (start > 0 && continuation < 3 &&
           (static_cast<unsigned char>(cut[start - 1]) & 0xC0u) == 0x80u) {
        --start;
        ++continuation;
    }
    if (start == 0) {
        return cut;
    }
    const auto lead = static_cast<unsigned char>(cut[start - 1]);
    std::size_t length = 0;
    if ((lead & 0xE0u) == 0xC0u) {
        length = 2;
    } else if ((lead & 0xF0u) == 0xE0u) {
        length = 3;
    } else if ((lead & 0xF8u) == 0xF0u) {
        length = 4;
    }
    // A lead byte whose character does not fit inside the cut goes with its continuation bytes.
    if (length != 0 && continuation + 1 < length) {
        return cut.substr(0, start - 1);
    }
    return cut;
}

std::string ReadFilePrefix(const std::filesystem::path& path, std::size_t limit, bool& ok) {
    ok = false;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec) || ec) {
        return {};
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return {};
    }
    std::string data;
    const auto size = std::filesystem::file_size(path, ec);
    if (!ec) {
        data.reserve(static_cast<std::size_t>(std::min<std::uintmax_t>(size, limit)));
    }
    char buffer[64 * 1024];
    while (data.size() < limit && in) {
        const std::size_t want = std::min(sizeof buffer, limit - data.size());
        in.read(buffer, static_cast<std::streamsize>(want));
        const std::streamsize got = in.gcount();
        if (got <= 0) {
            break;
        }
        data.append(buffer, static_cast<std::size_t>(got));
    }
    if (in.bad()) {
        return {};
    }
    ok = true;
    return data;
}

}  // namespace

ProfileReader::ProfileReader() : ProfileReader(std::filesystem::path(kDefaultProfilePath)) {}

ProfileReader::ProfileReader(const std::filesystem::path& path) {
    try {
        bool ok = false;
        const std::string data = ReadFilePrefix(path, kMaxFileBytes, ok);
        loaded_ = ok;
        Parse(data);
    } catch (const std::exception&) {
        // Out of memory or a failing stream: behave as if there were no file.
        sectionIndex_.clear();
        sections_.clear();
        loaded_ = false;
    }
}

ProfileReader::ProfileReader(std::string_view text, bool loaded) : loaded_(loaded) {
    try {
        Parse(text.substr(0, std::min(text.size(), kMaxFileBytes)));
    } catch (const std::exception&) {
        sectionIndex_.clear();
        sections_.clear();
        loaded_ = false;
    }
}

ProfileReader ProfileReader::FromText(std::string_view text) {
    return ProfileReader(text, true);
}

void ProfileReader::Parse(std::string_view text) {
    if (text.starts_with(kUtf8Bom)) {
        text.remove_prefix(kUtf8Bom.size());
    }
    Section* current = nullptr;  // null before the first section and inside a repeated one
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = pos;
        while (end < text.size() && !IsLineEnd(text[end])) {
            ++end;
        }
        const std::string_view line = TrimBlanks(text.substr(pos, end - pos));
        pos = end + 1;  // one terminator; an empty line between CR and LF is harmless
        if (line.empty() || line.front() == ';') {
            continue;
        }
        if (line.front() == '[') {
            std::string_view name = line.substr(1);
            if (const auto close = name.find(']'); close != std::string_view::npos) {
                name = name.substr(0, close);
            }
            auto [it, inserted] =
                sectionIndex_.try_emplace(AsciiLowerCopy(TrimBlanks(name)), sections_.size());
            if (inserted) {
                sections_.emplace_back();
                current = &sections_.back();
            } else {
                current = nullptr;
            }
            continue;
        }
        if (current == nullptr) {
            continue;
        }
        const auto equals = line.find('=');
        if (equals == std::string_view::npos) {
            continue;
        }
        const std::string_view key = TrimBlanks(line.substr(0, equals));
        if (key.empty()) {
            continue;
        }
        std::string lowerKey = AsciiLowerCopy(key);
        if (current->entries.contains(lowerKey)) {
            continue;
        }
        const std::string_view value =
            CutValue(Unquote(TrimBlanks(line.substr(equals + 1))), kMaxValueBytes);
        current->entries.emplace(std::move(lowerKey), std::string(value));
    }
}

std::string ProfileReader::ReadString(std::string_view section, std::string_view key,
                                      std::string_view defaultText) const {
    try {
        key = TrimBlanks(key);
        if (key.empty()) {
            return std::string(defaultText);
        }
        const auto sectionIt = sectionIndex_.find(AsciiLowerCopy(TrimBlanks(section)));
        if (sectionIt == sectionIndex_.end()) {
            return std::string(defaultText);
        }
        const Section& found = sections_[sectionIt->second];
        const auto entryIt = found.entries.find(AsciiLowerCopy(key));
        if (entryIt == found.entries.end()) {
            return std::string(defaultText);
        }
        return entryIt->second;
    } catch (const std::exception&) {
        return {};
    }
}

}  // namespace trv81k
