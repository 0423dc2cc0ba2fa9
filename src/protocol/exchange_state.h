#pragma once
// The state that the window thread and the receiver thread share: the flags of the exchanges,
// the table of found devices and the selection the receiver compares answers with.
//
// Protocol between the threads: the window thread clears a flag, sends a request and later
// reads the flag; the receiver writes a result before the flag that announces it. Every
// field is atomic; results are published with release stores and read with acquire loads in
// the order the readers rely on:
//   entry complete        -> deviceCount
//   bAuthOK               -> bGetAuthAck
//   bGetConfigureAck      -> bConfigureAckSeen

#include <atomic>
#include <cstdint>

#include "protocol/wire.h"

namespace trv81k {

class DeviceTable {
public:
    // Number of complete entries (acquire): entries below it may be read from any thread.
    int count() const { return deviceCount.load(std::memory_order_acquire); }
    const DeviceInfo& at(int index) const { return entries[static_cast<std::size_t>(index)]; }
    bool contains(const DeviceId& id) const;  // receiver thread only

    // Receiver thread only: stores a complete entry, then publishes it. False when full.
    bool append(const DeviceInfo& device);
    // Start-up only, before the receiver runs.
    void clear();

private:
    std::array<DeviceInfo, kMaxDevices> entries{};
    std::atomic<int> deviceCount{0};
};

struct ExchangeState {
    // Written by the receiver (and cleared by the window thread before an exchange).
    std::atomic<bool> bGetSearchAck{false};
    std::atomic<bool> bPairingDeviceFound{false};
    std::atomic<bool> bGetAuthAck{false};
    std::atomic<bool> bAuthOK{false};
    std::atomic<bool> bGetConfigureAck{false};
    std::atomic<bool> bConfigureAckSeen{false};
    std::atomic<bool> bGetCheckBPSAck{false};
    std::atomic<bool> bBPSActive{false};

    DeviceTable table;

    // Written by the window thread, read by the receiver.
    std::atomic<int> requestKind{0};  // 1 search, 2 authentication, 3 configure
    std::atomic<int> selectedIndex{0};

    MacAddress selectedMAC() const;
    void setSelectedMAC(const MacAddress& mac);
    DeviceToken selectedToken() const;
    void setSelectedToken(const DeviceToken& token);
    Ipv4Bytes localIP() const;
    void setLocalIP(const Ipv4Bytes& address);

    // Chooses table entry `index`: selectedIndex, selectedMAC, selectedToken, in this order.
    // Returns the entry, or nothing when the index is outside the table.
    const DeviceInfo* choose(int index);

    // True when selectedIndex designates a stored entry.
    bool hasSelection() const;

    // Start-up: every flag clear, the table empty, nothing selected.
    void reset();

private:
    std::atomic<std::uint64_t> selectedMACBits{0};
    std::atomic<std::uint32_t> selectedTokenBits{0};
    std::atomic<std::uint32_t> localIPBits{0};
};

}  // namespace trv81k
