#pragma once
// Address settings that pass every check and still deserve a second thought before they are
// written: a static address that another device on the network already has, and a gateway
// outside the subnet of the address. Pure functions: the wizard asks the user about each and
// goes on when the user says so.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace trv81k {

using AddressBytes4 = std::array<std::uint8_t, 4>;

// Another device on the network, by its name and its current address.
struct NamedAddress {
    std::string name;
    AddressBytes4 address{};
};

enum class AddressConcern {
    AddressNotUnicast,     // a multicast (224-239), loopback (127), or reserved (240-255) address
    MaskNotContiguous,     // its octets pass one by one, but its ones are not one run
    AddressTaken,          // another device has the address
    GatewayOutsideSubnet,  // address AND mask differs from gateway AND mask
};

struct AddressWarning {
    AddressConcern concern = AddressConcern::AddressTaken;
    std::string otherDevice;  // the device that has the address (AddressTaken)
};

// Whether the ones of a mask are one run from the top (255.255.255.0: yes, 255.0.255.0: no).
bool IsContiguousMask(const AddressBytes4& mask);
// Whether a device can take the address as its own: not multicast, loopback or reserved.
bool IsUnicastAddress(const AddressBytes4& address);

// The concerns about a static `address` with `mask` and `gateway` (none: no gateway), in this
// order: the kind of the address, the mask, the address taken (naming the first of `others`
// that has it), then the gateway.
std::vector<AddressWarning> AddressWarnings(const AddressBytes4& address, const AddressBytes4& mask,
                                            const std::optional<AddressBytes4>& gateway,
                                            std::span<const NamedAddress> others);

}  // namespace trv81k
