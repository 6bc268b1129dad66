#include "../common/CursorFile.h"
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

// Grabs the canvas at `from` (canvas coordinates) and moves the pointer by `by`;
// the canvas moves under the pointer, so each event is measured from where it is then.
void drag(Form2& form, QPoint by, bool release = true, Qt::MouseButton button = Qt::LeftButton,
          QPoint from = {60, 40})
{
    QWidget* canvas = form.Picture1();
    const QPointF start = canvas->mapToGlobal(QPointF(from));
    sendMouse(canvas, QEvent::MouseButtonPress, from, button, button);
    sendMouse(canvas, QEvent::MouseMove, canvas->mapFromGlobal(start + by), Qt::NoButton, button);
    if (release)
        sendMouse(canvas, QEvent::MouseButtonRelease, canvas->mapFromGlobal(start + by), button,
                  Qt::NoButton);
}

void click(QPushButton* button, int times)
{
    for (int i = 0; i < times; ++i)
        button->click();
}

void moveOver(QWidget* widget, QPoint at)
{
    sendMouse(widget, QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton);
}

QColor background(const QWidget* w)
{
    return w->palette().color(QPalette::Window);
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
        QFile::remove(handCursorPath());
        m_ends = 0;
    }
    void cleanup()
    {
        Dialogs::stopRecording();
        QFile::remove(handCursorPath());
    }

    // --- window and lifecycle -------------------------------------------------

    void geometryFollowsTheDesign_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("rect");
        for (const ControlLayout& c :
             {form2::kZoomOri, form2::kFrame1, form2::kPushButton1, form2::kPushButton2,
              form2::kPicture2, form2::kPicture1, form2::kVScroll1, form2::kHScroll1,
              form2::kPushButton6, form2::kPushButton8})
            QTest::newRow(c.name) << QString::fromLatin1(c.name) << c.pixels();
    }

    void geometryFollowsTheDesign()
    {
        QFETCH(QString, name);
        QFETCH(QRect, rect);
        auto form = newForm();
        auto* control = form->findChild<QWidget*>(name);
        QVERIFY(control);
        QCOMPARE(control->geometry(), rect);
    }

    void loadSetsUpTheWindow()
    {
        auto form = newForm();
        QCOMPARE(form->size(), QSize(656, 626));
        QCOMPARE(form->minimumSize(), form->maximumSize());
        QVERIFY(!(form->windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(form->windowTitle(), QStringLiteral("Statusmill"));
        QVERIFY(!form->windowIcon().isNull());
        QCOMPARE(form->Frame1()->title(), QStringLiteral("Zoom:"));
        QCOMPARE(form->PushButton8()->text(), QStringLiteral("< Back"));
        QCOMPARE(form->PushButton6()->font().pointSizeF(), 11.25);
        QCOMPARE(form->Picture2()->innerSize(), QSize(618, 491));
        QCOMPARE(background(form.get()), buttonFaceColour());
        QCOMPARE(background(form->Frame1()), buttonFaceColour());
        QCOMPARE(background(form->Picture2()), QColor(Qt::white)); // picture boxes keep theirs
        QVERIFY(form->firstShowPending());
        QVERIFY(Dialogs::shown().isEmpty());
    }

    void handCursorFileAtLoad_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("loaded");
        QTest::addColumn<QStringList>("reports");
        QTest::newRow("absent") << QByteArray() << false << QStringList();
        QTest::newRow("a cursor") << makeCursorFile(5, 3) << true << QStringList();
        QTest::newRow("not a cursor")
            << QByteArray("garbage") << false << QStringList{"Form2.Form_Load at line 110"};
    }

    void handCursorFileAtLoad()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, loaded);
        QFETCH(QStringList, reports);
        if (!file.isNull()) {
            QFile cursor(handCursorPath());
            QVERIFY(cursor.open(QIODevice::WriteOnly));
            cursor.write(file);
        }
        auto form = newForm();
        QCOMPARE(form->pointer().customCursor().has_value(), loaded);
        QCOMPARE(reportedAt(), reports);
    }

    void handOverShowsThePictureAt100Percent()
    {
        auto form = newForm();
        const QImage picture = pictureWithBase({300, 200});
        QVERIFY(handOver(*form, picture));
        QVERIFY(!form->firstShowPending());
        QCOMPARE(form->zoom(), 1.0f);
        QCOMPARE(form->Picture1()->size(), QSize(300, 200));
        QCOMPARE(form->Picture1()->drawing(), picture.copy(0, 0, 300, 200));
        QVERIFY(form->Zoom_Ori()->isHidden());
        QVERIFY(Dialogs::shown().isEmpty());
    }

    void backThenANewHandOverStartsAfresh()
    {
        QWidget main;
        auto form = newForm();
        form->setMainWindow(&main);
        const QString first = m_dir.filePath(QStringLiteral("first.doc"));
        QFile(first).open(QIODevice::WriteOnly);
        QVERIFY(handOver(*form, pictureWithBase({900, 700}), first));
        click(form->PushButton1(), 2);
        drag(*form, {-120, -80});
        QVERIFY(form->Picture1()->pos() != QPoint(0, 0));

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
        QCOMPARE(form->HScroll1()->value(), 0);
        QCOMPARE(form->VScroll1()->value(), 0);
        QCOMPARE(form->HScroll1()->maximum(), 78); // 700 - 622
        form->PushButton1()->click();
        QCOMPARE(form->Picture1()->size(), QSize(875, 750));
        QVERIFY(Dialogs::shown().isEmpty());
    }

    void anotherActivationChangesNothing()
    {
        auto form = newForm();
        QVERIFY(handOver(*form, pictureWithBase({900, 700})));
        form->PushButton1()->click();
        form->HScroll1()->setValue(7);
        const QRect canvas = form->Picture1()->geometry();

        QWidget elsewhere;
        elsewhere.show();
        QVERIFY(QTest::qWaitForWindowActive(&elsewhere));
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        QCOMPARE(form->zoom(), 1.25f);
        QCOMPARE(form->Picture1()->geometry(), canvas);
        QCOMPARE(form->HScroll1()->value(), 7);
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
        QVERIFY(queuedRan); // pending events run before the program ends
        QCOMPARE(m_ends, 1);
        QVERIFY(Dialogs::shown().isEmpty());
    }

    void aMissingPictureIsReportedAndTheWindowStillShows()
    {
        auto form = newForm();
        QVERIFY(handOver(*form, QImage()));
        QCOMPARE(reportedAt(), QStringList{"Form2.RedrawImage at line 112"});
        QVERIFY(form->isVisible());
        form->PushButton1()->click();
        QCOMPARE(reportedAt(), QStringList(2, "Form2.RedrawImage at line 112"));
    }

    void pointerFollowsTheHoverRules()
    {
        auto form = newForm();
        form->show();
        moveOver(form->PushButton2(), {5, 5});
        QCOMPARE(int(form->pointer().state()), 99);
        moveOver(form->Picture1(), {5, 5}); // the canvas has no pointer rule
        QCOMPARE(int(form->pointer().state()), 99);
        moveOver(form->Frame1(), {3, form->Frame1()->height() - 3});
        QCOMPARE(int(form->pointer().state()), 0);
        moveOver(form->PushButton8(), {5, 5});
        moveOver(form.get(), {form->width() - 2, form->height() - 2});
        QCOMPARE(int(form->pointer().state()), 0);

        form->pointer().set(WindowPointer::Hourglass);
        moveOver(form->PushButton6(), {5, 5});
        moveOver(form->Frame1(), {3, form->Frame1()->height() - 3});
        QCOMPARE(int(form->pointer().state()), 11);
    }

    // --- zoom -----------------------------------------------------------------

    void zoomStepsStayWithinTheRange_data()
    {
        QTest::addColumn<int>("ins");
        QTest::addColumn<int>("outs");
        QTest::addColumn<float>("zoom");
        QTest::newRow("twelve in reach 4.0") << 12 << 0 << 4.0f;
        QTest::newRow("more in change nothing") << 15 << 0 << 4.0f;
        QTest::newRow("three out reach 0.25") << 0 << 3 << 0.25f;
        QTest::newRow("more out change nothing") << 0 << 6 << 0.25f;
        QTest::newRow("back from the top") << 14 << 2 << 3.5f;
    }

    void zoomStepsStayWithinTheRange()
    {
        QFETCH(int, ins);
        QFETCH(int, outs);
        QFETCH(float, zoom);
        auto form = newForm();
        QVERIFY(handOver(*form, pictureWithBase({120, 80})));
        click(form->PushButton1(), ins);
        click(form->PushButton2(), outs);
        QCOMPARE(form->zoom(), zoom);
        QCOMPARE(form->Picture1()->size(), QSize(int(120 * zoom), int(80 * zoom)));
        QVERIFY(Dialogs::shown().isEmpty());
    }

    void canvasSizeAndLimits_data()
    {
        QTest::addColumn<QSize>("base");
        QTest::addColumn<int>("ins");
        QTest::addColumn<int>("outs");
        QTest::addColumn<float>("zoom");
        QTest::addColumn<QSize>("canvas");
        QTest::newRow("2.75 draws") << QSize(3000, 2000) << 7 << 0 << 2.75f << QSize(8250, 5500);
        QTest::newRow("3.0 falls back, canvas kept")
            << QSize(3000, 2000) << 8 << 0 << 1.0f << QSize(8250, 5500);
        QTest::newRow("then 1.25 from the base")
            << QSize(3000, 2000) << 9 << 0 << 1.25f << QSize(3750, 2500);
        QTest::newRow("8799 wide drawn") << QSize(2933, 10) << 8 << 0 << 3.0f << QSize(8799, 30);
        QTest::newRow("8800 wide refused") << QSize(3200, 10) << 7 << 0 << 1.0f << QSize(8000, 25);
        QTest::newRow("9799 high drawn") << QSize(10, 9799) << 0 << 0 << 1.0f << QSize(10, 9799);
        QTest::newRow("9800 high refused")
            << QSize(10, 3920) << 6 << 0 << 1.0f << QSize(22, 8820); // 2.25 drawn, 2.5 not
        QTest::newRow("801 at 0.75 rounds down")
            << QSize(801, 10) << 0 << 1 << 0.75f << QSize(600, 7);
    }

    void canvasSizeAndLimits()
    {
        QFETCH(QSize, base);
        QFETCH(int, ins);
        QFETCH(int, outs);
        QFETCH(float, zoom);
        QFETCH(QSize, canvas);
        auto form = newForm();
        QVERIFY(handOver(*form, pictureWithBase(base)));
        click(form->PushButton1(), ins);
        click(form->PushButton2(), outs);
        QCOMPARE(form->zoom(), zoom);
        QCOMPARE(form->Picture1()->size(), canvas);
        QCOMPARE(form->Picture1()->drawing().size(), canvas);
        QVERIFY(Dialogs::shown().isEmpty());
    }

    void shrinkingKeepsThinLinesVisible()
    {
        // One-pixel stripes, as in small print: a plain pixel pick would keep only
        // black or only white at 50 %.
        QImage stripes(202, 102, QImage::Format_RGB32);
        for (int x = 0; x < stripes.width(); ++x)
            for (int y = 0; y < stripes.height(); ++y)
                stripes.setPixel(x, y, x % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
        auto form = newForm();
        QVERIFY(handOver(*form, stripes));
        click(form->PushButton2(), 2);
        const int grey = qGray(form->Picture1()->drawing().pixel(50, 25));
        QVERIFY2(grey > 60 && grey < 200, qPrintable(QString::number(grey)));
    }

    void zoomResetsAndReconfiguresTheBars()
    {
        auto form = newForm();
        QVERIFY(handOver(*form, pictureWithBase({600, 300})));
        QVERIFY(!form->HScroll1()->isEnabled());
        form->PushButton1()->click(); // 750 wide: overflow 128
        QVERIFY(form->HScroll1()->isEnabled());
        QCOMPARE(form->HScroll1()->maximum(), 13);
        QCOMPARE(form->hStep(), 10);
        drag(*form, {-100, 0}); // also drops the short canvas to the bottom edge
        QCOMPARE(form->HScroll1()->value(), 10);
        form->PushButton1()->click(); // 900 wide: overflow 278
        QCOMPARE(form->HScroll1()->value(), 0);
        QCOMPARE(form->HScroll1()->maximum(), 28);
        QCOMPARE(form->Picture1()->pos(), QPoint(0, 0));
        click(form->PushButton2(), 3); // 450 wide
        QVERIFY(!form->HScroll1()->isEnabled());
        QCOMPARE(form->hStep(), 0);
    }

    // --- scroll bars and dragging -----------------------------------------------

    void barsFollowTheOverflow_data()
    {
        QTest::addColumn<QSize>("canvas");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("step");
        QTest::newRow("800 wide: coarse") << QSize(800, 100) << true << 18 << 10;
        QTest::newRow("overflow 90: fine") << QSize(712, 100) << true << 90 << 1;
        QTest::newRow("overflow 100: fine") << QSize(722, 100) << true << 100 << 1;
        QTest::newRow("overflow 101: coarse") << QSize(723, 100) << true << 10 << 10;
        QTest::newRow("18.5 rounds to even") << QSize(807, 100) << true << 18 << 10;
        QTest::newRow("17.5 rounds to even") << QSize(797, 100) << true << 18 << 10;
        QTest::newRow("as wide as outside") << QSize(622, 100) << false << -1 << 0;
        QTest::newRow("narrower") << QSize(500, 100) << false << -1 << 0;
        QTest::newRow("vertical coarse") << QSize(100, 673) << true << 18 << 10;
        QTest::newRow("vertical fine") << QSize(100, 585) << true << 90 << 1;
    }

    void barsFollowTheOverflow()
    {
        QFETCH(QSize, canvas);
        QFETCH(bool, enabled);
        QFETCH(int, maximum);
        QFETCH(int, step);
        auto form = newForm();
        QVERIFY(handOver(*form, pictureWithBase(canvas)));
        const bool vertical = canvas.height() > 495;
        QScrollBar* bar = vertical ? form->VScroll1() : form->HScroll1();
        QCOMPARE(bar->isEnabled(), enabled);
        QCOMPARE(vertical ? form->vStep() : form->hStep(), step);
        if (!enabled)
            return;
        QCOMPARE(bar->maximum(), maximum);
        bar->triggerAction(QAbstractSlider::SliderToMaximum);
        const QPoint at = form->Picture1()->pos();
        QCOMPARE(vertical ? at.y() : at.x(), -step * maximum);
        bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
        QCOMPARE(vertical ? form->Picture1()->y() : form->Picture1()->x(), -step * (maximum - 1));
    }

    void dragClampsAndTheBarsFollowTheDrop_data()
    {
        QTest::addColumn<QSize>("canvas");
        QTest::addColumn<QPoint>("by");
        QTest::addColumn<QPoint>("dropped");
        QTest::addColumn<QPoint>("settled");
        QTest::addColumn<QPoint>("bars");
        QTest::newRow("drop at -89 settles at -90")
            << QSize(800, 700) << QPoint(-89, 0) << QPoint(-89, 0) << QPoint(-90, 0)
            << QPoint(9, 0);
        QTest::newRow("right at the left edge stays")
            << QSize(800, 700) << QPoint(40, 30) << QPoint(0, 0) << QPoint(0, 0) << QPoint(0, 0);
        QTest::newRow("far end: inner edges, beyond 100 %")
            << QSize(800, 700) << QPoint(-900, -900) << QPoint(-182, -209) << QPoint(-182, -209)
            << QPoint(0, 0);
        QTest::newRow("fine steps land exactly")
            << QSize(712, 585) << QPoint(-33, -47) << QPoint(-33, -47) << QPoint(-33, -47)
            << QPoint(33, 47);
        QTest::newRow("narrow canvas goes to the right edge")
            << QSize(500, 300) << QPoint(-30, -30) << QPoint(118, 191) << QPoint(118, 191)
            << QPoint(0, 0);
        QTest::newRow("as wide as outside: bar left alone")
            << QSize(622, 700) << QPoint(-50, 0) << QPoint(-4, 0) << QPoint(-4, 0) << QPoint(0, 0);
    }

    void dragClampsAndTheBarsFollowTheDrop()
    {
        QFETCH(QSize, canvas);
        QFETCH(QPoint, by);
        QFETCH(QPoint, dropped);
        QFETCH(QPoint, settled);
        QFETCH(QPoint, bars);
        auto form = newForm();
        QVERIFY(handOver(*form, pictureWithBase(canvas)));
        drag(*form, by, false);
        QCOMPARE(form->Picture1()->pos(), dropped);
        QCOMPARE(form->HScroll1()->value(), 0); // the bars wait for the drop
        sendMouse(form->Picture1(), QEvent::MouseButtonRelease, {60, 40}, Qt::LeftButton,
                  Qt::NoButton);
        QCOMPARE(form->Picture1()->pos(), settled);
        QCOMPARE(QPoint(form->HScroll1()->value(), form->VScroll1()->value()), bars);
        QVERIFY(Dialogs::shown().isEmpty());
    }

    void aNewDragBringsANarrowCanvasBack()
    {
        auto form = newForm();
        QVERIFY(handOver(*form, pictureWithBase({500, 300})));
        drag(*form, {-30, -30});
        QCOMPARE(form->Picture1()->pos(), QPoint(118, 191));
        drag(*form, {-5, 4});
        QCOMPARE(form->Picture1()->pos(), QPoint(0, 0));
    }

    void everyButtonPansButAMoveWithoutOneDoesNot_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<QPoint>("moved");
        QTest::newRow("right") << int(Qt::RightButton) << QPoint(-70, -20);
        QTest::newRow("middle") << int(Qt::MiddleButton) << QPoint(-70, -20);
        QTest::newRow("none") << int(Qt::NoButton) << QPoint(0, 0);
    }

    void everyButtonPansButAMoveWithoutOneDoesNot()
    {
        QFETCH(int, button);
        QFETCH(QPoint, moved);
        auto form = newForm();
        QVERIFY(handOver(*form, pictureWithBase({900, 900})));
        drag(*form, {-70, -20}, false, Qt::MouseButton(button));
        QCOMPARE(form->Picture1()->pos(), moved);
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
