#pragma once

// The offices kept ready for the next session (see generate/Offices.h). Internal
// to the engine, and the main thread's alone: its timers and sessions run there.

#include <QString>

#include <chrono>
#include <deque>
#include <memory>

namespace statusmill::office {

class OfficeInstance;

class Spares
{
public:
    using Clock = std::chrono::steady_clock;

    static Spares& instance();
    ~Spares();

    void start();
    void end();
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
    // The office of a session that ended without fault: kept for the next one when
    // spares are kept, it may be recycled and it proves fit; ended otherwise.
    void giveBack(std::unique_ptr<OfficeInstance> office);

private:
    Spares() = default;
    std::unique_ptr<OfficeInstance> takeLikeliest();
    bool readyForASession(OfficeInstance& office, Clock::time_point deadline);
    void topUp();
    // Tops up a moment later, from the event loop.
    void topUpSoon();
    void keepReadyProfile(const QString& profileFolder);

    // In the order they were launched or given back.
    std::deque<std::unique_ptr<OfficeInstance>> m_waiting;
    // A profile an office has made, for later offices to start from a copy of.
    QString m_readyProfile;
    bool m_kept = false;
    bool m_recycling = true;
    bool m_topUpDue = false;
};

} // namespace statusmill::office
