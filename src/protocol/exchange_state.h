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
//   bBPSActive            -> bGetCheckBPSAck
//   bGetConfigureAck      -> bConfigureAckSeen
// Readers and writers go through the named operations below; the memory orders stay here.

#include <atomic>
#include <cstdint>

#include "platform/adapters.h"
#include "protocol/wire.h"

namespace trv81k {

class DeviceTable {
public:
    // Number of complete entries (acquire): entries below it may be read from any thread.
    int count() const { return deviceCount.load(std::memory_order_acquire); }
    const DeviceInfo& at(int index) const { return entries[static_cast<std::size_t>(index)]; }
    bool contains(const DeviceId& id) const;  // receiver thread only
    // The index of the entry with this hardware address.
    std::optional<int> find(const MacAddress& mac) const;
    // The adapter an entry's answer came in on (empty name where nobody could tell).
    const Adapter& adapterOf(int index) const { return adapters[static_cast<std::size_t>(index)]; }

    // Receiver thread only: stores a complete entry, then publishes it. False when full.
    bool append(const DeviceInfo& device, const Adapter& arrivedOn = {});
    // Start-up only, before the receiver runs.
    void clear();

private:
    std::array<DeviceInfo, kMaxDevices> entries{};
    std::array<Adapter, kMaxDevices> adapters{};
    std::atomic<int> deviceCount{0};
};

class ExchangeState {
public:
    DeviceTable table;

    // ---- Search ------------------------------------------------------------------------------
    // bGetSearchAck: some search answer came since it was last cleared (before a search
    // request, and when the login dialog is left).
    bool searchAnswered() const { return get(bGetSearchAck); }
    void clearSearchAnswered() { put(bGetSearchAck, false); }
    // bPairingDeviceFound: an answer was stored in the table (stays set for the run).
    bool deviceListed() const { return get(bPairingDeviceFound); }
    // What ends a search dialog early and lets the list page open: both of the above.
    bool searchFoundDevices() const { return searchAnswered() && deviceListed(); }

    // ---- Login -------------------------------------------------------------------------------
    // bAuthOK: the last authentication answer taken accepted the password.
    bool passwordAccepted() const { return get(bAuthOK); }
    void clearPasswordAccepted() { put(bAuthOK, false); }
    // bGetAuthAck and bAuthOK: a login that the device accepted, and no search since.
    bool loggedIn() const { return get(bGetAuthAck) && get(bAuthOK); }
    bool loginAnswered() const { return get(bGetAuthAck); }
    void clearLoginAnswered() { put(bGetAuthAck, false); }
    // Authentication answers taken so far: a wait for one ends when this grows.
    std::uint64_t loginAnswersTaken() const { return authAnswers.load(std::memory_order_acquire); }

    // ---- Pairing check -----------------------------------------------------------------------
    // bGetCheckBPSAck: some device answered a pairing check since it was cleared.
    bool pairingAnswered() const { return get(bGetCheckBPSAck); }
    // The selected device's own answer is in.
    bool selectedPairingAnswered() const { return get(selectedBPSAnswered); }
    // bBPSActive: the selected device's wireless settings are managed by its pairing.
    bool pairingManaged() const { return get(bBPSActive); }
    // Before a pairing check: no answer, no state.
    void clearPairing();

    // ---- Configure ---------------------------------------------------------------------------
    // bGetConfigureAck: the selected device acknowledged since it was cleared.
    bool configureAcknowledged() const { return get(bGetConfigureAck); }
    void clearConfigureAcknowledged() { put(bGetConfigureAck, false); }
    // bConfigureAckSeen: some acknowledgement came during this run (never cleared).
    bool acknowledgementSeen() const { return get(bConfigureAckSeen); }

    // ---- Requests and the selection (window thread writes, receiver reads) -------------------
    // The kind of the last search, authentication or configure request sent (0 before any).
    int requestKind() const { return lastRequestKind.load(std::memory_order_acquire); }
    void setRequestKind(PacketKind kind);

    int selectedIndex() const { return selectedEntry.load(std::memory_order_acquire); }
    void setSelectedIndex(int index) { selectedEntry.store(index, std::memory_order_release); }
    MacAddress selectedMAC() const;
    void setSelectedMAC(const MacAddress& mac);
    DeviceToken selectedToken() const;
    void setSelectedToken(const DeviceToken& token);
    Ipv4Address localIP() const;
    void setLocalIP(const Ipv4Address& address);

    // Chooses table entry `index`: selectedIndex, selectedMAC, selectedToken, in this order.
    // Returns the entry, or nothing when the index is outside the table.
    const DeviceInfo* choose(int index);
    // True when selectedIndex designates a stored entry.
    bool hasSelection() const;

    // ---- What the receiver records ------------------------------------------------------------
    void recordSearchAnswer() { put(bGetSearchAck, true); }
    // After the entry was appended to the table.
    void recordDeviceListed() { put(bPairingDeviceFound, true); }
    // bAuthOK, then bGetAuthAck.
    void recordLoginAnswer(bool accepted);
    // Any device's answer: only bGetCheckBPSAck. The selected device's: its state first.
    void recordPairingAnswer();
    void recordSelectedPairingState(bool managed);
    // bGetConfigureAck, then bConfigureAckSeen.
    void recordConfigureAcknowledged();

    // The eight flags as one value, for tests and diagnostics.
    struct Flags {
        bool bGetSearchAck = false;
        bool bPairingDeviceFound = false;
        bool bGetAuthAck = false;
        bool bAuthOK = false;
        bool bGetConfigureAck = false;
        bool bConfigureAckSeen = false;
        bool bGetCheckBPSAck = false;
        bool bBPSActive = false;
        bool operator==(const Flags&) const = default;
    };
    Flags flags() const;
    void setFlags(const Flags& flags);

    // Start-up: every flag clear, the table empty, nothing selected.
    void reset();

private:
    static bool get(const std::atomic<bool>& flag) { return flag.load(std::memory_order_acquire); }
    static void put(std::atomic<bool>& flag, bool value) {
        flag.store(value, std::memory_order_release);
    }

    std::atomic<bool> bGetSearchAck{false};
    std::atomic<bool> bPairingDeviceFound{false};
    std::atomic<bool> bGetAuthAck{false};
    std::atomic<bool> bAuthOK{false};
    std::atomic<bool> bGetConfigureAck{false};
    std::atomic<bool> bConfigureAckSeen{false};
    std::atomic<bool> bGetCheckBPSAck{false};
    std::atomic<bool> bBPSActive{false};
    std::atomic<bool> selectedBPSAnswered{false};
    std::atomic<std::uint64_t> authAnswers{0};

    std::atomic<int> lastRequestKind{0};  // 1 search, 2 authentication, 3 configure
    std::atomic<int> selectedEntry{0};
    std::atomic<std::uint64_t> selectedMACBits{0};
    std::atomic<std::uint32_t> selectedTokenBits{0};
    std::atomic<std::uint32_t> localIPBits{0};
};

}  // namespace trv81k
