#include "fileio/file_access.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <system_error>

namespace trv81k {
namespace {

#ifndef O_NOFOLLOW
#define O_NOFOLLOW 0
#endif
#ifndef O_NONBLOCK
#define O_NONBLOCK 0
#endif
#ifndef O_CLOEXEC
#define O_CLOEXEC 0
#endif

// What a file that is not a regular one is called in the refusal.
const char* kindOf(mode_t mode) {
    if (S_ISDIR(mode)) {
        return "a folder";
    }
    if (S_ISFIFO(mode)) {
        return "a FIFO";
    }
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return "a device";
    }
    return "not a regular file";
}

// `file`, opened without blocking, checked to be a regular file, then blocking again.
OpenedFile regularOnly(OpenedFile opened, const std::filesystem::path& path) {
    struct stat status {};
    if (::fstat(opened.file.get(), &status) != 0) {
        opened.error = "cannot open " + path.string() + ": " + ErrnoText(errno);
        opened.file.reset();
        return opened;
    }
    if (!S_ISREG(status.st_mode)) {
        const char* kind = kindOf(status.st_mode);
        opened.error = path.string() + " is " + kind + "; only a regular file is read or written";
        opened.file.reset();
        return opened;
    }
#ifdef F_GETFL
    const int flags = ::fcntl(opened.file.get(), F_GETFL);
    if (flags >= 0) {
        ::fcntl(opened.file.get(), F_SETFL, flags & ~O_NONBLOCK);
    }
#endif
    return opened;
}

OpenedFile openWith(const std::filesystem::path& path, int flags, const char* failing) {
    OpenedFile opened;
    opened.file.reset(::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0600));
    if (!opened.file.valid()) {
        const int error = errno;
        opened.missing = error == ENOENT;
        if (error == ELOOP && (flags & O_NOFOLLOW) != 0) {
            opened.error = path.string() + " is a symbolic link; it is not followed";
        } else {
            opened.error = std::string(failing) + path.string() + ": " + ErrnoText(error);
        }
        return opened;
    }
    return regularOnly(std::move(opened), path);
}

// "1 MiB", "16 MiB", "4096 bytes".
std::string sizeText(std::size_t bytes) {
    constexpr std::size_t kMiB = 1024 * 1024;
    return bytes % kMiB == 0 ? std::to_string(bytes / kMiB) + " MiB"
                             : std::to_string(bytes) + " bytes";
}

}  // namespace

int FileDescriptor::reset(int fd) {
    int result = 0;
    if (fd_ >= 0) {
        result = ::close(fd_);
    }
    fd_ = fd;
    return result;
}

std::string ErrnoText(int error) {
    return std::system_category().message(error);
}

OpenedFile OpenRegularFileForReading(const std::filesystem::path& path) {
    return openWith(path, O_RDONLY, "cannot open ");
}

OpenedFile OpenForAppending(const std::filesystem::path& path) {
    return openWith(path, O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW, "cannot open ");
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
        const ::ssize_t got = ::read(opened.file.get(), chunk.data(), chunk.size());
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
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
