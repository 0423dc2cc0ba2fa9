// The validators and field checks against any text: every outcome is consistent with itself.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "settings/keygen.h"
#include "settings/validators.h"

namespace {

using namespace trv81k;

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void checkAddress(const AddressCheck& result, bool gateway) {
    if (result.outcome == FieldOutcome::Invalid) {
        check(!result.messageKey.empty());
        return;
    }
    check(result.messageKey.empty());
    if (result.outcome == FieldOutcome::None) {
        check(gateway && result.normalised == "0.0.0.0");
        return;
    }
    // A valid text normalises to one that is valid again, to the same address.
    const AddressCheck again =
        gateway ? ValidateGatewayText(result.normalised) : ValidateIPText(result.normalised);
    check(again.outcome == FieldOutcome::Valid && again.bytes == result.bytes);
    check(result.normalised.size() <= 15);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    checkAddress(ValidateIPText(text), false);
    checkAddress(ValidateGatewayText(text), true);
    const AddressCheck mask = ValidateNetmaskText(text);
    if (mask.ok()) {
        check(ValidateNetmaskText(mask.normalised).bytes == mask.bytes);
    }
    for (int mode = 0; mode <= 12; ++mode) {
        const FieldCheck keys = CheckKeysForMode(mode, text, text, text);
        check(keys.ok == keys.messageKey.empty());
    }
    check(CheckSSID(text).ok == (!text.empty() && text.size() <= 32));
    check(CheckDevicePassword(text).ok == (text.size() >= 4 && text.size() <= 16));
    if (!text.empty()) {
        check(Wep64KeyText(text).size() == 10);
        check(Wep128KeyText(text).size() == 26);
    }
    return 0;
}
