// The Language.ini reader against any file content: never fails, never returns a value longer
// than the profile rules allow, and finds what it finds the same way twice.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "l10n/language.h"
#include "l10n/profile_reader.h"
#include "l10n/texts.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace trv81k;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const ProfileReader reader = ProfileReader::FromText(text);
    for (std::string_view section : {"English", "german", "FRENCH", "", "x"}) {
        const Texts texts = LoadMainWindowTexts(reader, section);
        for (std::string_view key : kMainWindowKeys) {
            const std::string& value = texts.get(key);
            if (value.size() > ProfileReader::kMaxValueBytes ||
                value != reader.ReadString(section, key, "")) {
                std::abort();
            }
        }
        // The default comes back for a key that cannot be in any file.
        if (reader.ReadString(section, "no key has this name\n", "dflt") != "dflt") {
            std::abort();
        }
    }
    return 0;
}
