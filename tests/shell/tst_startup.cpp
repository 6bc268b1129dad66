#include "core/Random.h"
#include "shell/StartUp.h"
#include "support/Seams.h"

#include <QtTest>

using namespace statusmill;

class TestStartUp : public QObject
{
    Q_OBJECT

private slots:

    void appTitle_data()
    {
        QTest::addColumn<QString>("product");
        QTest::addColumn<QString>("title");
        QTest::newRow("one word") << QStringLiteral("Statusmill") << QStringLiteral("Statusmill");
        QTest::newRow("two words") << QStringLiteral("Status Mill") << QStringLiteral("Status");
        QTest::newRow("several words") << QStringLiteral("Brightfern Project Status Report Maker")
                                       << QStringLiteral("Brightfern Project Status Report");
        QTest::newRow("long rest loses words")
            << QStringLiteral("The Remarkably Thorough Project Status Report Generator Deluxe")
            << QStringLiteral("The Remarkably Thorough Project Status");
        QTest::newRow("exactly forty after one cut")
            << QStringLiteral("0123456789 0123456789 0123456789 0123456 tail")
            << QStringLiteral("0123456789 0123456789 0123456789 0123456");
        QTest::newRow("long single word kept")
            << QStringLiteral("Supercalifragilisticexpialidocious-Statusmill-Edition x")
            << QStringLiteral("Supercalifragilisticexpialidocious-Statusmill-Edition");
    }

    void appTitle()
    {
        QFETCH(QString, product);
        QFETCH(QString, title);
        QCOMPARE(appTitleFor(product), title);
    }

    void siteVisit_data()
    {
        QTest::addColumn<double>("r");
        QTest::addColumn<bool>("opens");
        QTest::newRow("d = 1") << 0.0 << false;
        QTest::newRow("d = 6") << 0.0599 << false;
        QTest::newRow("d = 7, low edge") << 0.06 << true;
        QTest::newRow("d = 7, high edge") << 0.0699 << true;
        QTest::newRow("d = 8") << 0.07 << false;
        QTest::newRow("d = 100") << 0.9999 << false;
    }

    void siteVisit()
    {
        QFETCH(double, r);
        QFETCH(bool, opens);
        const testing::RandomSource random([r] { return r; });
        QList<QUrl> opened;
        const testing::SiteOpener opener([&](const QUrl& url) {
            opened << url;
            return true;
        });
        VisitSiteSometimes();
        QCOMPARE(opened.size(), opens ? 1 : 0);
        if (opens)
            QCOMPARE(opened.constFirst().host(), QStringLiteral("www.example.com"));
    }

    void siteVisitIsRare()
    {
        int visits = 0;
        const testing::SiteOpener opener([&](const QUrl&) { return ++visits > 0; });
        for (int i = 0; i < 2000; ++i)
            VisitSiteSometimes();
        // One in a hundred on average; far from never and far from often.
        QVERIFY2(visits > 3 && visits < 60, qPrintable(QString::number(visits)));
    }
};

QTEST_MAIN(TestStartUp)
#include "tst_startup.moc"
