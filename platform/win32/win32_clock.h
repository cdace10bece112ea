// The stand-in's clock, shared by Sleep, timers and input times. Internal to
// platform/win32.
#pragma once

#include <cstdint>

// Milliseconds: since the first reading on the real clock; since the switch
// on the test clock.
uint64_t Win32ClockNow();
// Moves the test clock forward to when (never back); on the real clock waits
// until then.
void Win32ClockWaitUntil(uint64_t when);
