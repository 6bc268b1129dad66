// The wheel and the keys on the preview window, through real events.
#include "support/PreviewFixture.h"
#include "support/Seams.h"
#include "ui/ErrorReport.h"

#include <QPushButton>

using namespace statusmill;
using namespace statusmill::testing;

namespace {

// Across: overflow 378, 38 positions of 10 units, 61 a viewport. Down: overflow
// 1505, 150 positions of 10 units, 49 a viewport.
const QSize kTall(1000, 2000);
// Where each test starts the bars, so that both directions show.
const QPoint kStart(10, 10);

void wheel(QWidget* over, QPoint angle, QPoint pixels, Qt::KeyboardModifiers modifiers)
{
    const QPointF at(over->width() / 2.0, over->height() / 2.0);
    QWheelEvent event(at, over->mapToGlobal(at), pixels, angle, Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(over, &event);
}

QWidget* part(Form2& form, const QString& name)
{
    if (name == QLatin1String("viewport"))
        return form.Picture2();
    if (name == QLatin1String("across bar"))
        return form.HScroll1();
    if (name == QLatin1String("down bar"))
        return form.VScroll1();
    if (name == QLatin1String("Zoom Out"))
        return form.PushButton2();
    if (name == QLatin1String("Save"))
        return form.PushButton6();
    return form.Picture1();
}

void startBars(Form2& form)
{
    for (QScrollBar* bar : {form.HScroll1(), form.VScroll1()})
        if (bar->isEnabled())
            bar->setValue(bar == form.HScroll1() ? kStart.x() : kStart.y());
}

// The canvas sits where the bars' change handlers put it.
QPoint canvasFor(const Form2& form)
{
    return {-form.hStep() * form.HScroll1()->value(), -form.vStep() * form.VScroll1()->value()};
}

bool saveDialogShown()
{
    for (const auto& shown : Dialogs::shown())
        if (shown.isSaveDialog)
            return true;
    return false;
}

} // namespace

class TestForm2Input : public QObject
{
    Q_OBJECT

    const ErrorReportsShown m_reports;
    std::optional<testing::RecordedDialogs> m_dialogs;

    std::unique_ptr<Form2> newForm(QSize base)
    {
        auto form = std::make_unique<Form2>();
        form->setEndProgram([] {});
        if (!handOver(*form, pictureWithBase(base, 2)))
            return nullptr;
        return form;
    }

private slots:
    void initTestCase() { QApplication::setWheelScrollLines(3); }
    void init() { m_dialogs.emplace(); }
    void cleanup() { m_dialogs.reset(); }

    void keysWorkWhateverHasFocus_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<float>("zoom");
        QTest::addColumn<QPoint>("bars");
        QTest::addColumn<bool>("saves");
        struct Row
        {
            const char* name;
            Qt::Key key;
            Qt::KeyboardModifiers modifiers;
            float zoom;
            QPoint bars;
            bool saves;
        };
        // A line is 16 units: two positions of 10 at 100 %.
        const Row rows[] = {
            {"Down: a line", Qt::Key_Down, {}, 1.0f, {10, 12}, false},
            {"Up: a line", Qt::Key_Up, {}, 1.0f, {10, 8}, false},
            {"Right: a line", Qt::Key_Right, {}, 1.0f, {12, 10}, false},
            {"Left: a line", Qt::Key_Left, {}, 1.0f, {8, 10}, false},
            {"Page Down: a viewport", Qt::Key_PageDown, {}, 1.0f, {10, 59}, false},
            {"Page Up: to the top", Qt::Key_PageUp, {}, 1.0f, {10, 0}, false},
            {"End: the bottom", Qt::Key_End, {}, 1.0f, {10, 150}, false},
            {"Home: the top", Qt::Key_Home, {}, 1.0f, {10, 0}, false},
            {"Ctrl+Plus: zoom in", Qt::Key_Plus, Qt::ControlModifier, 1.25f, {}, false},
            {"Ctrl+=: zoom in", Qt::Key_Equal, Qt::ControlModifier, 1.25f, {}, false},
            {"Ctrl+Minus: zoom out", Qt::Key_Minus, Qt::ControlModifier, 0.75f, {}, false},
            {"Ctrl+keypad Plus: zoom in",
             Qt::Key_Plus,
             Qt::ControlModifier | Qt::KeypadModifier,
             1.25f,
             {},
             false},
            {"Ctrl+keypad Minus: zoom out",
             Qt::Key_Minus,
             Qt::ControlModifier | Qt::KeypadModifier,
             0.75f,
             {},
             false},

            {"Ctrl+S: save", Qt::Key_S, Qt::ControlModifier, 1.0f, kStart, true},
        };
        for (const char* focus : {"across bar", "down bar", "Zoom Out", "Save"})
            for (const Row& row : rows)
                QTest::addRow("%s, %s focused", row.name, focus)
                    << QString::fromLatin1(focus) << int(row.key) << int(row.modifiers) << row.zoom
                    << row.bars << row.saves;
    }

