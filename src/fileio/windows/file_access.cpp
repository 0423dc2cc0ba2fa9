// Opening files on Windows: a reparse point (a symbolic link or junction) is never written
// through, only disk files are read or written; the atomic state file through a temporary file,
// FlushFileBuffers and MoveFileExW.

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#include <random>

#include "fileio/file_access.h"

namespace trv81k {
namespace {

// The Win32 error of the last call as an errno text.
std::string LastErrorText() {
    const DWORD error = GetLastError();
    return std::system_category().message(static_cast<int>(error));
}

bool IsReparsePoint(const std::filesystem::path& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

OpenedFile openWith(const std::filesystem::path& path, int flags, bool noFollow) {
    OpenedFile opened;
    if (noFollow && IsReparsePoint(path)) {
        opened.error = path.string() + " is a symbolic link; it is not followed";
        return opened;
    }
    opened.file.reset(
        ::_wopen(path.c_str(), flags | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE));
    if (!opened.file.valid()) {
        const int error = errno;
        opened.missing = error == ENOENT;
        opened.error = "cannot open " + path.string() + ": " + ErrnoText(error);
        return opened;
    }
    // A console, a pipe or a device is not a file of the disk.
    const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(opened.file.get()));
    const DWORD type = GetFileType(handle);
    if (type != FILE_TYPE_DISK) {
        const char* kind = type == FILE_TYPE_PIPE ? "a pipe" : "a device";
        opened.error = path.string() + " is " + kind + "; only a regular file is read or written";
        opened.file.reset();
    }
    return opened;
}

}  // namespace

int FileDescriptor::reset(int fd) {
    int result = 0;
    if (fd_ >= 0) {
        result = ::_close(fd_);
    }
    fd_ = fd;
    return result;
}

OpenedFile OpenRegularFileForReading(const std::filesystem::path& path) {
    return openWith(path, _O_RDONLY, false);
}

OpenedFile OpenForAppending(const std::filesystem::path& path) {
    return openWith(path, _O_WRONLY | _O_APPEND | _O_CREAT, true);
}

std::string WriteFileAtomically(const std::filesystem::path& path, std::string_view text) {
    const std::filesystem::path folder =
        path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    // A name nobody else uses: CREATE_NEW refuses an existing one, and another is tried.
    std::random_device random;
    std::filesystem::path temporary;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 8 && file == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = folder / ("." + path.filename().string() + "." + std::to_string(random()));
        file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    if (file == INVALID_HANDLE_VALUE) {
        return "cannot create a temporary file in " + folder.string() + ": " + LastErrorText();
    }
    auto fail = [&](const std::string& what, const std::string& error) {
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
        }
        DeleteFileW(temporary.c_str());
        return "cannot write " + path.string() + " (" + what + "): " + error;
    };
    std::size_t written = 0;
    while (written < text.size()) {
        const std::size_t rest = text.size() - written;
        const DWORD chunk = rest > 0x40000000 ? 0x40000000 : static_cast<DWORD>(rest);
        DWORD done = 0;
        if (!WriteFile(file, text.data() + written, chunk, &done, nullptr) || done == 0) {
            return fail("WriteFile", LastErrorText());
        }
        written += done;
    }
    if (!FlushFileBuffers(file)) {
        return fail("FlushFileBuffers", LastErrorText());
    }
    const BOOL closed = CloseHandle(file);
    file = INVALID_HANDLE_VALUE;
    if (!closed) {
        return fail("close", LastErrorText());
    }
    if (!MoveFileExW(temporary.c_str(), path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return fail("MoveFileExW", LastErrorText());
    }
    return {};
}

}  // namespace trv81k
