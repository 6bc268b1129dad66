#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace statusmill {

// Keeps the user's clicks and keys away from a window while it is busy. The
// generation run blocks the event loop for seconds; a second click of a double
// click, or a key pressed meanwhile, waits in the queue and would otherwise land
// after the run, as a fresh press. The gate drops such input whenever it arrives
// during its life, and drain() fetches what is still on its way before the gate
// opens, so it is dropped too.
class BusyInputGate : public QObject
{
    Q_OBJECT

public:
    explicit BusyInputGate(QWidget* window);
    ~BusyInputGate() override;

    // Lets the events that arrived during the run be delivered now, and so dropped.
    void drain();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> m_window;
};

} // namespace statusmill
