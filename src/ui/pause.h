#pragma once
// Waiting on the window thread while an answer may come in.

#include <chrono>

namespace trv81k {

// Waits `duration` in a nested event loop: the windows keep painting and the timers keep
// running, while every user input that arrives during the wait (mouse, keys, wheel, touch,
// shortcuts, the window system's close requests) is thrown away, so clicks and keys made
// during the wait have no effect. Needs a QApplication; nested waits are allowed.
void pauseDraining(std::chrono::milliseconds duration);

// True while a pauseDraining wait runs.
bool pauseDrainingActive();

}  // namespace trv81k
