#pragma once
// One running copy of the wizard per user: an advisory lock (flock) on "TRV81K.lock" in
// $XDG_RUNTIME_DIR, or in the temp folder when that is not set. The lock is held for the life
// of the object and dropped by the kernel when the process ends, however it ends.

#include <filesystem>
#include <optional>

namespace trv81k {

inline constexpr char kLockFileName[] = "TRV81K.lock";

class SingleInstanceLock {
public:
    enum class Status {
        Acquired,     // this process holds the lock
        HeldByOther,  // another copy holds it
        Unavailable,  // no lock file could be opened safely (no folder, not ours, a symlink)
    };

    // Tries the lock at once, without waiting. `directory` replaces the default folder (tests).
    // Never throws.
    explicit SingleInstanceLock(std::optional<std::filesystem::path> directory = std::nullopt);
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    bool acquired() const { return status_ == Status::Acquired; }
    Status status() const { return status_; }

    // The folder used when none is given: $XDG_RUNTIME_DIR when it is an absolute path, else the
    // temp folder; empty when neither can be found.
    static std::filesystem::path DefaultDirectory();

private:
    int fd_ = -1;
    Status status_ = Status::Unavailable;
};

}  // namespace trv81k
