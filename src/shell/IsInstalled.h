#pragma once

#include <functional>

namespace statusmill::IsInstalled {

// Starts a session and quits it. When no session can be made, tells the user
// what to check and ends the program through the terminator; when no working
// folder can be made, says so instead. A stop asked for meanwhile ends nothing
// here: the check returns and start-up ends in order.
void CheckWordInstalled();

// What ends the program after the message; by default the working folder is
// removed and the process exits at once with code 1. Tests install their own;
// returns the one it replaces.
using Terminator = std::function<void()>;
Terminator setTerminator(Terminator terminator);

} // namespace statusmill::IsInstalled
