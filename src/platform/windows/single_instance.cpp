// The single-instance lock as the named mutex "TRV81K" of the session.

#include <windows.h>

#include "platform/single_instance.h"

namespace trv81k {

SingleInstanceLock::SingleInstanceLock(std::optional<std::filesystem::path> /*directory*/) {
    // The mutex exists as long as a process holds a handle to it; a second CreateMutex gets
    // the same one and says so.
    HANDLE mutex = CreateMutexW(nullptr, FALSE, kInstanceMutexName);
    if (mutex == nullptr) {
        // Another user's object of that name (access denied) counts as another copy.
        status_ = GetLastError() == ERROR_ACCESS_DENIED ? Status::HeldByOther : Status::Unavailable;
        return;
    }
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        status_ = Status::HeldByOther;
        return;
    }
    handle_ = reinterpret_cast<std::intptr_t>(mutex);
    status_ = Status::Acquired;
}

SingleInstanceLock::~SingleInstanceLock() {
    if (handle_ != -1) {
        CloseHandle(reinterpret_cast<HANDLE>(handle_));
    }
}

}  // namespace trv81k
