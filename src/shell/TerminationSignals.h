#pragma once

#include <QObject>

class QSocketNotifier;

namespace statusmill {

// Turns SIGTERM, SIGINT and SIGHUP into an orderly end of the event loop, so that a
// program stopped from outside (logout, kill, Ctrl+C) still removes its working
// folder on the way out.
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

    // Whether a stop was asked for, also one that came before the event loop ran.
    static bool requested();

private:
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace statusmill
