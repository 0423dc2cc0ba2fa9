#pragma once
// Every duration of the exchanges in one value. The product uses the defaults; tests pass a
// scaled copy.

#include <chrono>

namespace trv81k {

struct Timing {
    using ms = std::chrono::milliseconds;

    ms searchTick{500};           // search dialog timer
    ms fastTick{50};              // both dialogs once their answer is in
    ms configureTick{7000};       // configure dialog timer
    ms loginPause{500};           // after the authentication request
    ms loginSuccessPause{500};    // before the login dialog closes on success
    ms pairingPause{1000};        // after each pairing check request
    ms configureGrace{500};       // after the configure dialog, for a late acknowledgement
    ms configureBuildPause{100};  // after the configure request's fields are written
    ms closePause{50};            // between closing the channel and stopping the receiver

    // Every duration multiplied by `factor` (at least 1 ms each).
    Timing scaled(double factor) const;
};

}  // namespace trv81k
