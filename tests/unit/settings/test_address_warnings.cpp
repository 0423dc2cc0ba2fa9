#include "settings/address_warnings.h"

#include <gtest/gtest.h>

namespace trv81k {
namespace {

constexpr AddressBytes4 kMask24{255, 255, 255, 0};

TEST(AddressWarnings, AnAddressAnotherDeviceHasIsNamed) {
    const NamedAddress others[] = {
        {"Hall", {192, 168, 1, 20}}, {"Garden", {192, 168, 1, 30}}, {"Cellar", {192, 168, 1, 30}}};
    const auto warnings = AddressWarnings({192, 168, 1, 30}, kMask24, std::nullopt, others);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].concern, AddressConcern::AddressTaken);
    EXPECT_EQ(warnings[0].otherDevice, "Garden");
    EXPECT_TRUE(AddressWarnings({192, 168, 1, 31}, kMask24, std::nullopt, others).empty());
}

TEST(AddressWarnings, AGatewayOutsideTheSubnetOfTheAddress) {
    const AddressBytes4 address{192, 168, 1, 20};
    EXPECT_TRUE(AddressWarnings(address, kMask24, AddressBytes4{192, 168, 1, 1}, {}).empty());
    const auto outside = AddressWarnings(address, kMask24, AddressBytes4{192, 168, 2, 1}, {});
    ASSERT_EQ(outside.size(), 1u);
    EXPECT_EQ(outside[0].concern, AddressConcern::GatewayOutsideSubnet);
    // The mask decides: a wider one takes the gateway in.
    EXPECT_TRUE(
        AddressWarnings(address, {255, 255, 0, 0}, AddressBytes4{192, 168, 2, 1}, {}).empty());
    // Both concerns, the address first.
    const NamedAddress others[] = {{"Hall", address}};
    const auto both = AddressWarnings(address, kMask24, AddressBytes4{10, 0, 0, 1}, others);
    ASSERT_EQ(both.size(), 2u);
    EXPECT_EQ(both[0].concern, AddressConcern::AddressTaken);
    EXPECT_EQ(both[1].concern, AddressConcern::GatewayOutsideSubnet);
}

}  // namespace
}  // namespace trv81k
