#pragma once
// The local network adapters: which interfaces and IPv4 addresses the programs use for the
// device traffic, and the guard that refuses to talk to a device while no adapter qualifies.
//
// A search goes out on every adapter that is up, has an IPv4 address and can send multicast
// (loopback excluded); every program's `--interface NAME|ADDR` pins one adapter instead, which
// may be a loopback one (the demo runs on lo with 127.0.0.1).

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ipv4.h"

namespace trv81k {

using AddressText = std::array<char, 16>;  // dotted text and its zero byte

// A network adapter the device traffic goes through: the interface's name and its (first)
// IPv4 address.
struct Adapter {
    std::string name;
    Ipv4Address address{};
    Ipv4Address mask{};

    bool operator==(const Adapter&) const = default;
};
// "lab0 (10.81.0.1)".
std::string AdapterText(const Adapter& adapter);

// The dotted text of an address in 16 bytes, zero-terminated, rest zero.
AddressText AddressTextOf(const Ipv4Address& address);

// The choice of `--interface NAME|ADDR`: an interface's name ("lab0") or an IPv4 address;
// nothing means every adapter. Returns false, and leaves the previous choice, for a text that
// can be neither (empty, over 15 characters, spaces or slashes, 0.0.0.0); the caller refuses to
// start then. Safe from any thread.
bool SetInterfaceChoice(std::optional<std::string> nameOrAddress);
std::optional<std::string> InterfaceChoice();

// The adapters the device traffic uses, or why there are none.
struct AdapterChoice {
    std::vector<Adapter> adapters;  // in the kernel's order
    std::string problem;            // empty when there are adapters
};
// Without a choice: every interface that is up, can send multicast and is not loopback, with
// its first IPv4 address (not 0.0.0.0). With a choice: the one interface of that name or that
// holds that address, loopback included (the demo runs on lo), when it is up. Read anew on each
// call.
AdapterChoice FindAdapters();
// The guard: whether FindAdapters finds any.
bool CheckNICState();
// The first adapter's address and mask, "0.0.0.0" in both and false when there is none.
bool GetNICAddress(AddressText& addressText, AddressText& maskText);

// ---- The pieces underneath, open for tests. ----

// The state of an interface, the same bits on every system.
inline constexpr unsigned kInterfaceUp = 0x1;         // administratively up
inline constexpr unsigned kInterfaceLoopback = 0x2;   // the loopback interface
inline constexpr unsigned kInterfaceRunning = 0x4;    // has a link (carrier)
inline constexpr unsigned kInterfaceMulticast = 0x8;  // can send and receive multicast

// One IPv4 address of one interface, as the system lists them.
struct InterfaceRecord {
    std::string name;
    unsigned int flags = 0;  // kInterfaceUp, kInterfaceLoopback, ...
    Ipv4Address address{};
    Ipv4Address mask{};
};

// The IPv4 addresses of all interfaces, in the system's order; empty when the list cannot be
// read. Linux: getifaddrs; Windows: GetAdaptersAddresses, named by the friendly name.
std::vector<InterfaceRecord> ReadInterfaceRecords();
// Whether a text can name an interface of this system (Linux: at most 15 characters, no blanks;
// Windows: a friendly name such as "Ethernet 2", up to 255 characters); ':' and '/' never.
bool PlausibleInterfaceName(std::string_view name);
// The selection rules applied to a list of records.
AdapterChoice ChooseAdapters(std::span<const InterfaceRecord> records,
                             const std::optional<std::string>& choice);

}  // namespace trv81k
