#pragma once

// The offices behind the document engine, as the rest of the program steers them.
//
// Spares: once started, the engine keeps an office ready in reserve, launched
// ahead of need (without waiting for it) and connected when a session asks for
// one, so that a session starts in milliseconds rather than the second or two an
// office takes to start. Taking it launches a replacement a moment later. A
// session that ends without fault hands its office back, to serve the next
// session (at most 50 in all), after a check that it answers and has no document
// open. A spare that died, stopped, hung or lost its profile while it waited is
// found out when taken, ended, and passed over without a word; only when a fresh
// start fails too does the session fail, as ever. At most two offices of ours
// wait while the user does, and they start one at a time. An office starts on a
// copy of a profile kept between runs (see office/KeptProfile.h), so it need not
// make one. Offices die with the program, also when it is killed.

#include <QString>

#include <chrono>

namespace statusmill::automation {

// Keeps spares from now on and launches the first at once. Never blocks. For a
// program that needs `oneSessionOnly` (one report from the command line), that
// office is all: no other is made ready.
void startSpareOffices(bool oneSessionOnly = false);

// Ends every spare and keeps none any more (sessions then start afresh): asked to
// end in order, or, when not `orderly`, killed at once (nothing of theirs is kept,
// so a program about to end need not wait for them).
void endSpareOffices(bool orderly = true);

// Runs the spare office that is ready once through what a press will ask of it,
// so that the first press is as quick as any later one (see office/WarmUp.h):
// in short steps from the event loop, which a press goes before. Never waits for
// an office to start.
void warmUpSpareOffice();

// From now on every office waiting for a session holds `templateFile` (the
// built-in template when that is empty) opened ahead, as a press opens it, so
// that the press need not: it takes that document when the file it opens holds
// the very same bytes, and opens the file as ever otherwise.
// With `dataForm`, the built-in template is its form for data.
void prepareTemplatesAhead(const QString& templateFile, bool dataForm = false);

// No office is launched in the background for this long: the moments after the
// window shows belong to the user (a press made then needs both cores) and to
// the warm-up.
void holdBackSpareOffices(std::chrono::milliseconds quiet);

// Whether an office that served a session may serve the next. On by default;
// the benchmark measures both ways. Returns the setting it replaces.
bool setOfficeRecycling(bool on);

// Ends every office process of ours at once; safe from any thread. What they were
// doing fails as if the office had died. For a program that must stop now.
void endEveryOfficeAtOnce();

// How long one call into the document engine may take before the office is
// stopped and the call fails: 60 seconds unless a test shortens it.
std::chrono::milliseconds callTimeLimit();
// How long getting an office may take, from the first wait to a usable connection:
// 30 seconds unless a test shortens it. The setters return the limit they replace.
std::chrono::milliseconds startTimeLimit();
std::chrono::milliseconds setCallTimeLimit(std::chrono::milliseconds limit);
std::chrono::milliseconds setStartTimeLimit(std::chrono::milliseconds limit);

// One line saying what was looked for as the office, and where, for messages.
QString officeSearchDescription();

class Application;

// What offices of one's own need, found on the main thread: the office program,
// the working folder their profiles go into and a profile to start from.
struct OwnOffices
{
    QString program;
    QString folder;
    QString readyProfile;
};

// Finds all of that, making the ready profile now if there is none. Throws Failure
// when no office can be had. The main thread's, after startSpareOffices().
OwnOffices prepareOwnOffices();

// A session on an office of its own rather than a spare, for work on another
// thread (a batch's job): launched and connected on the calling thread, which
// must not end before the session does, and ended with the session. Throws
// Failure when the office cannot be started.
std::unique_ptr<Application> createOwnApplication(const OwnOffices& offices);

} // namespace statusmill::automation
