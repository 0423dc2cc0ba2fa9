// The adapter choice: selection rules on made-up interface lists, the override, and the real
// interface list of a private network namespace.

#include "platform/adapters.h"

#include <gtest/gtest.h>
#include <net/if.h>
#include <sys/ioctl.h>

#include <cstring>
#include <string>
#include <vector>

#include "private_netns.h"

namespace trv81k {
namespace {

constexpr unsigned kUp = IFF_UP;
constexpr unsigned kLoopback = IFF_UP | IFF_LOOPBACK;

InterfaceRecord Record(std::string name, unsigned flags, const char* address, const char* mask) {
    return {std::move(name), flags, *ParseIPv4(address), *ParseIPv4(mask)};
}

std::string Text(const AddressText& text) {
    return std::string(text.data(), ::strnlen(text.data(), text.size()));
}

// The chosen address and mask as "address/mask", or "none" when nothing qualified.
std::string Choose(const std::vector<InterfaceRecord>& records,
                   std::optional<Ipv4Address> override = std::nullopt) {
    const NICChoice choice = ChooseNICAddress(records, override);
    const std::string shown = Text(choice.addressText) + "/" + Text(choice.maskText);
    return choice.found ? shown : "none " + shown;
}

TEST(AdapterChoice, FirstUsableInterfaceInSystemOrder) {
    const auto lo = Record("lo", kLoopback, "127.0.0.1", "255.0.0.0");
    const auto down = Record("eth9", 0, "10.9.9.9", "255.0.0.0");
    const auto unset = Record("enp1s0", kUp, "0.0.0.0", "0.0.0.0");
    const auto lan = Record("eth1", kUp, "192.168.1.20", "255.255.255.0");
    const auto wifi = Record("wlan0", kUp, "10.0.0.7", "255.255.0.0");

    EXPECT_EQ(Choose({lo, down, unset, lan, wifi}), "192.168.1.20/255.255.255.0");
    EXPECT_EQ(Choose({wifi, lan}), "10.0.0.7/255.255.0.0");
    EXPECT_EQ(Choose({}), "none 0.0.0.0/0.0.0.0");
    EXPECT_EQ(Choose({lo, down, unset}), "none 0.0.0.0/0.0.0.0");
}

TEST(AdapterChoice, OnlyFirstAddressOfEachInterfaceCounts) {
    const auto unsetFirst = Record("enp1s0", kUp, "0.0.0.0", "0.0.0.0");
    const auto secondOfOne = Record("enp1s0", kUp, "10.1.1.1", "255.0.0.0");
    const auto thirdOfOne = Record("enp1s0", kUp, "10.1.1.2", "255.0.0.0");
    const auto eth1 = Record("eth1", kUp, "172.16.0.2", "255.255.0.0");

    EXPECT_EQ(Choose({unsetFirst, secondOfOne, eth1}), "172.16.0.2/255.255.0.0");
    EXPECT_EQ(Choose({unsetFirst, secondOfOne}), "none 0.0.0.0/0.0.0.0");
    EXPECT_EQ(Choose({secondOfOne, thirdOfOne, eth1}), "10.1.1.1/255.0.0.0");
}

TEST(AdapterChoice, OverrideMustBeHeldByAnInterfaceThatIsUp) {
    const auto lo = Record("lo", kLoopback, "127.0.0.1", "255.0.0.0");
    const auto lan = Record("eth1", kUp, "192.168.1.20", "255.255.255.0");
    const auto downLan = Record("eth2", 0, "192.168.5.5", "255.255.0.0");

    // A loopback address is accepted when asked for; the automatic choice is not used.
    EXPECT_EQ(Choose({lan, lo}, *ParseIPv4("127.0.0.1")), "127.0.0.1/255.0.0.0");
    // Not held, or held by an interface that is down: the address is still reported, so the
    // traffic never moves to another adapter, but the guard refuses.
    EXPECT_EQ(Choose({lan, lo}, *ParseIPv4("10.2.3.4")), "none 10.2.3.4/255.255.255.255");
    EXPECT_EQ(Choose({lan, downLan}, *ParseIPv4("192.168.5.5")), "none 192.168.5.5/255.255.0.0");
    // Held by a down interface and an up one: the up one counts.
    auto upCopy = downLan;
    upCopy.flags = kUp;
    upCopy.name = "eth3";
    EXPECT_EQ(Choose({downLan, upCopy}, *ParseIPv4("192.168.5.5")), "192.168.5.5/255.255.0.0");
}

TEST(AdapterChoice, ParseIPv4AcceptsOnlyDottedQuads) {
    EXPECT_EQ(ParseIPv4("192.168.0.254"), (Ipv4Address{192, 168, 0, 254}));
    EXPECT_EQ(ParseIPv4("255.255.255.255"), (Ipv4Address{255, 255, 255, 255}));
    for (const char* bad : {"", "1.2.3", "1.2.3.4.5", "256.1.1.1", "01.2.3.4", " 1.2.3.4",
                            "1.2.3.4 ", "0x7f.0.0.1", "1.2.3.-4", "1111.2.3.4", "1.2.3.4444444"}) {
        EXPECT_FALSE(ParseIPv4(bad)) << bad;
    }
    EXPECT_FALSE(ParseIPv4(std::string_view("1.2.3.4\0", 8)));
    // A view that is not zero-terminated is read only up to its length.
    EXPECT_EQ(ParseIPv4(std::string_view("10.0.0.12", 8)), (Ipv4Address{10, 0, 0, 1}));
    EXPECT_EQ(FormatIPv4({255, 0, 10, 1}), "255.0.10.1");
    EXPECT_EQ(Text(AddressTextOf({255, 0, 10, 1})), "255.0.10.1");
}

class AdapterOverride : public ::testing::Test {
protected:
    void TearDown() override { SetInterfaceOverride(std::nullopt); }
};

TEST_F(AdapterOverride, BadTextLeavesTheOverrideAsItWas) {
    ASSERT_TRUE(SetInterfaceOverride("127.0.0.1"));
    EXPECT_FALSE(SetInterfaceOverride("127.0.0.300"));
    EXPECT_FALSE(SetInterfaceOverride("0.0.0.0"));
    EXPECT_EQ(InterfaceOverride(), (Ipv4Address{127, 0, 0, 1}));
    ASSERT_TRUE(SetInterfaceOverride(std::nullopt));
    EXPECT_FALSE(InterfaceOverride());
}

// In a fresh namespace only lo exists, down and without address until it is switched on.
TEST_F(AdapterOverride, GuardFollowsTheRealInterfaces) {
    if (!testing::EnterPrivateNetworkNamespace()) {
        GTEST_SKIP() << "needs a private network namespace (run as root or under unshare -rn)";
    }
    AddressText address{};
    AddressText mask{};
    EXPECT_FALSE(GetNICAddress(address, mask));
    EXPECT_EQ(Text(address), "0.0.0.0");
    EXPECT_EQ(Text(mask), "0.0.0.0");

    ASSERT_TRUE(SetInterfaceOverride("127.0.0.1"));
    EXPECT_FALSE(CheckNICState());

    testing::Fd control(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    ::ifreq request{};
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    ASSERT_EQ(::ioctl(control.get(), SIOCGIFFLAGS, &request), 0);
    request.ifr_flags = static_cast<short>(request.ifr_flags | IFF_UP);
    ASSERT_EQ(::ioctl(control.get(), SIOCSIFFLAGS, &request), 0);

    EXPECT_TRUE(CheckNICState());
    EXPECT_TRUE(GetNICAddress(address, mask));
    EXPECT_EQ(Text(address), "127.0.0.1");
    EXPECT_EQ(Text(mask), "255.0.0.0");

    // Without the override a loopback interface never qualifies.
    SetInterfaceOverride(std::nullopt);
    EXPECT_FALSE(CheckNICState());
}

}  // namespace
}  // namespace trv81k
