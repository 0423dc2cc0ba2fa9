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

    // ---- One device's answers, by its table entry -------------------------------------------
    // Each exchange with a device waits for that device's own answers, so several may be under
    // way at once. The flags below keep their meaning for the selected device as well.
    //
    // Window side: what went to the device. The receiver takes an authentication answer only
    // while the device's last request was its authentication request, and only from the
    // address that request carried.
    void noteRequestTo(int device, PacketKind kind, const Ipv4Address& from);
    // A search request: no authentication outstanding anywhere, every login forgotten.
    void noteSearchRequest();
    void clearDevicePasswordAccepted(int device);
    // Reader side.
    std::uint64_t deviceLoginAnswers(int device) const;
    bool devicePasswordAccepted(int device) const;
    // A login the device accepted, and no search since.
    bool deviceLoggedIn(int device) const;
    std::uint64_t devicePairingAnswers(int device) const;
    bool devicePairingManaged(int device) const;
    std::uint64_t deviceAcknowledgements(int device) const;
    // Configure answers with a status other than 0: the device answered and said no.
    std::uint64_t deviceConfigureRefusals(int device) const;

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
    // The entry the requests to the selected device go to: the one with selectedMAC (a click on
    // the list's empty space resets selectedIndex and keeps the device addressed); -1 for none.
    int selectedDevice() const;

    // ---- What the receiver records ------------------------------------------------------------
    // The entries an authentication answer is for: its token, an authentication outstanding,
    // the address it was sent from. Records each; the flags too when it is the selected token.
    // False when it is for none.
    bool recordLoginAnswer(const DeviceToken& token, const Ipv4Address& client, bool accepted);
    // A pairing check answer: the answering device's own state, and bGetCheckBPSAck (with
    // bBPSActive for the selected device) as the flags have it. False when no entry has the MAC.
    bool recordPairingAnswer(const MacAddress& mac, bool managed);
    // An acknowledgement (status 0): the device's own count, and the flags when it is the
    // selected device. False when it is neither.
    bool recordAcknowledgement(const MacAddress& mac);
    // A configure answer that refuses the settings (status other than 0): the device's own
    // count; no flag changes. False when no entry has the MAC.
    bool recordConfigureRefusal(const MacAddress& mac);

    void recordSearchAnswer() { put(bGetSearchAck, true); }
    // After the entry was appended to the table.
    void recordDeviceListed() { put(bPairingDeviceFound, true); }

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

    struct DeviceAnswers {
        std::atomic<int> lastRequest{0};       // PacketKind of the last request to it
        std::atomic<std::uint32_t> client{0};  // the address its authentication request carried
        std::atomic<bool> loginAnswered{false};
        std::atomic<bool> passwordAccepted{false};
        std::atomic<std::uint64_t> loginAnswers{0};
        std::atomic<bool> pairingManaged{false};
        std::atomic<std::uint64_t> pairingAnswers{0};
        std::atomic<std::uint64_t> acknowledgements{0};
        std::atomic<std::uint64_t> configureRefusals{0};
    };
    DeviceAnswers& answersOf(int device);
    const DeviceAnswers& answersOf(int device) const;

    std::array<DeviceAnswers, kMaxDevices> devices_{};
    std::atomic<int> lastRequestKind{0};  // 1 search, 2 authentication, 3 configure
    std::atomic<int> selectedEntry{0};
    std::atomic<std::uint64_t> selectedMACBits{0};
    std::atomic<std::uint32_t> selectedTokenBits{0};
    std::atomic<std::uint32_t> localIPBits{0};
};

}  // namespace trv81k
