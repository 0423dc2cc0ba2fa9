#include "fileio/file_access.h"

#include <array>
#include <cerrno>
#include <system_error>

#include "platform/console.h"

namespace trv81k {
namespace {

// "1 MiB", "16 MiB", "4096 bytes".
std::string sizeText(std::size_t bytes) {
    constexpr std::size_t kMiB = 1024 * 1024;
    return bytes % kMiB == 0 ? std::to_string(bytes / kMiB) + " MiB"
                             : std::to_string(bytes) + " bytes";
}

}  // namespace

std::string ErrnoText(int error) {
    return std::generic_category().message(error);
}

FileContents ReadRegularFile(const std::filesystem::path& path, std::size_t maxBytes) {
    FileContents contents;
    OpenedFile opened = OpenRegularFileForReading(path);
    if (!opened.file.valid()) {
        contents.missing = opened.missing;
        contents.error = std::move(opened.error);
        return contents;
    }
    std::array<char, 65536> chunk{};
    for (;;) {
        const long got = ReadSome(opened.file.get(), chunk.data(), chunk.size());
        if (got < 0) {
            contents.error = "cannot read " + path.string() + ": " + ErrnoText(errno);
            contents.text.clear();
            return contents;
        }
        if (got == 0) {
            return contents;
        }
        if (contents.text.size() + static_cast<std::size_t>(got) > maxBytes) {
            contents.error = path.string() + " is larger than " + sizeText(maxBytes);
            contents.text.clear();
            return contents;
        }
        contents.text.append(chunk.data(), static_cast<std::size_t>(got));
    }
}

}  // namespace trv81k
