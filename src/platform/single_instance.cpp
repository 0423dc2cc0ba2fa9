// The single-instance lock: the default folder. The lock itself is the system's side.

#include "platform/single_instance.h"

#include <cstdlib>
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

}  // namespace trv81k
