#pragma once

// The first use of a new office is slow at everything: loading a Word filter,
// writing a PDF, Poppler's first page. Run once while the user reads the new
// window, so the first press is as quick as any later one.

namespace statusmill::office {

// Runs the spare office that is ready once through what a press will ask of it:
// a Word document written and read, a PDF drawn and rendered. Only a connected
// spare that proves fit is used: it never waits for an office to start. Nothing
// visible happens when it fails. Blocks for a few hundred milliseconds.
void warmUpSpareOffice();

} // namespace statusmill::office
