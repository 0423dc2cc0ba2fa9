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

// A mask whose octets each pass the list check but whose ones are not one run, and addresses
// no device can take as its own: each is a question, asked before the others.
TEST(AddressWarnings, AMaskOfNoOneRunAndAnAddressThatIsNoUnicastOne) {
    EXPECT_TRUE(IsContiguousMask(kMask24));
    EXPECT_TRUE(IsContiguousMask({255, 255, 255, 252}));
    EXPECT_TRUE(IsContiguousMask({128, 0, 0, 0}));
    EXPECT_FALSE(IsContiguousMask({255, 0, 255, 0}));
    EXPECT_FALSE(IsContiguousMask({255, 255, 254, 1}));
    for (const AddressBytes4 address :
         {AddressBytes4{224, 0, 0, 1}, AddressBytes4{239, 255, 255, 250},
          AddressBytes4{127, 0, 0, 1}, AddressBytes4{240, 0, 0, 1}}) {
        EXPECT_FALSE(IsUnicastAddress(address));
    }
    EXPECT_TRUE(IsUnicastAddress({0, 1, 2, 3}));
    EXPECT_TRUE(IsUnicastAddress({223, 255, 255, 1}));

    const auto both = AddressWarnings({224, 0, 0, 1}, {255, 0, 255, 0}, std::nullopt, {});
    ASSERT_EQ(both.size(), 2u);
    EXPECT_EQ(both[0].concern, AddressConcern::AddressNotUnicast);
    EXPECT_EQ(both[1].concern, AddressConcern::MaskNotContiguous);
}

}  // namespace
}  // namespace trv81k
