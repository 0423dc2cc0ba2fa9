// Opening files on Linux: O_NOFOLLOW, O_NONBLOCK until the file is known to be a regular one;
// the atomic state file through a temporary file, fsync and rename.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "fileio/file_access.h"

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

}  // namespace

int FileDescriptor::reset(int fd) {
    int result = 0;
    if (fd_ >= 0) {
        result = ::close(fd_);
    }
    fd_ = fd;
    return result;
}

OpenedFile OpenRegularFileForReading(const std::filesystem::path& path) {
    return openWith(path, O_RDONLY, "cannot open ");
}

OpenedFile OpenForAppending(const std::filesystem::path& path) {
    return openWith(path, O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW, "cannot open ");
}

std::string WriteFileAtomically(const std::filesystem::path& path, std::string_view text) {
    const std::filesystem::path folder =
        path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    std::string pattern = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
    FileDescriptor file(::mkostemp(pattern.data(), O_CLOEXEC));
    if (file.get() < 0) {
        return "cannot create a temporary file in " + folder.string() + ": " + ErrnoText(errno);
    }
    const std::string temporary = pattern;
    auto fail = [&](const std::string& what, int error) {
        ::unlink(temporary.c_str());
        return "cannot write " + path.string() + " (" + what + "): " + ErrnoText(error);
    };
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(file.get(), text.data() + written, text.size() - written);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return fail("write", errno);
        }
        written += static_cast<std::size_t>(n);
    }
    if (::fsync(file.get()) != 0) {
        return fail("fsync", errno);
    }
    if (file.reset() != 0) {
        return fail("close", errno);
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        return fail("rename", errno);
    }
    // The rename itself reaches the disk with the folder.
    const FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) {
        ::fsync(dir.get());
    }
    return {};
}

}  // namespace trv81k
