#pragma once
// Reader of a Windows-style profile (INI) file such as Language.ini.
//
// The file is read once, when the reader is made; later changes to the file are not seen. A
// window makes a reader, reads its keys and lets the reader go.
//
// File rules:
// - A section starts with a line whose first non-blank character is '['; its name is the text
//   up to the first ']' (or to the end of the line when there is none), blanks around it dropped.
//   Text after the ']' is ignored.
// - An entry is a line "key=value" inside a section: the key is the text before the first '=',
//   the value the text after it, each with the blanks (space, tab, vertical tab, form feed)
//   around it dropped. Lines before the first section, lines without '=', lines with an empty
//   key and lines whose first non-blank character is ';' are ignored. Text after a ';' inside a
//   value is part of the value (profile files have no trailing comments).
// - A value wrapped in one pair of double quotes, or in one pair of single quotes, loses that
//   pair; nothing else is unescaped.
// - A value is cut to its first kMaxValueBytes bytes. When that cut would split a UTF-8
//   character, the partial character is dropped too, so a value never ends in half a character.
// - Section and key names are compared without regard to ASCII case. Only the first section of
//   a name is searched (a later section with the same name is ignored), and within it the first
//   entry of a key wins.
// - Lines end at LF, CR LF or a lone CR. A NUL byte also ends a line, so no value ever holds a
//   NUL. A UTF-8 byte order mark at the start of the file is skipped. All other bytes are taken
//   as they are: values are returned as the raw bytes of the file (Language.ini is UTF-8).
// - Only a regular file is read, and of it at most kMaxFileBytes bytes; the rest is ignored.
//   A missing or unreadable file reads as an empty one.
//
// Nothing here throws or reports: every failed lookup gives the caller's default text.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace trv81k {

// ".\Language.ini" of the Windows program: the file in the process's current directory.
inline constexpr std::string_view kDefaultProfilePath = "Language.ini";

class ProfileReader {
public:
    // Longest value handed out: the reading buffer holds 2048 bytes with its terminating zero.
    static constexpr std::size_t kMaxValueBytes = 2047;
    // Largest part of a file that is read. A language file is a few kilobytes.
    static constexpr std::size_t kMaxFileBytes = 32u * 1024u * 1024u;

    // Reads Language.ini in the current directory.
    ProfileReader();
    explicit ProfileReader(const std::filesystem::path& path);

    // A reader over text already in memory (same rules as a file).
    static ProfileReader FromText(std::string_view text);

    // The value of `key` in `section`, or `defaultText` when the section or the key is missing.
    // Blanks around `section` and `key` are ignored; an empty key always gives the default.
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view defaultText) const;

    // Whether a file was found and read (an empty file counts as read).
    bool loaded() const noexcept { return loaded_; }

private:
    struct Section {
        // Lower-cased key -> value; the first entry of a key is kept.
        std::unordered_map<std::string, std::string> entries;
    };

    ProfileReader(std::string_view text, bool loaded);
    void Parse(std::string_view text);

    // Lower-cased section name -> index into sections_; the first section of a name is kept.
    std::unordered_map<std::string, std::size_t> sectionIndex_;
    std::vector<Section> sections_;
    bool loaded_ = false;
};

}  // namespace trv81k
