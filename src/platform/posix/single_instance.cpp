// The single-instance lock as an advisory lock on a file of our own.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/single_instance.h"

namespace trv81k {

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
        handle_ = fd;
        status_ = Status::Acquired;
    } catch (...) {  // allocation failure while building the path
        status_ = Status::Unavailable;
    }
}

SingleInstanceLock::~SingleInstanceLock() {
    if (handle_ >= 0) {
        // Closing the only descriptor of the open file description drops the lock.
        ::close(static_cast<int>(handle_));
    }
}

}  // namespace trv81k
