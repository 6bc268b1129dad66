#pragma once

// The first use of a new office is slow at everything: loading a Word filter,
// writing a PDF, Poppler's first page. Run once while the user reads the new
// window, so the first press is as quick as any later one.

namespace statusmill::office {

// Runs the spare office that is ready once through what a press will ask of it:
// a Word document written and read, a PDF drawn and rendered. Only a connected
// spare that proves fit is used: it never waits for an office to start. It runs
// in steps from the event loop, each a session of its own that hands the office
// back, so a press made meanwhile waits for one step at most and then takes the
// office as ever; the warm-up then stops. Nothing visible happens when it fails.
void warmUpSpareOffice();

} // namespace statusmill::office
