#pragma once
// Waiting on the window thread while an answer may come in.

#include <chrono>
#include <functional>

#include "core/exchanges.h"

namespace trv81k {

// Waits `duration` in a nested event loop: the windows keep painting and the timers keep
// running, while every user input that arrives during the wait (mouse, keys, wheel, touch,
// shortcuts, the window system's close requests) is thrown away, so clicks and keys made
// during the wait have no effect. Needs a QApplication; nested waits are allowed.
void pauseDraining(std::chrono::milliseconds duration);

// Like pauseDraining, but ends as soon as `done` holds (looked at every few milliseconds);
// without `drain` the user's input is handled as usual (a modal dialog stays usable).
void pauseUntil(std::chrono::milliseconds limit, const std::function<bool()>& done, bool drain);

// True while a pauseDraining wait runs.
bool pauseDrainingActive();

// How the wizard waits in the exchanges: pauses drop the input made meanwhile, a progress
// dialog's ticks keep the dialog usable.
WaitFn WizardWait();

}  // namespace trv81k
