#pragma once

// Spare office processes, so that a session starts in milliseconds rather than
// the second or two an office takes to start.
//
// Once started, the engine keeps an office ready in reserve: launched ahead of
// need (without waiting for it) and connected when a session asks for one. Taking
// it launches a replacement at once. A session that ends without fault hands its
// office back, to serve the next session (at most 50 in all), after a check that
// it answers and has no document open. A spare that died, stopped or hung while
// it waited is found out when taken, ended, and passed over without a word; only
// when a fresh start fails too does the session fail, as ever. At most two offices
// of ours wait while the user does. Spares die with the program, also when it is
// killed.

namespace statusmill::automation {

// Keeps spares from now on and launches the first at once. Never blocks.
void startSpareOffices();

// Ends every spare and keeps none any more (sessions then start afresh).
void endSpareOffices();

// Runs the spare office that is ready once through what a press will ask of it:
// a Word document written and read, a PDF drawn and rendered. An office does each
// of these slowly the first time; done while the user reads the new window, the
// first press is as quick as any later one. Does nothing when no connected spare
// is fit (it never waits for an office to start), and nothing visible when it
// fails. Blocks for a few hundred milliseconds.
void warmUpSpareOffice();

// Whether an office that served a session may serve the next. On by default;
// the benchmark measures both ways.
void setOfficeRecycling(bool on);

// How many office processes the program has started so far, restarts included.
int officeProcessesStarted();

} // namespace statusmill::automation
