// The interface list from getifaddrs().

#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/adapters.h"

namespace trv81k {
namespace {

Ipv4Address FromSockaddr(const ::sockaddr* address) {
    Ipv4Address bytes{};
    if (address != nullptr && address->sa_family == AF_INET) {
        ::sockaddr_in inet;
        std::memcpy(&inet, address, sizeof(inet));
        static_assert(sizeof(inet.sin_addr) == sizeof(bytes));
        std::memcpy(bytes.data(), &inet.sin_addr, bytes.size());  // network order = dotted order
    }
    return bytes;
}

unsigned FlagsOf(unsigned systemFlags) {
    return ((systemFlags & IFF_UP) != 0 ? kInterfaceUp : 0) |
           ((systemFlags & IFF_LOOPBACK) != 0 ? kInterfaceLoopback : 0) |
           ((systemFlags & IFF_RUNNING) != 0 ? kInterfaceRunning : 0) |
           ((systemFlags & IFF_MULTICAST) != 0 ? kInterfaceMulticast : 0);
}

}  // namespace

bool PlausibleInterfaceName(std::string_view name) {
    return name.size() < IFNAMSIZ && std::none_of(name.begin(), name.end(), [](char c) {
               return c == '/' || c == ' ' || c == '\t' || c == '\n' || c == ':' || c == 0;
           });
}

std::vector<InterfaceRecord> ReadInterfaceRecords() {
    std::vector<InterfaceRecord> records;
    ::ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) {
        return records;
    }
    const std::unique_ptr<::ifaddrs, decltype(&::freeifaddrs)> owner(list, &::freeifaddrs);
    for (const ::ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) {
            continue;
        }
        records.push_back({entry->ifa_name != nullptr ? entry->ifa_name : "",
                           FlagsOf(entry->ifa_flags), FromSockaddr(entry->ifa_addr),
                           FromSockaddr(entry->ifa_netmask)});
    }
    // Interfaces without an IPv4 address, after the others: so they can be named when asked
    // for ("has no IPv4 address", "is down").
    for (const ::ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        const std::string name = entry->ifa_name != nullptr ? entry->ifa_name : "";
        if (name.empty() ||
            std::any_of(records.begin(), records.end(),
                        [&name](const InterfaceRecord& r) { return r.name == name; })) {
            continue;
        }
        records.push_back({name, FlagsOf(entry->ifa_flags), Ipv4Address{}, Ipv4Address{}});
    }
    return records;
}

}  // namespace trv81k
