#pragma once
// One running copy of the wizard per user. Linux: an advisory lock (flock) on "TRV81K.lock" in
// $XDG_RUNTIME_DIR, or in the temp folder when that is not set. Windows: the named mutex
// "TRV81K" of the session, as the wizard has always used. Held for the life of the object and
// dropped by the system when the process ends, however it ends.

#include <cstdint>
#include <filesystem>
#include <optional>

namespace trv81k {

inline constexpr char kLockFileName[] = "TRV81K.lock";
inline constexpr wchar_t kInstanceMutexName[] = L"TRV81K";

class SingleInstanceLock {
public:
    enum class Status {
        Acquired,     // this process holds the lock
        HeldByOther,  // another copy holds it
        Unavailable,  // no lock file could be opened safely (no folder, not ours, a symlink)
    };

    // Tries the lock at once, without waiting. `directory` replaces the default folder (tests;
    // Windows' mutex has no folder and ignores it). Never throws.
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
    std::intptr_t handle_ = -1;  // the lock file's descriptor, or the mutex's handle
    Status status_ = Status::Unavailable;
};

}  // namespace trv81k
