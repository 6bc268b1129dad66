#pragma once

// The offices kept ready for the next session (see generate/Offices.h). Internal
// to the engine, and the main thread's alone: its timers and sessions run there,
// and no member of it is touched by any other thread (an office's own preparation
// thread touches only that office, see OfficeInstance.h). Nothing here runs the
// event loop, so no timer of its own can change m_waiting under a loop over it.

#include <QString>

#include <chrono>
#include <deque>
#include <memory>
#include <optional>

namespace statusmill::office {

class OfficeInstance;

class Spares
{
public:
    using Clock = std::chrono::steady_clock;

    static Spares& instance();
    ~Spares();

    void start(bool oneSessionOnly = false);
    void end(bool orderly = true);
    // No office is launched in the background for this long: the first moments
    // after the window shows belong to the user, and to the warm-up.
    void holdBack(std::chrono::milliseconds quiet);
    // Returns the setting it replaces.
    bool setRecycling(bool on);
    // Whether spares are kept and one of them is connected, ready at once.
    bool connectedSpareWaits() const;

    // A connected office with nothing open, for a new session: a spare that proves
    // fit, else a fresh start, whose failure reaches the caller as Failure. One
    // time limit covers both.
    std::unique_ptr<OfficeInstance> take();
    // A connected spare that proves fit, or nothing: never waits for an office to start.
    std::unique_ptr<OfficeInstance> takeConnected();
    // A profile for offices launched elsewhere to start from a copy of: the ready
    // one, made now by a session of a spare if there is none yet. Empty when none
    // could be made (such offices then make their own). Throws Failure when no
    // office can be had at all.
    QString readyProfileForOthers();
    // From now on every office waiting for a session holds the template opened
    // ahead (see OfficeInstance::prepareTemplate): `templateFile`, or the built-in
    // one when that is empty, in its form for data when `dataForm`.
    void prepareTemplates(const QString& templateFile, bool dataForm);
    // How many offices have been taken for sessions so far.
    int takesSoFar() const { return m_takes; }
    // The office of a session that ended without fault: kept for the next one when
    // spares are kept, it may be recycled and it proves fit; ended otherwise.
    void giveBack(std::unique_ptr<OfficeInstance> office);

private:
    Spares() = default;
    std::unique_ptr<OfficeInstance> takeLikeliest();
    // Counts the office's session and has a replacement started.
    std::unique_ptr<OfficeInstance> handOut(std::unique_ptr<OfficeInstance> office);
    bool readyProfileThere() const;
    bool readyForASession(OfficeInstance& office, Clock::time_point deadline);
    void topUp();
    // Tops up a moment later, from the event loop.
    void topUpSoon();
    // An office has just made its profile (and restarts itself).
    void profileMadeBy(const OfficeInstance& office);
    void keepReadyProfile(const QString& profileFolder);
    void prepareIn(OfficeInstance& office);
    // Prepares the template in every waiting office, from the event loop.
    void prepareSoon();
    bool isWaiting(const OfficeInstance* office) const;
    void dropReadyProfile();
    // The kept profile of an earlier run, copied in as the ready one, if there is one.
    void takeKeptProfile();
    // Whether the kept profile made the office fail; it is then set aside.
    bool blameKeptProfile(const OfficeInstance& office);

    // In the order they were launched or given back.
    std::deque<std::unique_ptr<OfficeInstance>> m_waiting;
    // A profile an office has made, for later offices to start from a copy of.
    QString m_readyProfile;
    // Whether the ready profile came from the kept one, not from an office of this run.
    bool m_readyIsKept = false;
    Clock::time_point m_quietUntil;
    int m_takes = 0;
    bool m_kept = false;
    bool m_recycling = true;
    bool m_topUpDue = false;
    // Only the first office is wanted: no ready profile, no replacements.
    bool m_oneSessionOnly = false;
    // The template opened ahead in waiting offices; empty for the built-in one.
    std::optional<QString> m_templateToPrepare;
    bool m_dataForm = false;
    bool m_prepareDue = false;
};

} // namespace statusmill::office
