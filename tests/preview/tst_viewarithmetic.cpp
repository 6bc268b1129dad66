// The preview's zoom and scroll arithmetic as functions, at its edges: the zoom
// limits, rounding, the fine and coarse bars, overflow, and the wheel's remainders.

#include "core/Failure.h"
#include "preview/ViewArithmetic.h"

#include <QtTest>

using namespace statusmill;

Q_DECLARE_METATYPE(std::optional<float>)
Q_DECLARE_METATYPE(std::optional<qint16>)
Q_DECLARE_METATYPE(std::optional<qint32>)

class TestViewArithmetic : public QObject
{
    Q_OBJECT

private slots:
    void zoomSteps_data()
    {
        QTest::addColumn<float>("zoom");
        QTest::addColumn<int>("direction");
        QTest::addColumn<std::optional<float>>("next");
        QTest::newRow("in") << 1.0f << 0 << std::optional<float>(1.25f);
        QTest::newRow("out to the smallest") << 0.5f << 1 << std::optional<float>(0.25f);
        QTest::newRow("no further out") << 0.25f << 1 << std::optional<float>();
        QTest::newRow("in to the largest") << 3.75f << 0 << std::optional<float>(4.0f);
        QTest::newRow("no further in") << 4.0f << 0 << std::optional<float>();
    }

    void zoomSteps()
    {
        QFETCH(float, zoom);
        QFETCH(int, direction);
        QFETCH(std::optional<float>, next);
        QCOMPARE(view::steppedZoom(zoom, direction), next);
    }

    void zoomedExtents_data()
    {
        QTest::addColumn<qint32>("base");
        QTest::addColumn<float>("zoom");
        QTest::addColumn<qint32>("extent");
        QTest::newRow("whole") << 816 << 1.25f << 1020;
        QTest::newRow("rounded down, not to even") << 495 << 1.25f << 618; // 618.75
        QTest::newRow("a quarter of an odd size") << 1057 << 0.25f << 264; // 264.25
    }

    void zoomedExtents()
    {
        QFETCH(qint32, base);
        QFETCH(float, zoom);
        QFETCH(qint32, extent);
        QCOMPARE(view::zoomedExtent(base, zoom), extent);
    }

    void theCanvasLimitsAreExclusive()
    {
        QVERIFY(view::canvasFits(8799, 9799));
        QVERIFY(!view::canvasFits(8800, 100));
        QVERIFY(!view::canvasFits(100, 9800));
    }

    void bars_data()
    {
        QTest::addColumn<float>("overflow");
        QTest::addColumn<int>("maximum"); // -1: no range
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("pageStep");
        QTest::newRow("none") << 0.0f << -1 << 0 << 0;
        QTest::newRow("a canvas smaller than the view") << -3.0f << -1 << 0 << 0;
        QTest::newRow("fine up to 100") << 100.0f << 100 << 1 << 496;
        QTest::newRow("coarse past 100") << 101.0f << 10 << 10 << 49;
        QTest::newRow("coarse rounds half to even") << 125.0f << 12 << 10 << 49;
        QTest::newRow("coarse rounds up past the half") << 126.0f << 13 << 10 << 49;
    }

    void bars()
    {
        QFETCH(float, overflow);
        QFETCH(int, maximum);
        QFETCH(int, step);
        QFETCH(int, pageStep);
        const auto bar = view::barSetup(overflow, 496);
        QCOMPARE(bar.has_value(), maximum >= 0);
        if (!bar)
            return;
        QCOMPARE(int(bar->maximum), maximum);
        QCOMPARE(int(bar->step), step);
        QCOMPARE(bar->pageStep, pageStep);
    }

    void aBarTooLongForItsTypeIsAnOverflow()
    {
        QVERIFY_THROWS_EXCEPTION(Failure, view::barSetup(400000.0f, 496));
        QVERIFY_THROWS_EXCEPTION(Failure, view::canvasOffset(10, 4000));
    }

    void percents_data()
    {
        QTest::addColumn<qint16>("percent");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<std::optional<qint16>>("position");
        QTest::newRow("start") << qint16(0) << 77 << std::optional<qint16>(0);
        QTest::newRow("half, to even") << qint16(50) << 77 << std::optional<qint16>(38);
        QTest::newRow("end") << qint16(100) << 77 << std::optional<qint16>(77);
        QTest::newRow("past the end") << qint16(101) << 77 << std::optional<qint16>();
        QTest::newRow("before the start") << qint16(-1) << 77 << std::optional<qint16>();
    }

    void percents()
    {
        QFETCH(qint16, percent);
        QFETCH(int, maximum);
        QFETCH(std::optional<qint16>, position);
        QCOMPARE(view::positionAtPercent(percent, maximum), position);
    }

    void drops_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("canvas");
        QTest::addColumn<int>("viewport");
        QTest::addColumn<std::optional<qint32>>("percent");
        QTest::newRow("at the start") << 0 << 900 << 500 << std::optional<qint32>(0);
        QTest::newRow("dragged left") << -200 << 900 << 500 << std::optional<qint32>(50);
        QTest::newRow("no distance") << 0 << 500 << 500 << std::optional<qint32>();
    }

    void drops()
    {
        QFETCH(int, offset);
        QFETCH(int, canvas);
        QFETCH(int, viewport);
        QFETCH(std::optional<qint32>, percent);
        QCOMPARE(view::dropPercent(offset, canvas, viewport), percent);
    }

    // The wheel: part notches add up, and turning back drops what was left over.
    void wheelRemainders()
    {
        float positions = 0;
        QCOMPARE(view::wholePositions(positions, 0.6f), 0);
        QCOMPARE(view::wholePositions(positions, 0.6f), 1);
        QCOMPARE(view::wholePositions(positions, -0.6f), 0); // the 0.2 left over is dropped
        int angle = 0;
        QCOMPARE(view::wholeNotches(angle, 60), 0);
        QCOMPARE(view::wholeNotches(angle, 200), 2);
        QCOMPARE(view::wholeNotches(angle, -250), -2); // the 20 left over is dropped
        QCOMPARE(angle, -10);
    }

    void lines()
    {
        QCOMPARE(view::linePositions(0, 3, 1.0f), 0);   // no range, no step
        QCOMPARE(view::linePositions(10, 1, 0.25f), 1); // never less than one
        QCOMPARE(view::linePositions(1, 3, 2.0f), 96);
    }
};

QTEST_GUILESS_MAIN(TestViewArithmetic)
#include "tst_viewarithmetic.moc"
