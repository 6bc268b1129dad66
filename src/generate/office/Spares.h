#pragma once

// The offices kept ready for the next session (see generate/SpareOffices.h).
// Internal to the engine.

#include "OfficeInstance.h"

#include <deque>
#include <memory>

namespace statusmill::office {

class Spares
{
public:
    static Spares& instance();
    ~Spares();

    void start();
    void end();
    void setRecycling(bool on) { m_recycling = on; }
    // Whether spares are kept and one of them is connected, ready at once.
    bool connectedSpareWaits() const;

    // A connected office with nothing open, for a new session: a spare that proves
    // fit, else a fresh start, whose failure reaches the caller as Failure.
    std::unique_ptr<OfficeInstance> take();
    // A connected spare that proves fit, or nothing: never waits for an office to start.
    std::unique_ptr<OfficeInstance> takeConnected();
    // The office of a session that ended without fault: kept for the next one when
    // spares are kept, it may be recycled and it proves fit; ended otherwise.
    void giveBack(std::unique_ptr<OfficeInstance> office);

private:
    std::unique_ptr<OfficeInstance> takeLikeliest();
    bool readyForASession(OfficeInstance& office, OfficeInstance::Clock::time_point deadline);
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
