// The local network adapters: the selection rules. The list itself comes from the system's
// side (posix/adapters.cpp, windows/adapters.cpp).

#include "platform/adapters.h"

#include <algorithm>
#include <mutex>

namespace trv81k {
namespace {

constexpr Ipv4Address kZeroAddress{0, 0, 0, 0};

// The choice, set at start-up and read by any thread.
std::mutex choiceMutex;
std::optional<std::string> choiceText;

bool IsUp(const InterfaceRecord& record) {
    return (record.flags & kInterfaceUp) != 0;
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

bool SetInterfaceChoice(std::optional<std::string> nameOrAddress) {
    if (nameOrAddress) {
        const std::string& text = *nameOrAddress;
        // A name as the system has them; an address must not be 0.0.0.0.
        const bool plausible = !text.empty() && PlausibleInterfaceName(text) &&
                               ParseIPv4(text) != std::optional<Ipv4Address>(kZeroAddress);
        if (!plausible) {
            return false;
        }
    }
    const std::lock_guard lock(choiceMutex);
    choiceText = std::move(nameOrAddress);
    return true;
}

std::optional<std::string> InterfaceChoice() {
    const std::lock_guard lock(choiceMutex);
    return choiceText;
}

AdapterChoice ChooseAdapters(std::span<const InterfaceRecord> records,
                             const std::optional<std::string>& choice) {
    AdapterChoice result;
    // Only the first address of each interface counts.
    std::vector<const InterfaceRecord*> firsts;
    for (const InterfaceRecord& record : records) {
        if (std::none_of(firsts.begin(), firsts.end(), [&record](const InterfaceRecord* seen) {
                return seen->name == record.name;
            })) {
            firsts.push_back(&record);
        }
    }
    const auto adapterOf = [](const InterfaceRecord& record) {
        return Adapter{record.name, record.address, record.mask};
    };
    // "lab0 (10.81.0.1)", or only the name where there is no address.
    const auto describe = [](const InterfaceRecord& record) {
        return record.address == kZeroAddress ? record.name
                                              : AdapterText({record.name, record.address, {}});
    };
    const auto listText = [&firsts, &describe] {
        std::string text;
        for (const InterfaceRecord* record : firsts) {
            text += (text.empty() ? "" : ", ") + describe(*record);
            if (!IsUp(*record)) {
                text += " down";
            }
        }
        return text.empty() ? std::string("none") : text;
    };

    if (choice) {
        const std::optional<Ipv4Address> address = ParseIPv4(*choice);
        const InterfaceRecord* chosen = nullptr;
        for (const InterfaceRecord& record : records) {
            const bool matches = address ? record.address == *address : record.name == *choice;
            // An address held twice: the interface that is up counts.
            if (matches && (chosen == nullptr || (!IsUp(*chosen) && IsUp(record)))) {
                chosen = &record;
            }
        }
        if (chosen == nullptr) {
            result.problem = "no adapter " +
                             std::string(address ? "has the address " : "is called ") + *choice +
                             "; the adapters here: " + listText();
        } else if (!IsUp(*chosen)) {
            result.problem = "the adapter " + describe(*chosen) + " is down";
        } else if (chosen->address == kZeroAddress) {
            result.problem = "the adapter " + chosen->name + " has no IPv4 address";
        } else {
            result.adapters.push_back(adapterOf(*chosen));
        }
        return result;
    }

    for (const InterfaceRecord* record : firsts) {
        if (IsUp(*record) && (record->flags & kInterfaceLoopback) == 0 &&
            (record->flags & kInterfaceMulticast) != 0 && record->address != kZeroAddress) {
            result.adapters.push_back(adapterOf(*record));
        }
    }
    if (result.adapters.empty()) {
        result.problem =
            "no adapter is up with an IPv4 address and multicast (loopback is not used); the "
            "adapters here: " +
            listText();
    }
    return result;
}

AdapterChoice FindAdapters() {
    return ChooseAdapters(ReadInterfaceRecords(), InterfaceChoice());
}

bool GetNICAddress(AddressText& addressText, AddressText& maskText) {
    const AdapterChoice choice = FindAdapters();
    if (choice.adapters.empty()) {
        addressText = AddressTextOf(kZeroAddress);
        maskText = AddressTextOf(kZeroAddress);
        return false;
    }
    addressText = AddressTextOf(choice.adapters.front().address);
    maskText = AddressTextOf(choice.adapters.front().mask);
    return true;
}

bool CheckNICState() {
    return !FindAdapters().adapters.empty();
}

}  // namespace trv81k
