#include "core/Failure.h"
#include "core/Settings.h"
#include "support/Seams.h"

#include <QtTest>

using namespace statusmill;

class TestSettings : public QObject
{
    Q_OBJECT

    QTemporaryDir m_config;

    static QString app() { return QStringLiteral("Brightfern"); }
    static QString section() { return QStringLiteral("Statusmill"); }

private slots:
    void initTestCase() { qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path())); }

    void storeIsOneFilePerApplication()
    {
        QCOMPARE(Settings::storeFile(app()), m_config.filePath(QStringLiteral("Brightfern.ini")));
    }

    void absentKeyReadsEmptyOrTheFallback()
    {
        QCOMPARE(Settings::GetSetting(app(), section(), QStringLiteral("Text1_9")), QString());
        QCOMPARE(Settings::GetSetting(QStringLiteral("Nobody"), section(), QStringLiteral("k"),
                                      QStringLiteral("dflt")),
                 QStringLiteral("dflt"));
    }

    void valuesRoundTripExactly_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("empty") << QString();
        QTest::newRow("spaces kept") << QStringLiteral("  padded value  ");
        QTest::newRow("quotes") << QStringLiteral("\"quoted\" and 'single'");
        QTest::newRow("backslashes") << QStringLiteral("C:\\temp\\x \\\\server\\share\\");
        QTest::newRow("ini syntax") << QStringLiteral("a=b; c # d [Section] %41");
        QTest::newRow("at sign") << QStringLiteral("@Variant(\\0\\0) @@x");
        QTest::newRow("newlines") << QStringLiteral("line one\nline two\r\nline three\r");
        QTest::newRow("tab and control") << QStringLiteral("a\tb\x01"
                                                           "c");
        QTest::newRow("non-Latin") << QStringLiteral("Проект Ωμέγα 東京 مرحبا");
        QTest::newRow("emoji") << QStringLiteral("Launch 🚀 done ✅");
        QTest::newRow("10,000 characters")
            << QString(10000, QLatin1Char('x')) + QStringLiteral("é");
        QTest::newRow("comma list") << QStringLiteral("one, two, three");
    }

    void valuesRoundTripExactly()
    {
        QFETCH(QString, value);
        Settings::SaveSetting(app(), section(), QStringLiteral("Text1_0"), value);
        // A fresh read parses the file again: nothing is kept in memory.
        QCOMPARE(Settings::GetSetting(app(), section(), QStringLiteral("Text1_0")), value);
    }

    void keysDifferOnlyInTheDigit()
    {
        for (int i = 0; i < 4; ++i)
            Settings::SaveSetting(app(), section(), QStringLiteral("Text1_%1").arg(i),
                                  QStringLiteral("value %1").arg(i));
        for (int i = 0; i < 4; ++i)
            QCOMPARE(Settings::GetSetting(app(), section(), QStringLiteral("Text1_%1").arg(i)),
                     QStringLiteral("value %1").arg(i));
    }

    void aWriteIsOnDiskAtOnce()
    {
        Settings::SaveSetting(app(), section(), QStringLiteral("Text1_2"), QStringLiteral("kept"));
        QFile file(Settings::storeFile(app()));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray content = file.readAll();
        QVERIFY(content.contains("[Statusmill]"));
        QVERIFY(content.contains("Text1_2=kept"));
    }

    void twoCopiesShareTheStore()
    {
        // Another running copy writes the file behind our back: the next read sees it.
        Settings::SaveSetting(app(), section(), QStringLiteral("Text1_1"), QStringLiteral("mine"));
        QSettings other(Settings::storeFile(app()), QSettings::IniFormat);
        other.setValue(QStringLiteral("Statusmill/Text1_1"), QStringLiteral("theirs"));
        other.sync();
        QCOMPARE(Settings::GetSetting(app(), section(), QStringLiteral("Text1_1")),
                 QStringLiteral("theirs"));
    }

    void anUnwritableStoreIsAFailure()
    {
        // A folder where the store file should be cannot be replaced by a file.
        QTemporaryDir blocked;
        const testing::EnvironmentVariable config("XDG_CONFIG_HOME",
                                                  QFile::encodeName(blocked.path()));
        QVERIFY(QDir(blocked.path()).mkdir(QStringLiteral("Brightfern.ini")));
        QVERIFY_THROWS_EXCEPTION(
            Failure, Settings::SaveSetting(app(), section(), QStringLiteral("Text1_0"), "x"));
    }

    // A lock nobody can take is a failed write after a few seconds, never a hang;
    // once stuck, later writes fail at once; a lock that can be taken again works.
    void aLockThatCannotBeTakenFailsTheWrite()
    {
        QTemporaryDir locked;
        const testing::EnvironmentVariable config("XDG_CONFIG_HOME",
                                                  QFile::encodeName(locked.path()));
        const QString lock = locked.filePath(QStringLiteral("Brightfern.ini.lock"));
        QVERIFY(QDir().mkpath(lock));
        QElapsedTimer waited;
        waited.start();
        QVERIFY_THROWS_EXCEPTION(
            Failure, Settings::SaveSetting(app(), section(), QStringLiteral("Text1_0"), "x"));
        const qint64 first = waited.restart();
        QVERIFY_THROWS_EXCEPTION(
            Failure, Settings::SaveSetting(app(), section(), QStringLiteral("Text1_0"), "xy"));
        const qint64 second = waited.elapsed();
        QVERIFY2(second < first,
                 qPrintable(QStringLiteral("%1 then %2 ms").arg(first).arg(second)));

        QVERIFY(QDir(lock).removeRecursively());
        Settings::SaveSetting(app(), section(), QStringLiteral("Text1_0"), QStringLiteral("xyz"));
        QCOMPARE(Settings::GetSetting(app(), section(), QStringLiteral("Text1_0")),
                 QStringLiteral("xyz"));
    }

    void createsTheConfigFolderWhenMissing()
    {
        QTemporaryDir fresh;
        const QString folder = fresh.filePath(QStringLiteral("not/yet/there"));
        const testing::EnvironmentVariable config("XDG_CONFIG_HOME", QFile::encodeName(folder));
        Settings::SaveSetting(app(), section(), QStringLiteral("Text1_0"), QStringLiteral("v"));
        QCOMPARE(Settings::GetSetting(app(), section(), QStringLiteral("Text1_0")),
                 QStringLiteral("v"));
        QVERIFY(QFile::exists(folder + QStringLiteral("/Brightfern.ini")));
    }
};

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
