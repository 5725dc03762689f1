// Scheduling for a thread that must keep a clock (the DMX frame clock): asks the system
// to run it before ordinary work, so that compiling, browsing or a busy disk on the same
// machine do not delay its frames.
//
// On Linux: a low real-time priority (round robin, priority 10) where the user may have
// one, else the highest "nice" level allowed. A server whose handlers never spin is safe
// at such a priority; the kernel still keeps a share of every second for other work.
// On Windows: the process's high priority class and the thread's highest priority (not
// the real-time class, which would hold back the system's own input and disk work).
#pragma once

#include <string>

namespace quarnel::platform {

// Raises the calling thread's priority as far as allowed; returns what it got, in words.
std::string RaiseClockThreadPriority();

// Asks the system to end the calling thread's sleeps and timed waits as close to their
// time as it can, at any priority (Linux: a timer slack of 1 microsecond instead of 50;
// Windows: a timer period of 1 ms instead of about 15.6, for as long as the program
// runs), so that short waits such as a DMX break keep their length.
void RequestFineTimers();

}  // namespace quarnel::platform
