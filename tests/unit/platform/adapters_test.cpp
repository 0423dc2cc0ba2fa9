// The adapter choice: selection rules on made-up interface lists, the --interface choice, and
// the real interface list of a private network namespace.

#include "platform/adapters.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#ifndef _WIN32
#include <net/if.h>
#include <sys/ioctl.h>

#include "private_netns.h"
#endif

namespace trv81k {
namespace {

constexpr unsigned kUp = kInterfaceUp | kInterfaceMulticast;
constexpr unsigned kLoopback = kInterfaceUp | kInterfaceLoopback;

InterfaceRecord Record(std::string name, unsigned flags, const char* address, const char* mask) {
    return {std::move(name), flags, *ParseIPv4(address), *ParseIPv4(mask)};
}

std::string Text(const AddressText& text) {
    return std::string(text.data(), ::strnlen(text.data(), text.size()));
}

// The chosen adapters as "name address, ...", or the problem.
std::string Choose(const std::vector<InterfaceRecord>& records,
                   std::optional<std::string> choice = std::nullopt) {
    const AdapterChoice chosen = ChooseAdapters(records, choice);
    if (chosen.adapters.empty()) {
        return chosen.problem;
    }
    std::string shown;
    for (const Adapter& adapter : chosen.adapters) {
        shown += (shown.empty() ? "" : ", ") + AdapterText(adapter);
    }
    return shown;
}

const auto lo = Record("lo", kLoopback, "127.0.0.1", "255.0.0.0");
const auto down = Record("eth9", kInterfaceMulticast, "10.9.9.9", "255.0.0.0");
const auto unset = Record("enp1s0", kUp, "0.0.0.0", "0.0.0.0");
const auto lan = Record("eth1", kUp, "192.168.1.20", "255.255.255.0");
const auto wifi = Record("wlan0", kUp, "10.0.0.7", "255.255.0.0");
const auto tunnel = Record("tun0", kInterfaceUp, "10.8.0.2", "255.255.255.0");  // no multicast

TEST(AdapterChoice, EveryAdapterThatIsUpWithAnAddressAndMulticast) {
    EXPECT_EQ(Choose({lo, down, unset, lan, tunnel, wifi}),
              "eth1 (192.168.1.20), wlan0 (10.0.0.7)");
    EXPECT_EQ(Choose({wifi, lan}), "wlan0 (10.0.0.7), eth1 (192.168.1.20)");
    // None: says so, and names what there is.
    EXPECT_EQ(Choose({lo, down, unset}),
              "no adapter is up with an IPv4 address and multicast (loopback is not used); the "
              "adapters here: lo (127.0.0.1), eth9 (10.9.9.9) down, enp1s0");
    EXPECT_EQ(Choose({}).find("the adapters here: none"), Choose({}).size() - 23);
}

TEST(AdapterChoice, OnlyFirstAddressOfEachInterfaceCounts) {
    const auto secondOfOne = Record("enp1s0", kUp, "10.1.1.1", "255.0.0.0");
    const auto thirdOfOne = Record("enp1s0", kUp, "10.1.1.2", "255.0.0.0");
    EXPECT_EQ(Choose({unset, secondOfOne, lan}), "eth1 (192.168.1.20)");
    EXPECT_EQ(Choose({secondOfOne, thirdOfOne, lan}), "enp1s0 (10.1.1.1), eth1 (192.168.1.20)");
}

TEST(AdapterChoice, ChoiceByNameOrAddressPinsOneOrSaysWhatThereIs) {
    EXPECT_EQ(Choose({lan, wifi}, "wlan0"), "wlan0 (10.0.0.7)");
    EXPECT_EQ(Choose({lan, wifi}, "192.168.1.20"), "eth1 (192.168.1.20)");
    // A loopback adapter when asked for (the demo), or one without multicast.
    EXPECT_EQ(Choose({lan, lo}, "127.0.0.1"), "lo (127.0.0.1)");
    EXPECT_EQ(Choose({lan, tunnel}, "tun0"), "tun0 (10.8.0.2)");
    EXPECT_EQ(Choose({lan, lo}, "eth7"),
              "no adapter is called eth7; the adapters here: eth1 (192.168.1.20), lo (127.0.0.1)");
    EXPECT_EQ(Choose({lan}, "10.2.3.4"),
              "no adapter has the address 10.2.3.4; the adapters here: eth1 (192.168.1.20)");
    EXPECT_EQ(Choose({lan, down}, "eth9"), "the adapter eth9 (10.9.9.9) is down");
    EXPECT_EQ(Choose({unset}, "enp1s0"), "the adapter enp1s0 has no IPv4 address");
    // An address held by a down interface and an up one: the up one counts.
    auto upCopy = down;
    upCopy.flags = kUp;
    upCopy.name = "eth3";
    EXPECT_EQ(Choose({down, upCopy}, "10.9.9.9"), "eth3 (10.9.9.9)");
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

class AdapterChoiceText : public ::testing::Test {
protected:
    void TearDown() override { SetInterfaceChoice(std::nullopt); }
};

TEST_F(AdapterChoiceText, BadTextLeavesTheChoiceAsItWas) {
    ASSERT_TRUE(SetInterfaceChoice("127.0.0.1"));
    for (const char* bad : {"", "0.0.0.0", "a/b", "lab0:1"}) {
        EXPECT_FALSE(SetInterfaceChoice(std::string(bad))) << bad;
    }
#ifdef _WIN32
    // Windows names its adapters by friendly names with blanks.
    EXPECT_TRUE(SetInterfaceChoice("Ethernet 2"));
    ASSERT_TRUE(SetInterfaceChoice("127.0.0.1"));
#else
    // Linux's names: at most 15 characters, no blanks.
    for (const char* bad : {"two words", "sixteen-chars-xx"}) {
        EXPECT_FALSE(SetInterfaceChoice(std::string(bad))) << bad;
    }
#endif
    EXPECT_EQ(InterfaceChoice(), "127.0.0.1");
    ASSERT_TRUE(SetInterfaceChoice("lab0"));
    EXPECT_EQ(InterfaceChoice(), "lab0");
    ASSERT_TRUE(SetInterfaceChoice(std::nullopt));
    EXPECT_FALSE(InterfaceChoice());
}

#ifndef _WIN32
// In a fresh namespace only lo exists, down and without address until it is switched on.
TEST_F(AdapterChoiceText, GuardFollowsTheRealInterfaces) {
    if (!testing::EnterPrivateNetworkNamespace()) {
        GTEST_SKIP() << "needs a private network namespace (run as root or under unshare -rn)";
    }
    AddressText address{};
    AddressText mask{};
    EXPECT_FALSE(GetNICAddress(address, mask));
    EXPECT_EQ(Text(address), "0.0.0.0");
    EXPECT_EQ(Text(mask), "0.0.0.0");

    ASSERT_TRUE(SetInterfaceChoice("lo"));
    EXPECT_FALSE(CheckNICState());  // down
    EXPECT_NE(FindAdapters().problem.find("is down"), std::string::npos);

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

    // Without the choice a loopback interface never qualifies.
    SetInterfaceChoice(std::nullopt);
    EXPECT_FALSE(CheckNICState());
}
#endif

}  // namespace
}  // namespace trv81k
