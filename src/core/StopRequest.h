#pragma once

namespace statusmill::StopRequest {

// Whether the user has asked the program to stop (SIGTERM, SIGINT, SIGHUP). From
// then on nothing new begins: a guarded procedure runs no further statement and
// reports nothing, no message box or dialog is shown, and no office is started,
// so whatever is under way unwinds at once. Safe to ask from any thread.
bool requested();

// The signal that asked for the stop, or 0 (none, or a request of the program's own).
int signalNumber();

// Safe to call from any thread, but not from a signal handler.
void request(int signal = 0);

// A new life of the program starts without a stop pending.
void clear();

} // namespace statusmill::StopRequest
