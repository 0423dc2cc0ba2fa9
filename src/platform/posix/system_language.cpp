#include "platform/system_language.h"

namespace trv81k {

std::uint16_t SystemDefaultLangID() {
    return LangIdOfLocaleFiles("/");
}

}  // namespace trv81k
