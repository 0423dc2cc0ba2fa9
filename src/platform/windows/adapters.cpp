// The interface list from GetAdaptersAddresses(), each adapter named by its friendly name.

// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>
// clang-format on

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/adapters.h"
#include "platform/windows/text.h"

namespace trv81k {
namespace {

// An IPv4 mask of `bits` leading ones, in dotted order.
Ipv4Address MaskOf(unsigned bits) {
    Ipv4Address mask{};
    for (std::size_t i = 0; i < mask.size(); ++i) {
        const unsigned here = std::min(bits, 8u);
        mask[i] = static_cast<std::uint8_t>(here == 0 ? 0 : (0xFFu << (8 - here)) & 0xFFu);
        bits -= here;
    }
    return mask;
}

}  // namespace

bool PlausibleInterfaceName(std::string_view name) {
    return name.size() < 256 && std::none_of(name.begin(), name.end(), [](char c) {
               return c == '/' || c == '\t' || c == '\n' || c == ':' || c == 0;
           });
}

std::vector<InterfaceRecord> ReadInterfaceRecords() {
    std::vector<InterfaceRecord> records;
    const std::vector<std::uint8_t> storage = AdapterAddressList();
    if (storage.empty()) {
        return records;
    }
    std::vector<InterfaceRecord> withoutAddress;
    for (auto* adapter = reinterpret_cast<const IP_ADAPTER_ADDRESSES*>(storage.data());
         adapter != nullptr; adapter = adapter->Next) {
        const std::string name =
            adapter->FriendlyName != nullptr ? Utf8Of(adapter->FriendlyName) : std::string();
        if (name.empty()) {
            continue;
        }
        unsigned flags = 0;
        if (adapter->OperStatus == IfOperStatusUp) {
            flags |= kInterfaceUp | kInterfaceRunning;
        }
        if (adapter->IfType == IF_TYPE_SOFTWARE_LOOPBACK) {
            flags |= kInterfaceLoopback;
        }
        if ((adapter->Flags & IP_ADAPTER_NO_MULTICAST) == 0) {
            flags |= kInterfaceMulticast;
        }
        bool any = false;
        for (auto* unicast = adapter->FirstUnicastAddress; unicast != nullptr;
             unicast = unicast->Next) {
            const SOCKADDR* address = unicast->Address.lpSockaddr;
            if (address == nullptr || address->sa_family != AF_INET) {
                continue;
            }
            sockaddr_in inet{};
            std::memcpy(&inet, address, sizeof inet);
            Ipv4Address bytes{};
            std::memcpy(bytes.data(), &inet.sin_addr, bytes.size());
            records.push_back({name, flags, bytes, MaskOf(unicast->OnLinkPrefixLength)});
            any = true;
        }
        if (!any) {
            withoutAddress.push_back({name, flags, Ipv4Address{}, Ipv4Address{}});
        }
    }
    // Adapters without an IPv4 address after the others, so they can be named when asked for.
    records.insert(records.end(), withoutAddress.begin(), withoutAddress.end());
    return records;
}

}  // namespace trv81k
