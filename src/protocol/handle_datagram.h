#pragma once
// What the receiver does with one datagram: decrypt, recognise the answer by its tag, apply
// its accept rules and record the outcome in the shared state. Pure apart from the state it
// is given and the trace line of a configure answer, so it is tested and fuzzed without a
// socket.

#include <cstdint>
#include <span>

#include "protocol/exchange_state.h"

namespace trv81k {

enum class DatagramOutcome {
    Unknown,                // no answer tag
    SearchStored,           // new device appended to the table
    SearchDuplicate,        // device already in the table
    SearchNoMarker,         // answer without the pairing marker
    SearchMalformed,        // texts longer than their fields or past the message's end
    SearchTableFull,        // 32 devices stored already
    AuthTaken,              // bAuthOK and bGetAuthAck written
    AuthIgnored,            // no authentication outstanding, other token or other adapter
    ConfigureAcknowledged,  // bGetConfigureAck and bConfigureAckSeen set
    ConfigureOtherDevice,   // not for the selected device
    ConfigureRefused,       // status other than 0
    CheckBPSTaken,          // bBPSActive written
    CheckBPSOtherDevice,    // only bGetCheckBPSAck set
};

struct HandleResult {
    DatagramOutcome outcome = DatagramOutcome::Unknown;
    // The receiver throttles itself after these datagrams when no further one is queued: after
    // an answer it took (a stored search answer, the selected device's pairing state), never
    // after one it ignored. Anyone on the LAN can send datagrams that are ignored; a pause
    // after each of them would let a flood fill the socket's queue during every pause, and the
    // answers that matter would be dropped by the kernel before the receiver ever saw them.
    bool pauseAfter = false;
};

// Decrypts `datagram` (up to 740 bytes are looked at; short ones are zero-filled) and applies
// it to `state`.
HandleResult handleDatagram(std::span<const std::uint8_t> datagram, ExchangeState& state);

// The same for a message that is already decrypted.
HandleResult handlePlainMessage(const PlainMessage& plain, ExchangeState& state);

}  // namespace trv81k
