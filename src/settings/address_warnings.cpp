#include "settings/address_warnings.h"

#include <algorithm>

namespace trv81k {

namespace {

bool SameSubnet(const AddressBytes4& a, const AddressBytes4& b, const AddressBytes4& mask) {
    for (std::size_t i = 0; i < mask.size(); ++i) {
        if ((a[i] & mask[i]) != (b[i] & mask[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool IsContiguousMask(const AddressBytes4& mask) {
    const std::uint32_t bits = (std::uint32_t{mask[0]} << 24) | (std::uint32_t{mask[1]} << 16) |
                               (std::uint32_t{mask[2]} << 8) | std::uint32_t{mask[3]};
    // Ones then zeros: the inverted mask plus one is a power of two.
    const std::uint32_t inverted = ~bits;
    return (inverted & (inverted + 1)) == 0;
}

bool IsUnicastAddress(const AddressBytes4& address) {
    return address[0] != 127 && address[0] < 224;
}

std::vector<AddressWarning> AddressWarnings(const AddressBytes4& address, const AddressBytes4& mask,
                                            const std::optional<AddressBytes4>& gateway,
                                            std::span<const NamedAddress> others) {
    std::vector<AddressWarning> warnings;
    if (!IsUnicastAddress(address)) {
        warnings.push_back({AddressConcern::AddressNotUnicast, {}});
    }
    if (!IsContiguousMask(mask)) {
        warnings.push_back({AddressConcern::MaskNotContiguous, {}});
    }
    const auto taken = std::find_if(others.begin(), others.end(), [&](const NamedAddress& other) {
        return other.address == address;
    });
    if (taken != others.end()) {
        warnings.push_back({AddressConcern::AddressTaken, taken->name});
    }
    if (gateway && !SameSubnet(address, *gateway, mask)) {
        warnings.push_back({AddressConcern::GatewayOutsideSubnet, {}});
    }
    return warnings;
}

}  // namespace trv81k
