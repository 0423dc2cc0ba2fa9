// The single-instance lock.

#include "platform/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <system_error>

namespace trv81k {

std::filesystem::path SingleInstanceLock::DefaultDirectory() {
    try {
        if (const char* runtime = std::getenv("XDG_RUNTIME_DIR");
            runtime != nullptr && runtime[0] == '/') {
            return runtime;
        }
        std::error_code error;
        auto temp = std::filesystem::temp_directory_path(error);
        return error ? std::filesystem::path{} : temp;
    } catch (...) {  // allocation failure
        return {};
    }
}

SingleInstanceLock::SingleInstanceLock(std::optional<std::filesystem::path> directory) {
    try {
        const std::filesystem::path folder = directory ? *directory : DefaultDirectory();
        if (folder.empty()) {
            return;
        }
        const std::string path = (folder / kLockFileName).string();
        // O_NOFOLLOW: a symlink planted under our name (the temp folder is shared) is refused,
        // never followed. Read-only is enough for flock and never changes a file we open.
        int fd;
        do {
            fd = ::open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY, 0600);
        } while (fd < 0 && errno == EINTR);
        if (fd < 0) {
            return;
        }
        // Only a plain file of our own counts; someone else's file could be held by them forever.
        struct ::stat info {};
        if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) {
            ::close(fd);
            return;
        }
        int result;
        do {
            result = ::flock(fd, LOCK_EX | LOCK_NB);
        } while (result != 0 && errno == EINTR);
        if (result != 0) {
            status_ = errno == EWOULDBLOCK ? Status::HeldByOther : Status::Unavailable;
            ::close(fd);
            return;
        }
        fd_ = fd;
        status_ = Status::Acquired;
    } catch (...) {  // allocation failure while building the path
        status_ = Status::Unavailable;
    }
}

SingleInstanceLock::~SingleInstanceLock() {
    if (fd_ >= 0) {
        // Closing the only descriptor of the open file description drops the lock.
        ::close(fd_);
    }
}

}  // namespace trv81k
