#include "preview/Form2Layout.h"
#include "support/PreviewFixture.h"
#include "support/Seams.h"
#include "ui/Appearance.h"
#include "ui/ErrorReport.h"

#include <QAccessible>
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

// A picture of one-pixel squares in its own pixels, black and white, like the
// finest detail of small print.
QImage checkerboard(QSize units, qreal ratio)
{
    QImage picture((QSizeF(units) * ratio).toSize(), QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    picture.setDevicePixelRatio(ratio);
    return picture;
}

// From the darkest to the lightest grey of an image.
int contrastOf(const QImage& image)
{
    int darkest = 255;
    int lightest = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            darkest = qMin(darkest, qGray(image.pixel(x, y)));
            lightest = qMax(lightest, qGray(image.pixel(x, y)));
        }
    }
    return lightest - darkest;
}

} // namespace

class TestForm2 : public QObject
{
    Q_OBJECT

    const ErrorReportsShown m_reports;
    std::optional<testing::RecordedDialogs> m_dialogs;

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
        m_dialogs.emplace();
        m_ends = 0;
    }
    void cleanup() { m_dialogs.reset(); }

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
        QCOMPARE(shownColour(form->Picture1(), {10, 10}), QColor(Qt::darkGreen));
        QCOMPARE(barPositions(*form), QPoint(0, 0));
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
        QTest::addColumn<qreal>("ratio");
        QTest::addColumn<QSize>("base");
        QTest::addColumn<int>("steps"); // negative: "Zoom Out"
        QTest::addColumn<float>("zoom");
        QTest::addColumn<QSize>("canvas");
        addRowAtEachRatio("twelve in reach 4.0", QSize(120, 80), 12, 4.0f, QSize(480, 320));
        addRowAtEachRatio("and stay there", QSize(120, 80), 15, 4.0f, QSize(480, 320));
        addRowAtEachRatio("out stops at 0.25", QSize(120, 80), -5, 0.25f, QSize(30, 20));
        addRowAtEachRatio("2.75 draws", QSize(3000, 2000), 7, 2.75f, QSize(8250, 5500));
        addRowAtEachRatio("3.0 falls back", QSize(3000, 2000), 8, 1.0f, QSize(8250, 5500));
        addRowAtEachRatio("then 1.25", QSize(3000, 2000), 9, 1.25f, QSize(3750, 2500));
        addRowAtEachRatio("8799 wide drawn", QSize(2933, 10), 8, 3.0f, QSize(8799, 30));
        addRowAtEachRatio("8800 wide refused", QSize(3200, 10), 7, 1.0f, QSize(8000, 25));
        addRowAtEachRatio("9800 high refused", QSize(10, 3920), 6, 1.0f, QSize(22, 8820));
        addRowAtEachRatio("801 at 0.75 is 600", QSize(801, 10), -1, 0.75f, QSize(600, 7));
    }

    void zoomSizesTheCanvasWithinTheLimits()
    {
        QFETCH(qreal, ratio);
        QFETCH(QSize, base);
        QFETCH(int, steps);
        QFETCH(float, zoom);
        QFETCH(QSize, canvas);
        auto form = newForm();
        const QImage picture = pictureWithBase(base, ratio);
        QCOMPARE(picture.deviceIndependentSize(), QSizeF(base + QSize(2, 2)));
        QVERIFY(handOver(*form, picture));
        QCOMPARE(form->baseSize(), base);
        zoomBy(*form, steps);
        QCOMPARE(form->zoom(), zoom);
        QCOMPARE(form->Picture1()->size(), canvas);
        // Drawn all over, the last drawing still there after a fall-back.
        QCOMPARE(form->Picture1()->drawnArea(), QRect(QPoint(0, 0), canvas));
        QCOMPARE(shownColour(form->Picture1(), {0, 0}), kPictureMark);
        QCOMPARE(shownColour(form->Picture1(), {canvas.width() - 1, canvas.height() - 1}),
                 kPictureFill);
        QVERIFY(Dialogs::shown().isEmpty());
    }

    void shrinkingKeepsThinLinesVisible_data()
    {
        QTest::addColumn<qreal>("ratio");
        QTest::addColumn<qreal>("screenRatio");
        QTest::addColumn<int>("steps");
        QTest::addColumn<int>("period"); // picture pixels a screen pixel spans
        QTest::newRow("50 % of a plain picture") << 1.0 << 1.0 << -2 << 2;
        QTest::newRow("100 % of a sharp one") << 2.0 << 1.0 << 0 << 2;
        QTest::newRow("50 % of a sharp one") << 2.0 << 1.0 << -2 << 4;
        QTest::newRow("25 % of a sharp one") << 2.0 << 1.0 << -3 << 8;
        QTest::newRow("25 % of a sharp one, sharp screen") << 2.0 << 2.0 << -3 << 4;
    }

    void shrinkingKeepsThinLinesVisible()
    {
        // A one-pixel line every `period` pixels, like small print, shrunk so that
        // each screen pixel spans one line: picking pixels would miss most lines
        // or hit them, every screen pixel must show the same light grey.
        QFETCH(qreal, ratio);
        QFETCH(qreal, screenRatio);
        QFETCH(int, steps);
        QFETCH(int, period);
        QImage lines((QSizeF(256, 128) * ratio).toSize(), QImage::Format_RGB32);
        for (int x = 0; x < lines.width(); ++x)
            for (int y = 0; y < lines.height(); ++y)
                lines.setPixel(x, y, x % period ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
        lines.setDevicePixelRatio(ratio);
        auto form = newForm();
        QVERIFY(handOver(*form, lines));
        zoomBy(*form, steps);
        const QImage shown = shownAt(form->Picture1(), {4, 4, 20, 4}, screenRatio);
        const int expected = 255 * (period - 1) / period;
        for (int x = 0; x < shown.width(); ++x) {
            const int grey = qGray(shown.pixel(x, 1));
            QVERIFY2(qAbs(grey - expected) <= 16,
                     qPrintable(QStringLiteral("%1 at %2").arg(grey).arg(x)));
        }
    }

    void aSharpPictureShowsEveryDevicePixel_data()
    {
        QTest::addColumn<qreal>("ratio");
        QTest::addColumn<qreal>("screenRatio");
        QTest::addColumn<int>("steps");
        QTest::addColumn<int>("contrast"); // at least
        QTest::newRow("100 %: pixel for pixel") << 2.0 << 2.0 << 0 << 255;
        // Enlarged smoothly, but from the picture's pixels: through one pixel a unit
        // the squares would have merged into an even grey.
        QTest::newRow("200 %: enlarged, not blurred") << 2.0 << 2.0 << 4 << 50;
        QTest::newRow("150 % on a screen of 3") << 2.0 << 3.0 << 2 << 50;
        QTest::newRow("plain picture at 200 %") << 1.0 << 2.0 << 4 << 50;
    }

    void aSharpPictureShowsEveryDevicePixel()
    {
        QFETCH(qreal, ratio);
        QFETCH(qreal, screenRatio);
        QFETCH(int, steps);
        QFETCH(int, contrast);
        auto form = newForm();
        const QImage picture = checkerboard({402, 302}, ratio);
        QVERIFY(handOver(*form, picture));
        zoomBy(*form, steps);
        // Far from the corner, across tiles.
        const QRect area(150, 140, 250, 6);
        const QImage shown = shownAt(form->Picture1(), area, screenRatio);
        QVERIFY2(contrastOf(shown) >= contrast, qPrintable(QString::number(contrastOf(shown))));
        if (steps == 0 && ratio == screenRatio) {
            const QImage source = picture.copy(QRect(area.topLeft() * ratio, shown.size()));
            QCOMPARE(shown, source.convertToFormat(shown.format()));
        }
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
        QTest::addColumn<qreal>("ratio");
        QTest::addColumn<QSize>("canvas");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("step");
        addRowAtEachRatio("800 wide: coarse", QSize(800, 100), true, 18, 10);
        addRowAtEachRatio("overflow 90: fine", QSize(712, 100), true, 90, 1);
        addRowAtEachRatio("18.5 rounds to even", QSize(807, 100), true, 18, 10);
        // Wider than what shows, so drawn with a bar, but with no range to give.
        addRowAtEachRatio("as wide as outside", QSize(622, 100), true, 0, 0);
        addRowAtEachRatio("as wide as inside", QSize(618, 100), false, 0, 0);
        addRowAtEachRatio("vertical fine", QSize(100, 585), true, 90, 1);
    }

    void barsFollowTheOverflow()
    {
        QFETCH(qreal, ratio);
        QFETCH(QSize, canvas);
        QFETCH(bool, enabled);
        QFETCH(int, maximum);
        QFETCH(int, step);
        auto form = newForm();
        QVERIFY(handOver(*form, pictureWithBase(canvas, ratio)));
        const bool vertical = canvas.height() > 495;
        QScrollBar* bar = vertical ? form->VScroll1() : form->HScroll1();
        QCOMPARE(vertical ? form->vStep() : form->hStep(), step);
        QCOMPARE(bar->isEnabled(), enabled);
        QCOMPARE(bar->maximum(), maximum);
        if (maximum == 0)
            return;
        bar->triggerAction(QAbstractSlider::SliderToMaximum);
        bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
        const QPoint at = form->Picture1()->pos();
        QCOMPARE(vertical ? at.y() : at.x(), -step * (maximum - 1));
    }

    // A canvas up to the viewport's border wider than what shows: its bar keeps
    // the enabled state the redraw gave it, and dragging reaches the hidden units.
    void aCanvasJustWiderThanTheViewportKeepsItsBar_data()
    {
        QTest::addColumn<qreal>("ratio");
        QTest::addColumn<QSize>("base");
        QTest::addColumn<bool>("vertical");
        QTest::addColumn<QPoint>("dragged"); // where the canvas is then
        // The short side goes to the far edge, as any canvas smaller than the viewport.
        addRowAtEachRatio("620 wide at 125 %", QSize(496, 300), false, QPoint(-2, 116));
        addRowAtEachRatio("492 high at 125 %", QSize(300, 394), true, QPoint(243, -1));
    }

    void aCanvasJustWiderThanTheViewportKeepsItsBar()
    {
        QFETCH(qreal, ratio);
        QFETCH(QSize, base);
        QFETCH(bool, vertical);
        QFETCH(QPoint, dragged);
        auto form = newForm();
        QVERIFY(handOver(*form, pictureWithBase(base, ratio)));
        QScrollBar* bar = vertical ? form->VScroll1() : form->HScroll1();
        QVERIFY(!bar->isEnabled());
        zoomBy(*form, 1);
        QVERIFY(bar->isEnabled());
        QCOMPARE(bar->maximum(), 0);

        drag(*form, {-60, -60});
        QCOMPARE(form->Picture1()->pos(), dragged);
        QCOMPARE(barPositions(*form), QPoint(0, 0));
        bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QCOMPARE(form->Picture1()->pos(), dragged);
        QVERIFY(Dialogs::shown().isEmpty());

        zoomBy(*form, -1);
        QVERIFY(!bar->isEnabled());
    }

    void thePageAndItsBarsSayWhatTheyAre()
    {
        auto form = newForm();
        const std::pair<QWidget*, const char*> named[] = {
            {form->Picture1(), "Report preview"},
            {form->HScroll1(), "Scroll the report horizontally"},
            {form->VScroll1(), "Scroll the report vertically"}};
        for (const auto& [widget, name] : named) {
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
            QVERIFY(accessible);
            QCOMPARE(accessible->text(QAccessible::Name), QString::fromLatin1(name));
        }
    }

    void dragClampsAndTheBarsFollowTheDrop_data()
    {
        // Where the canvas is when dropped, then after the bars took the drop.
        QTest::addColumn<qreal>("ratio");
        QTest::addColumn<QSize>("canvas");
        QTest::addColumn<QPoint>("by");
        QTest::addColumn<int>("button");
        QTest::addColumn<QPoint>("dropped");
        QTest::addColumn<QPoint>("settled");
        QTest::addColumn<QPoint>("bars");
        const QSize big(800, 700);
        addRowAtEachRatio("-89 settles at -90", big, QPoint(-89, 0), 1, QPoint(-89, 0),
                          QPoint(-90, 0), QPoint(9, 0));
        addRowAtEachRatio("stays at the left edge", big, QPoint(40, 30), 1, QPoint(), QPoint(),
                          QPoint());
        addRowAtEachRatio("far end, over 100 %", big, QPoint(-900, -900), 1, QPoint(-182, -209),
                          QPoint(-182, -209), QPoint());
        addRowAtEachRatio("narrow: to the right edge", QSize(500, 300), QPoint(-30, -30), 1,
                          QPoint(118, 191), QPoint(118, 191), QPoint());
        addRowAtEachRatio("as wide as outside", QSize(622, 700), QPoint(-50, 0), 1, QPoint(-4, 0),
                          QPoint(-4, 0), QPoint());
        addRowAtEachRatio("right button pans", big, QPoint(-70, -20), 2, QPoint(-70, -20),
                          QPoint(-70, -20), QPoint(7, 2));
        addRowAtEachRatio("no button, no move", big, QPoint(-70, -20), 0, QPoint(), QPoint(),
                          QPoint());
    }

    void dragClampsAndTheBarsFollowTheDrop()
    {
        QFETCH(qreal, ratio);
        QFETCH(QSize, canvas);
        QFETCH(QPoint, by);
        QFETCH(int, button);
        QFETCH(QPoint, dropped);
        QFETCH(QPoint, settled);
        QFETCH(QPoint, bars);
        auto form = newForm();
        QVERIFY(handOver(*form, pictureWithBase(canvas, ratio)));
        drag(*form, by, false, Qt::MouseButton(button));
        QCOMPARE(form->Picture1()->pos(), dropped);
        QCOMPARE(form->HScroll1()->value(), 0); // the bars wait for the drop
        sendMouse(form->Picture1(), QEvent::MouseButtonRelease, {}, Qt::MouseButton(button),
                  Qt::NoButton);
        QCOMPARE(form->Picture1()->pos(), settled);
        QCOMPARE(barPositions(*form), bars);
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
