// What the stand-in's helper threads share: how many cores the process may
// use, and the mask that keeps the program's signals on the main thread.
#pragma once

#include <signal.h>

// The cores this process may run on (at least 1).
int VIEW_Cores();

// Blocks SIGINT, SIGTERM and SIGHUP in the calling thread while it lives,
// so that threads started meanwhile inherit the mask and the program's
// handler runs on the main thread only; the old mask comes back after.
class VIEW_SignalsBlocked {
public:
    VIEW_SignalsBlocked();
    ~VIEW_SignalsBlocked();
    VIEW_SignalsBlocked(const VIEW_SignalsBlocked&) = delete;
    VIEW_SignalsBlocked& operator=(const VIEW_SignalsBlocked&) = delete;

private:
    sigset_t m_old;
};
