// The local network adapter, from getifaddrs().

#include "platform/adapters.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>

namespace trv81k {
namespace {

constexpr Ipv4Address kZeroAddress{0, 0, 0, 0};
constexpr Ipv4Address kHostMask{255, 255, 255, 255};

// The override lives in one atomic word: bit 32 says whether it is set, the low 32 bits hold
// the address in dotted order. Set once at start-up, read by any thread.
constexpr std::uint64_t kOverrideSet = std::uint64_t{1} << 32;
std::atomic<std::uint64_t> overrideWord{0};

std::uint64_t Pack(const Ipv4Address& address) {
    return kOverrideSet | (std::uint64_t{address[0]} << 24) | (std::uint64_t{address[1]} << 16) |
           (std::uint64_t{address[2]} << 8) | std::uint64_t{address[3]};
}

Ipv4Address Unpack(std::uint64_t word) {
    return {static_cast<std::uint8_t>(word >> 24), static_cast<std::uint8_t>(word >> 16),
            static_cast<std::uint8_t>(word >> 8), static_cast<std::uint8_t>(word)};
}

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

bool IsUp(const InterfaceRecord& record) {
    return (record.flags & IFF_UP) != 0;
}

}  // namespace

std::string AdapterText(const Adapter& adapter) {
    return adapter.name + " (" + FormatIPv4(adapter.address) + ")";
}

AddressText AddressTextOf(const Ipv4Address& address) {
    AddressText text{};
    const std::string dotted = FormatIPv4(address);
    std::copy_n(dotted.begin(), std::min(dotted.size(), text.size() - 1), text.begin());
    return text;
}

bool SetInterfaceOverride(std::optional<std::string> address) {
    if (!address) {
        overrideWord.store(0, std::memory_order_release);
        return true;
    }
    const auto parsed = ParseIPv4(*address);
    if (!parsed || *parsed == kZeroAddress) {
        return false;
    }
    overrideWord.store(Pack(*parsed), std::memory_order_release);
    return true;
}

std::optional<Ipv4Address> InterfaceOverride() {
    const std::uint64_t word = overrideWord.load(std::memory_order_acquire);
    if ((word & kOverrideSet) == 0) {
        return std::nullopt;
    }
    return Unpack(word);
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
        records.push_back({entry->ifa_name != nullptr ? entry->ifa_name : "", entry->ifa_flags,
                           FromSockaddr(entry->ifa_addr), FromSockaddr(entry->ifa_netmask)});
    }
    return records;
}

NICChoice ChooseNICAddress(std::span<const InterfaceRecord> records,
                           const std::optional<Ipv4Address>& override) {
    NICChoice choice;
    if (override) {
        // Prefer an interface that is up; any holder still gives its mask.
        const InterfaceRecord* holder = nullptr;
        for (const InterfaceRecord& record : records) {
            if (record.address == *override &&
                (holder == nullptr || (!IsUp(*holder) && IsUp(record)))) {
                holder = &record;
            }
        }
        choice.found = holder != nullptr && IsUp(*holder);
        choice.addressText = AddressTextOf(*override);
        choice.maskText = AddressTextOf(holder != nullptr ? holder->mask : kHostMask);
        return choice;
    }

    std::vector<std::string_view> seen;  // interfaces whose first address has been looked at
    for (const InterfaceRecord& record : records) {
        if (std::find(seen.begin(), seen.end(), record.name) != seen.end()) {
            continue;  // only the first address of each interface counts
        }
        seen.push_back(record.name);
        if (!IsUp(record) || (record.flags & IFF_LOOPBACK) != 0 || record.address == kZeroAddress) {
            continue;
        }
        choice.found = true;
        choice.addressText = AddressTextOf(record.address);
        choice.maskText = AddressTextOf(record.mask);
        return choice;
    }
    choice.addressText = AddressTextOf(kZeroAddress);
    choice.maskText = AddressTextOf(kZeroAddress);
    return choice;
}

bool GetNICAddress(AddressText& addressText, AddressText& maskText) {
    const auto records = ReadInterfaceRecords();
    const NICChoice choice = ChooseNICAddress(records, InterfaceOverride());
    addressText = choice.addressText;
    maskText = choice.maskText;
    return choice.found;
}

bool CheckNICState() {
    AddressText addressText{};
    AddressText maskText{};
    return GetNICAddress(addressText, maskText);
}

}  // namespace trv81k
