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
    ConfigureAcknowledged,  // recorded for its device (and the flags for the selected one)
    ConfigureOtherDevice,   // for no device of the table
    ConfigureRefused,       // status other than 0
    CheckBPSTaken,          // recorded for its device (bBPSActive for the selected one)
    CheckBPSOtherDevice,    // for no device of the table: only bGetCheckBPSAck set
};

struct HandleResult {
    DatagramOutcome outcome = DatagramOutcome::Unknown;
};

// Decrypts `datagram` (up to 740 bytes are looked at; short ones are zero-filled) and applies
// it to `state`.
// `arrivedOn` is the adapter the datagram came in on; a stored device keeps it.
HandleResult handleDatagram(std::span<const std::uint8_t> datagram, ExchangeState& state,
                            const Adapter& arrivedOn = {});

// The same for a message that is already decrypted.
HandleResult handlePlainMessage(const PlainMessage& plain, ExchangeState& state,
                                const Adapter& arrivedOn = {});

}  // namespace trv81k