    void keysWorkWhateverHasFocus()
    {
        QFETCH(QString, focus);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(float, zoom);
        QFETCH(QPoint, bars);
        QFETCH(bool, saves);
        auto form = newForm(kTall);
        QVERIFY(form);
        startBars(*form);
        QWidget* focused = part(*form, focus);
        focused->setFocus();
        QCOMPARE(QApplication::focusWidget(), focused);

        QTest::keyClick(focused, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(form->zoom(), zoom);
        QCOMPARE(barPositions(*form), bars);
        QCOMPARE(form->Picture1()->pos(), canvasFor(*form));
        QCOMPARE(saveDialogShown(), saves);
        QCOMPARE(reportedAt(), QStringList());
    }

    void spaceStaysWithAFocusedButton()
    {
        auto form = newForm(kTall);
        QVERIFY(form);
        form->PushButton2()->setFocus();
        QTest::keyClick(form->PushButton2(), Qt::Key_Space);
        QCOMPARE(form->zoom(), 0.75f);
    }

    void wheelScrollsAndZooms_data()
    {
        QTest::addColumn<QString>("over");
        QTest::addColumn<QSize>("base");
        QTest::addColumn<int>("steps"); // zoom clicks first
        QTest::addColumn<QPoint>("angle");
        QTest::addColumn<QPoint>("pixels");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("repeat");
        QTest::addColumn<float>("zoom");
        QTest::addColumn<QPoint>("bars");
        struct Row
        {
            const char* name;
            const char* over;
            QSize base;
            int steps;
            QPoint angle;
            QPoint pixels;
            Qt::KeyboardModifiers modifiers;
            int repeat;
            float zoom;
            QPoint bars;
        };
        const QPoint down(0, -120);
        const QPoint up(0, 120);
        const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
        // Three lines of 16 units a notch: 4.8 positions of 10 at 100 %, so 5.
        const Row rows[] = {
            {"down a notch", "canvas", kTall, 0, down, {}, {}, 1, 1.0f, {10, 15}},
            {"up a notch", "canvas", kTall, 0, up, {}, {}, 1, 1.0f, {10, 5}},
            {"two notches at once", "canvas", kTall, 0, {0, -240}, {}, {}, 1, 1.0f, {10, 20}},
            {"over the viewport", "viewport", kTall, 0, down, {}, {}, 1, 1.0f, {10, 15}},
            {"over the down bar", "down bar", kTall, 0, down, {}, {}, 1, 1.0f, {10, 15}},
            {"over the across bar", "across bar", kTall, 0, down, {}, {}, 1, 1.0f, {10, 15}},
            {"Shift: across", "canvas", kTall, 0, down, {}, Qt::ShiftModifier, 1, 1.0f, {15, 10}},
            {"tilted wheel: across", "canvas", kTall, 0, {-120, 0}, {}, {}, 1, 1.0f, {15, 10}},
            {"a quarter notch: a part", "canvas", kTall, 0, {0, -30}, {}, {}, 1, 1.0f, {10, 11}},
            {"four quarter notches", "canvas", kTall, 0, {0, -30}, {}, {}, 4, 1.0f, {10, 15}},
            {"touchpad: 100 units down",
             "canvas",
             kTall,
             0,
             down,
             {0, -100},
             {},
             1,
             1.0f,
             {10, 20}},
            {"touchpad: 55 units across",
             "canvas",
             kTall,
             0,
             {-66, 0},
             {-55, 0},
             {},
             1,
             1.0f,
             {15, 10}},
            // 9.6 positions at 200 %.
            {"at 200 %: ten positions", "canvas", kTall, 4, down, {}, {}, 1, 2.0f, {10, 20}},
            // Overflow 65: positions of 1 unit, so 48 a notch.
            {"fine bar: 48 positions", "canvas", {600, 560}, 0, down, {}, {}, 1, 1.0f, {0, 58}},
            {"Ctrl: zoom in", "canvas", kTall, 0, up, {}, ctrl, 1, 1.25f, {}},
            {"Ctrl: zoom out", "canvas", kTall, 0, down, {}, ctrl, 1, 0.75f, {}},
            {"Ctrl: two notches, two steps", "down bar", kTall, 0, {0, 240}, {}, ctrl, 1, 1.5f, {}},
            {"Ctrl: four quarter notches", "canvas", kTall, 0, {0, 30}, {}, ctrl, 4, 1.25f, {}},
            {"Ctrl: three quarters, nothing yet",
             "canvas",
             kTall,
             0,
             {0, 30},
             {},
             ctrl,
             3,
             1.0f,
             kStart},
        };
        for (const Row& row : rows)
            QTest::newRow(row.name)
                << QString::fromLatin1(row.over) << row.base << row.steps << row.angle << row.pixels
                << int(row.modifiers) << row.repeat << row.zoom << row.bars;
    }

    void wheelScrollsAndZooms()
    {
        QFETCH(QString, over);
        QFETCH(QSize, base);
        QFETCH(int, steps);
        QFETCH(QPoint, angle);
        QFETCH(QPoint, pixels);
        QFETCH(int, modifiers);
        QFETCH(int, repeat);
        QFETCH(float, zoom);
        QFETCH(QPoint, bars);
        auto form = newForm(base);
        QVERIFY(form);
        zoomBy(*form, steps);
        startBars(*form);
        for (int i = 0; i < repeat; ++i)
            wheel(part(*form, over), angle, pixels, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(form->zoom(), zoom);
        QCOMPARE(barPositions(*form), bars);
        QCOMPARE(form->Picture1()->pos(), canvasFor(*form));
        QCOMPARE(reportedAt(), QStringList());
    }

    void zoomStopsAtItsLimits_data()
    {
        QTest::addColumn<int>("steps");
        QTest::addColumn<int>("key"); // 0: the wheel
        QTest::addColumn<int>("angle");
        QTest::newRow("Ctrl+Plus at 400 %") << 12 << int(Qt::Key_Plus) << 0;
        QTest::newRow("Ctrl+= at 400 %") << 12 << int(Qt::Key_Equal) << 0;
        QTest::newRow("Ctrl+wheel up at 400 %") << 12 << 0 << 120;
        QTest::newRow("Ctrl+Minus at 25 %") << -3 << int(Qt::Key_Minus) << 0;
        QTest::newRow("Ctrl+wheel down at 25 %") << -3 << 0 << -120;
    }

    void zoomStopsAtItsLimits()
    {
        QFETCH(int, steps);
        QFETCH(int, key);
        QFETCH(int, angle);
        // 1200 x 1600 at 400 %, 75 x 100 at 25 %.
        auto form = newForm({300, 400});
        QVERIFY(form);
        zoomBy(*form, steps);
        startBars(*form);
        const float zoom = form->zoom();
        const QRect canvas = form->Picture1()->geometry();
        const QPoint bars = barPositions(*form);
        if (key)
            QTest::keyClick(form->HScroll1(), Qt::Key(key), Qt::ControlModifier);
        else
            wheel(form->Picture1(), {0, angle}, {}, Qt::ControlModifier);
        QCOMPARE(form->zoom(), zoom);
        QCOMPARE(form->Picture1()->geometry(), canvas);
        QCOMPARE(barPositions(*form), bars);
    }

    void aTroughClickMovesAboutAViewport_data()
    {
        QTest::addColumn<QSize>("base");
        QTest::addColumn<int>("steps");
        QTest::addColumn<QPoint>("pages"); // across, down
        // The viewport shows 618 x 491 units.
        QTest::newRow("coarse both ways") << kTall << 0 << QPoint(61, 49);
        QTest::newRow("fine both ways") << QSize(700, 585) << 0 << QPoint(618, 491);
        QTest::newRow("zoomed to coarse, short") << QSize(600, 300) << 1 << QPoint(61, 1);
    }

    void aTroughClickMovesAboutAViewport()
    {
        QFETCH(QSize, base);
        QFETCH(int, steps);
        QFETCH(QPoint, pages);
        auto form = newForm(base);
        QVERIFY(form);
        zoomBy(*form, steps);
        QCOMPARE(QPoint(form->HScroll1()->pageStep(), form->VScroll1()->pageStep()), pages);
        for (QScrollBar* bar : {form->HScroll1(), form->VScroll1()}) {
            QCOMPARE(bar->singleStep(), 1);
            bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
            QCOMPARE(bar->value(), bar->isEnabled() ? qMin(bar->pageStep(), bar->maximum()) : 0);
        }
        QCOMPARE(form->Picture1()->pos(), canvasFor(*form));
    }
};

QTEST_MAIN(TestForm2Input)
#include "tst_form2input.moc"
