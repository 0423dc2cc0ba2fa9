#pragma once
// The local network adapter: which IPv4 address the programs use for the device traffic, and
// the guard that refuses to talk to a device while no adapter has an address.
//
// The choice: among the interfaces that are up and not loopback, in the kernel's order, the
// first one whose first IPv4 address is not 0.0.0.0. Every program's `--interface ADDR` sets an
// override that replaces the choice; the override may name a loopback address (the demo runs
// on lo with 127.0.0.1).

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

// Sets or clears the override (`--interface ADDR`). Returns false, and leaves the previous
// state, when the text is not a dotted quad or is 0.0.0.0; the caller refuses to start then.
// Safe from any thread.
bool SetInterfaceOverride(std::optional<std::string> address);
std::optional<Ipv4Address> InterfaceOverride();

// Fills both buffers and returns true when an adapter with an address was found. Without an
// override: the chosen adapter's address and mask, or "0.0.0.0" in both and false.
// With an override: the override address always (so the device traffic never falls back to
// another adapter), the mask of an interface holding it ("255.255.255.255" when none does),
// and true only when an interface that is up holds the address now.
bool GetNICAddress(AddressText& addressText, AddressText& maskText);
// The guard: GetNICAddress on scratch buffers; reads the interface list anew on each call.
bool CheckNICState();

// ---- The pieces underneath, open for tests. ----

// One IPv4 address of one interface, as the system lists them.
struct InterfaceRecord {
    std::string name;
    unsigned int flags = 0;  // IFF_UP, IFF_LOOPBACK, ...
    Ipv4Address address{};
    Ipv4Address mask{};
};

struct NICChoice {
    bool found = false;
    AddressText addressText{};
    AddressText maskText{};
};

// The IPv4 addresses of all interfaces, in the kernel's order; empty when the list cannot be
// read.
std::vector<InterfaceRecord> ReadInterfaceRecords();
// The selection rules applied to a list of records.
NICChoice ChooseNICAddress(std::span<const InterfaceRecord> records,
                           const std::optional<Ipv4Address>& override);

}  // namespace trv81k
