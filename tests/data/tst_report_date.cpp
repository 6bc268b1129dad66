// The report's date as the user's language writes it, and who names that language.

#include "data/WindowFields.h"

#include <QTest>

using namespace statusmill;

class TestReportDate : public QObject
{
    Q_OBJECT

private slots:
    void inTheLanguageOfDates_data()
    {
        QTest::addColumn<QString>("lcTime");
        QTest::addColumn<QString>("lcAll");
        QTest::addColumn<QString>("lang");
        QTest::addColumn<QString>("expected");
        const QString none;
        QTest::newRow("British English") << none << none << "en_GB.UTF-8" << "8 December 2026";
        QTest::newRow("US English") << none << none << "en_US.UTF-8" << "December 8, 2026";
        QTest::newRow("German") << none << none << "de_DE.UTF-8" << "8. Dezember 2026";
        QTest::newRow("French, with a modifier") << none << none << "fr_FR.UTF-8@euro" << "8 décembre 2026";
        QTest::newRow("C") << none << none << "C" << "December 8, 2026";
        QTest::newRow("C.UTF-8") << none << none << "C.UTF-8" << "December 8, 2026";
        QTest::newRow("POSIX") << none << none << "POSIX" << "December 8, 2026";
        QTest::newRow("nothing named") << none << none << none << "December 8, 2026";
        QTest::newRow("LC_ALL over LANG") << none << "de_DE.UTF-8" << "en_GB.UTF-8" << "8. Dezember 2026";
        QTest::newRow("LC_TIME over LC_ALL") << "en_GB.UTF-8" << "C.UTF-8" << "de_DE.UTF-8" << "8 December 2026";
        QTest::newRow("LC_TIME over LANG") << "de_DE" << none << "en_US.UTF-8" << "8. Dezember 2026";
    }

    void inTheLanguageOfDates()
    {
        QFETCH(QString, lcTime);
        QFETCH(QString, lcAll);
        QFETCH(QString, lang);
        QFETCH(QString, expected);
        QCOMPARE(data::reportDateText(QDate(2026, 12, 8), data::localeOfDates(lcTime, lcAll, lang)), expected);
    }

    // The environment is read at the time of asking, so a run's date follows it.
    void theEnvironmentNamesTheLanguage()
    {
        const QByteArray saved = qgetenv("LC_TIME");
        const auto restore = qScopeGuard([&] {
            if (saved.isNull())
                qunsetenv("LC_TIME");
            else
                qputenv("LC_TIME", saved);
        });
        qputenv("LC_TIME", "en_GB.UTF-8");
        QCOMPARE(data::reportDateText(QDate(2026, 12, 8)), QStringLiteral("8 December 2026"));
        qputenv("LC_TIME", "de_AT.UTF-8");
        QCOMPARE(data::reportDateText(QDate(2026, 1, 8)), QStringLiteral("8. Jänner 2026"));
    }
};

QTEST_GUILESS_MAIN(TestReportDate)
#include "tst_report_date.moc"
