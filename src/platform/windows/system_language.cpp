#include <windows.h>

#include "platform/system_language.h"

namespace trv81k {

std::uint16_t SystemDefaultLangID() {
    return static_cast<std::uint16_t>(GetSystemDefaultLangID());
}

}  // namespace trv81k
