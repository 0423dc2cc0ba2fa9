#include "settings/text_encoding.h"

#include <cstdint>

namespace trv81k {

namespace {

struct Decoded {
    std::uint32_t codePoint = 0;
    std::size_t length = 0;
};

// The character that starts at `i` of well-formed UTF-8; nothing for a truncated or overlong
// sequence, a surrogate, a code point above U+10FFFF or a stray continuation byte.
std::optional<Decoded> decodeAt(std::string_view utf8, std::size_t i) {
    const auto lead = static_cast<std::uint8_t>(utf8[i]);
    if (lead < 0x80) {
        return Decoded{lead, 1};
    }
    std::size_t length = 0;
    std::uint32_t codePoint = 0;
    std::uint32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1Fu;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0Fu;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07u;
        minimum = 0x10000;
    } else {
        return std::nullopt;  // continuation byte, C0/C1 (overlong) or F5-FF
    }
    if (utf8.size() - i < length) {
        return std::nullopt;
    }
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<std::uint8_t>(utf8[i + k]);
        if ((next & 0xC0u) != 0x80u) {
            return std::nullopt;
        }
        codePoint = (codePoint << 6) | (next & 0x3Fu);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF ||
        (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
        return std::nullopt;
    }
    return Decoded{codePoint, length};
}

bool isControl(std::uint32_t codePoint) {
    return codePoint < 0x20 || (codePoint >= 0x7F && codePoint < 0xA0);
}

}  // namespace

std::optional<std::string> Utf8ToLatin1(std::string_view utf8) {
    std::string latin1;
    latin1.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        // Longer well-formed sequences are decoded too, so that only their value decides.
        const std::optional<Decoded> one = decodeAt(utf8, i);
        if (!one || one->codePoint > 0xFF) {
            return std::nullopt;
        }
        latin1.push_back(static_cast<char>(one->codePoint));
        i += one->length;
    }
    return latin1;
}

std::string TerminalText(std::string_view utf8) {
    std::string safe;
    safe.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const std::optional<Decoded> one = decodeAt(utf8, i);
        if (!one || isControl(one->codePoint)) {
            safe.push_back('?');
            i += one ? one->length : 1;
            continue;
        }
        safe.append(utf8.substr(i, one->length));
        i += one->length;
    }
    return safe;
}

std::string TerminalLatin1(std::string_view latin1) {
    return TerminalText(Latin1ToUtf8(latin1));
}

std::string ShownValue(std::string_view utf8, std::size_t maxCharacters) {
    const std::string safe = TerminalText(utf8);
    std::size_t characters = 0;
    for (std::size_t i = 0; i < safe.size(); ++i) {
        if ((static_cast<unsigned char>(safe[i]) & 0xC0u) == 0x80u) {
            continue;
        }
        if (++characters > maxCharacters) {
            return safe.substr(0, i) + "...";
        }
    }
    return safe;
}

bool HasControlCharacter(std::string_view latin1) {
    for (const char c : latin1) {
        if (isControl(static_cast<unsigned char>(c))) {
            return true;
        }
    }
    return false;
}

std::string Latin1ToUtf8(std::string_view latin1) {
    std::string utf8;
    utf8.reserve(latin1.size() * 2);
    for (const char c : latin1) {
        const auto byte = static_cast<std::uint8_t>(c);
        if (byte < 0x80) {
            utf8.push_back(c);
        } else {
            utf8.push_back(static_cast<char>(0xC0u | (byte >> 6)));
            utf8.push_back(static_cast<char>(0x80u | (byte & 0x3Fu)));
        }
    }
    return utf8;
}

}  // namespace trv81k
