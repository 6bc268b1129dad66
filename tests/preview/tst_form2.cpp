#include "PreviewFixture.h"
#include "common/Appearance.h"
#include "preview/Form2Layout.h"

#include <QGroupBox>
#include <QPushButton>

using namespace statusmill;
using namespace statusmill::testing;

namespace {

void sendMouse(QWidget* widget, QEvent::Type type, QPointF at, Qt::MouseButton button,
               Qt::MouseButtons buttons)
{
    QMouseEvent event(type, at, widget->mapToGlobal(at), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

// Grabs the canvas and moves the pointer by `by`. The canvas moves under the
// pointer, so the move is measured from where the canvas is then.
void drag(Form2& form, QPoint by, bool release = true, Qt::MouseButton button = Qt::LeftButton)
{
    QWidget* canvas = form.Picture1();
    const QPointF from(60, 40);
    const QPointF to = canvas->mapFromGlobal(canvas->mapToGlobal(from) + by);
    sendMouse(canvas, QEvent::MouseButtonPress, from, button, button);
    sendMouse(canvas, QEvent::MouseMove, to, Qt::NoButton, button);
    if (release)
        sendMouse(canvas, QEvent::MouseButtonRelease, to, button, Qt::NoButton);
}

// Positive: that many "Zoom In" clicks; negative: "Zoom Out".
void zoomBy(Form2& form, int steps)
{
    for (int i = 0; i < qAbs(steps); ++i)
        (steps > 0 ? form.PushButton1() : form.PushButton2())->click();
}

} // namespace

class TestForm2 : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_ends = 0;

    std::unique_ptr<Form2> newForm()
    {
        auto form = std::make_unique<Form2>();
        form->setEndProgram([this] { ++m_ends; });
        return form;
    }

private slots:
    void init()
    {
        Dialogs::startRecording();
        m_ends = 0;
    }
    void cleanup() { Dialogs::stopRecording(); }

    void controlsSitWhereTheDesignPutsThem()
    {
        auto form = newForm();
        QCOMPARE(form->size(), QSize(656, 626));
        QCOMPARE(form->windowTitle(), QStringLiteral("Statusmill"));
        for (const ControlLayout& c :
             {form2::kZoomOri, form2::kFrame1, form2::kPushButton1, form2::kPushButton2,
              form2::kPicture2, form2::kPicture1, form2::kVScroll1, form2::kHScroll1,
              form2::kPushButton6, form2::kPushButton8}) {
            auto* control = form->findChild<QWidget*>(QString::fromLatin1(c.name));
            QVERIFY2(control && control->geometry() == c.pixels(), c.name);
        }
        QCOMPARE(form->Picture2()->innerSize(), QSize(618, 491));
        QCOMPARE(form->palette().color(QPalette::Window), buttonFaceColour());
        QCOMPARE(form->Frame1()->palette().color(QPalette::Window), buttonFaceColour());
        QCOMPARE(form->Picture2()->palette().color(QPalette::Window), QColor(Qt::white));
    }

    void backThenANewHandOverStartsAfresh()
    {
        QWidget main;
        auto form = newForm();
        form->setMainWindow(&main);
        const QString first = m_dir.filePath(QStringLiteral("first.doc"));
        QFile(first).open(QIODevice::WriteOnly);
        QVERIFY(handOver(*form, pictureWithBase({900, 700}), first));
        zoomBy(*form, 2);
        drag(*form, {-120, -80});

        form->PushButton8()->click();
        QVERIFY(!QFile::exists(first));
        QVERIFY(main.isVisible());
        QVERIFY(form->isHidden());

        QImage second = pictureWithBase({700, 600});
        second.fill(Qt::darkGreen);
        QVERIFY(handOver(*form, second, m_dir.filePath(QStringLiteral("second.doc"))));
        QCOMPARE(form->zoom(), 1.0f);
        QCOMPARE(form->Picture1()->geometry(), QRect(0, 0, 700, 600));
        QCOMPARE(form->Picture1()->drawing().pixelColor(10, 10), QColor(Qt::darkGreen));
        QCOMPARE(QPoint(form->HScroll1()->value(), form->VScroll1()->value()), QPoint(0, 0));
        QCOMPARE(form->HScroll1()->maximum(), 78);
        zoomBy(*form, 1);
        QCOMPARE(form->Picture1()->size(), QSize(875, 750));
        QVERIFY(Dialogs::shown().isEmpty());
    }

    void anotherActivationChangesNothing()
    {
        auto form = newForm();
        QVERIFY(handOver(*form, pictureWithBase({900, 700})));
        zoomBy(*form, 1);
        form->HScroll1()->setValue(7);
        const QRect canvas = form->Picture1()->geometry();
        QWidget elsewhere;
        elsewhere.show();
        QVERIFY(QTest::qWaitForWindowActive(&elsewhere));
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        QCOMPARE(form->zoom(), 1.25f);
        QCOMPARE(form->Picture1()->geometry(), canvas);
    }

    void closingDeletesTheDocumentAndEndsTheProgram()
    {
        const QString doc = m_dir.filePath(QStringLiteral("closing.doc"));
        QFile(doc).open(QIODevice::WriteOnly);
        auto form = newForm();
        QVERIFY(handOver(*form, pictureWithBase({100, 100}), doc));
        bool queuedRan = false;
        QTimer::singleShot(0, [&] { queuedRan = true; });
        form->close();
        QVERIFY(!QFile::exists(doc));
        QVERIFY(queuedRan);
        QCOMPARE(m_ends, 1);
        QVERIFY(Dialogs::shown().isEmpty());
    }

    void aMissingPictureIsReportedAndTheWindowStillShows()
    {
        auto form = newForm();
        QVERIFY(handOver(*form, QImage()));
        QVERIFY(form->isVisible());
        zoomBy(*form, 1);
        QCOMPARE(reportedAt(), QStringList(2, "Form2.RedrawImage at line 112"));
    }

    void zoomSizesTheCanvasWithinTheLimits_data()
    {
        QTest::addColumn<QSize>("base");
        QTest::addColumn<int>("steps"); // negative: "Zoom Out"
        QTest::addColumn<float>("zoom");
        QTest::addColumn<QSize>("canvas");
        QTest::newRow("twelve in reach 4.0") << QSize(120, 80) << 12 << 4.0f << QSize(480, 320);
        QTest::newRow("and stay there") << QSize(120, 80) << 15 << 4.0f << QSize(480, 320);
        QTest::newRow("out stops at 0.25") << QSize(120, 80) << -5 << 0.25f << QSize(30, 20);
        QTest::newRow("2.75 draws") << QSize(3000, 2000) << 7 << 2.75f << QSize(8250, 5500);
        QTest::newRow("3.0 falls back") << QSize(3000, 2000) << 8 << 1.0f << QSize(8250, 5500);
        QTest::newRow("then 1.25") << QSize(3000, 2000) << 9 << 1.25f << QSize(3750, 2500);
        QTest::newRow("8799 wide drawn") << QSize(2933, 10) << 8 << 3.0f << QSize(8799, 30);
        QTest::newRow("8800 wide refused") << QSize(3200, 10) << 7 << 1.0f << QSize(8000, 25);
        QTest::newRow("9800 high refused") << QSize(10, 3920) << 6 << 1.0f << QSize(22, 8820);
        QTest::newRow("801 at 0.75 is 600") << QSize(801, 10) << -1 << 0.75f << QSize(600, 7);
    }

    void zoomSizesTheCanvasWithinTheLimits()
    {
        QFETCH(QSize, base);
        QFETCH(int, steps);
        QFETCH(float, zoom);
        QFETCH(QSize, canvas);
        auto form = newForm();
        QVERIFY(handOver(*form, pictureWithBase(base)));
        zoomBy(*form, steps);
        QCOMPARE(form->zoom(), zoom);
        QCOMPARE(form->Picture1()->size(), canvas);
        QCOMPARE(form->Picture1()->drawing().size(), canvas);
        QVERIFY(Dialogs::shown().isEmpty());
    }

    void shrinkingKeepsThinLinesVisible()
    {
        // One-pixel stripes, like small print: picking pixels would leave all black or all white.
        QImage stripes(202, 102, QImage::Format_RGB32);
        for (int x = 0; x < stripes.width(); ++x)
            for (int y = 0; y < stripes.height(); ++y)
                stripes.setPixel(x, y, x % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
        auto form = newForm();
        QVERIFY(handOver(*form, stripes));
        zoomBy(*form, -2);
        const int grey = qGray(form->Picture1()->drawing().pixel(50, 25));
        QVERIFY2(grey > 60 && grey < 200, qPrintable(QString::number(grey)));
    }

    void everyZoomResetsAndReconfiguresTheBars()
    {
        auto form = newForm();
        QVERIFY(handOver(*form, pictureWithBase({600, 300})));
        QVERIFY(!form->HScroll1()->isEnabled());
        zoomBy(*form, 1); // 750 wide: overflow 128
        QVERIFY(form->HScroll1()->isEnabled());
        QCOMPARE(form->HScroll1()->maximum(), 13);
        drag(*form, {-100, 0}); // also drops the short canvas to the bottom edge
        QCOMPARE(form->HScroll1()->value(), 10);
        zoomBy(*form, 1); // 900 wide: overflow 278
        QCOMPARE(form->HScroll1()->value(), 0);
        QCOMPARE(form->HScroll1()->maximum(), 28);
        QCOMPARE(form->Picture1()->pos(), QPoint(0, 0));
        zoomBy(*form, -3); // 450 wide
        QVERIFY(!form->HScroll1()->isEnabled());
        QCOMPARE(form->hStep(), 0);
    }

    void barsFollowTheOverflow_data()
    {
        QTest::addColumn<QSize>("canvas");
        QTest::addColumn<int>("maximum"); // -1: disabled
        QTest::addColumn<int>("step");
        QTest::newRow("800 wide: coarse") << QSize(800, 100) << 18 << 10;
        QTest::newRow("overflow 90: fine") << QSize(712, 100) << 90 << 1;
        QTest::newRow("18.5 rounds to even") << QSize(807, 100) << 18 << 10;
        QTest::newRow("as wide as outside") << QSize(622, 100) << -1 << 0;
        QTest::newRow("vertical fine") << QSize(100, 585) << 90 << 1;
    }

    void barsFollowTheOverflow()
    {
        QFETCH(QSize, canvas);
        QFETCH(int, maximum);
        QFETCH(int, step);
        auto form = newForm();
        QVERIFY(handOver(*form, pictureWithBase(canvas)));
        const bool vertical = canvas.height() > 495;
        QScrollBar* bar = vertical ? form->VScroll1() : form->HScroll1();
        QCOMPARE(vertical ? form->vStep() : form->hStep(), step);
        QCOMPARE(bar->isEnabled(), maximum >= 0);
        if (maximum < 0)
            return;
        QCOMPARE(bar->maximum(), maximum);
        bar->triggerAction(QAbstractSlider::SliderToMaximum);
        bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
        const QPoint at = form->Picture1()->pos();
        QCOMPARE(vertical ? at.y() : at.x(), -step * (maximum - 1));
    }

    void dragClampsAndTheBarsFollowTheDrop_data()
    {
        // Where the canvas is when dropped, then after the bars took the drop.
        QTest::addColumn<QSize>("canvas");
        QTest::addColumn<QPoint>("by");
        QTest::addColumn<int>("button");
        QTest::addColumn<QPoint>("dropped");
        QTest::addColumn<QPoint>("settled");
        QTest::addColumn<QPoint>("bars");
        const QSize big(800, 700);
        QTest::newRow("-89 settles at -90")
            << big << QPoint(-89, 0) << 1 << QPoint(-89, 0) << QPoint(-90, 0) << QPoint(9, 0);
        QTest::newRow("stays at the left edge")
            << big << QPoint(40, 30) << 1 << QPoint() << QPoint() << QPoint();
        QTest::newRow("far end, over 100 %") << big << QPoint(-900, -900) << 1 << QPoint(-182, -209)
                                             << QPoint(-182, -209) << QPoint();
        QTest::newRow("narrow: to the right edge")
            << QSize(500, 300) << QPoint(-30, -30) << 1 << QPoint(118, 191) << QPoint(118, 191)
            << QPoint();
        QTest::newRow("as wide as outside")
            << QSize(622, 700) << QPoint(-50, 0) << 1 << QPoint(-4, 0) << QPoint(-4, 0) << QPoint();
        QTest::newRow("right button pans")
            << big << QPoint(-70, -20) << 2 << QPoint(-70, -20) << QPoint(-70, -20) << QPoint(7, 2);
        QTest::newRow("no button, no move")
            << big << QPoint(-70, -20) << 0 << QPoint() << QPoint() << QPoint();
    }

    void dragClampsAndTheBarsFollowTheDrop()
    {
        QFETCH(QSize, canvas);
        QFETCH(QPoint, by);
        QFETCH(int, button);
        QFETCH(QPoint, dropped);
        QFETCH(QPoint, settled);
        QFETCH(QPoint, bars);
        auto form = newForm();
        QVERIFY(handOver(*form, pictureWithBase(canvas)));
        drag(*form, by, false, Qt::MouseButton(button));
        QCOMPARE(form->Picture1()->pos(), dropped);
        QCOMPARE(form->HScroll1()->value(), 0); // the bars wait for the drop
        sendMouse(form->Picture1(), QEvent::MouseButtonRelease, {}, Qt::MouseButton(button),
                  Qt::NoButton);
        QCOMPARE(form->Picture1()->pos(), settled);
        QCOMPARE(QPoint(form->HScroll1()->value(), form->VScroll1()->value()), bars);
        QVERIFY(Dialogs::shown().isEmpty());
    }

    void offsetsBeyond16BitsAreReportedNotFatal()
    {
        // Too wide to draw, so the canvas keeps the handed-over picture: 40000 wide.
        auto form = newForm();
        QVERIFY(handOver(*form, pictureWithBase({39998, 18})));
        QCOMPARE(form->HScroll1()->maximum(), 3938);
        form->HScroll1()->setValue(3500); // 35000 units: no 16-bit offset
        QCOMPARE(form->Picture1()->x(), 0);
        drag(*form, {-50000, 0});
        QCOMPARE(reportedAt(), QStringList{"Form2.Picture1_MouseUp at line 104"});
        QCOMPARE(form->Picture1()->x(), 618 - 40000);
    }
};

QTEST_MAIN(TestForm2)
#include "tst_form2.moc"
