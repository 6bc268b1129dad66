#include "core/CopyIntoPlace.h"
#include "core/Failure.h"
#include "core/FileHelpers.h"

#include <QProcess>
#include <QScopeGuard>
#include <QtTest>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/resource.h>

using namespace statusmill;

namespace {

QByteArray allByteValues(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char(i * 7 % 256);
    return bytes;
}

// Makes every write past `limit` bytes fail with EFBIG, the way a full disk fails
// part-way, until it goes out of scope.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t limit)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit limited = m_saved;
        limited.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_saved); }

private:
    rlimit m_saved{};
};

} // namespace

class TestFileHelpers : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void existence_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("exists");
        QTest::newRow("empty path") << QString() << false;
        QTest::newRow("missing file") << QStringLiteral("nothing.doc") << false;
        QTest::newRow("missing folder") << QStringLiteral("no/such/folder/file.doc") << false;
        QTest::newRow("read-only file") << QStringLiteral("readonly.doc") << true;
        QTest::newRow("empty file") << QStringLiteral("empty.doc") << true;
        QTest::newRow("dangling link") << QStringLiteral("dangling.doc") << false;
    }

    void existence()
    {
        QFETCH(QString, name);
        QFETCH(bool, exists);
        {
            QFile readOnly(path(QStringLiteral("readonly.doc")));
            QVERIFY(readOnly.open(QIODevice::WriteOnly));
            readOnly.write("x");
            readOnly.close();
            readOnly.setPermissions(QFileDevice::ReadOwner);
            QFile empty(path(QStringLiteral("empty.doc")));
            QVERIFY(empty.open(QIODevice::WriteOnly));
            QFile::link(path(QStringLiteral("gone")), path(QStringLiteral("dangling.doc")));
        }
        QCOMPARE(FileExists(name.isEmpty() ? name : path(name)), exists);
    }

    void writesTheBytesExactly()
    {
        const QByteArray bytes = allByteValues(150016);
        const QString target = path(QStringLiteral("template.dot"));
        WriteBytesIfAbsent(bytes, target);
        QFile written(target);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), bytes);
    }

    void leavesAnExistingFileUntouched()
    {
        const QString target = path(QStringLiteral("stale.dot"));
        QFile(target).open(QIODevice::WriteOnly); // an empty file
        const QDateTime stamp = QDateTime::currentDateTime().addDays(-3);
        {
            QFile file(target);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(stamp, QFileDevice::FileModificationTime));
        }
        WriteBytesIfAbsent(allByteValues(1000), target);
        QCOMPARE(QFileInfo(target).size(), 0);
        QCOMPARE(QFileInfo(target).lastModified().toSecsSinceEpoch(), stamp.toSecsSinceEpoch());
    }

    void yieldsToPendingEventsFirst()
    {
        bool ran = false;
        QTimer::singleShot(0, this, [&] { ran = true; });
        // Even when nothing gets written, the queued event has run.
        WriteBytesIfAbsent(QByteArray("x"), path(QStringLiteral("readonly.doc")));
        QVERIFY(ran);
    }

    // For work outside the window's own steps, which must not let events run in
    // their midst: nothing queued runs, and a name that is taken stays as it was.
    void aNewFileLetsNoEventRunAndReplacesNothing()
    {
        bool ran = false;
        QTimer::singleShot(0, this, [&] { ran = true; });
        const QString target = path(QStringLiteral("copy.dot"));
        writeNewFile(allByteValues(3000), target);
        QVERIFY(!ran);
        QVERIFY_THROWS_EXCEPTION(Failure, writeNewFile(QByteArray("again"), target));
        QFile written(target);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), allByteValues(3000));
    }

    // Read whole up to the limit, and refused past it.
    void readsARegularFileUpToItsLimit_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("taken");
        QTest::newRow("empty") << 0 << true;
        QTest::newRow("one byte") << 1 << true;
        QTest::newRow("at the limit") << 150016 << true;
        QTest::newRow("a byte past it") << 150017 << false;
    }

    void readsARegularFileUpToItsLimit()
    {
        QFETCH(int, size);
        QFETCH(bool, taken);
        const QString file = path(QStringLiteral("read-%1").arg(size));
        writeNewFile(allByteValues(size), file);
        if (taken)
            QCOMPARE(readRegularFile(file, 150016), allByteValues(size));
        else
            QVERIFY_THROWS_EXCEPTION(Failure, readRegularFile(file, 150016));
    }

    void failsLoudlyInAMissingFolder()
    {
        const QString target = path(QStringLiteral("no/such/folder/template.dot"));
        QVERIFY_THROWS_EXCEPTION(Failure, WriteBytesIfAbsent(QByteArray("abc"), target));
        QVERIFY(!FileExists(target));
    }

    void neverWritesThroughAPlantedLink()
    {
        // A link planted at the name after nobody checked: the write must not follow it.
        const QString victim = path(QStringLiteral("victim"));
        const QString planted = path(QStringLiteral("planted.bmp"));
        QVERIFY(QFile::link(victim, planted));
        QVERIFY_THROWS_EXCEPTION(Failure, WriteBytesIfAbsent(QByteArray("evil"), planted));
        QVERIFY(!QFileInfo::exists(victim));
    }

    void aPartialWriteLeavesNoFile()
    {
        const QString target = path(QStringLiteral("partial.dot"));
        {
            FileSizeLimit limit(4096);
            try {
                WriteBytesIfAbsent(allByteValues(100000), target);
                QFAIL("the write past the limit did not fail");
            } catch (const Failure& failure) {
                // In the system's own words, not an unknown error.
                QCOMPARE(failure.description(), QStringLiteral("Cannot write %1: %2")
                                                    .arg(target, QString::fromLocal8Bit(
                                                                     std::strerror(EFBIG))));
            }
        }
        QVERIFY(!FileExists(target));
        // And a later attempt, without the fault, writes the whole file.
        WriteBytesIfAbsent(allByteValues(100000), target);
        QCOMPARE(QFileInfo(target).size(), 100000);
    }

    void deleteNeverFails_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("empty path") << QString();
        QTest::newRow("missing file") << QStringLiteral("nothing.doc");
        QTest::newRow("missing folder") << QStringLiteral("no/such/folder/file.doc");
    }

    void deleteNeverFails()
    {
        QFETCH(QString, name);
        const QStringList before = QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::System);
        DeleteFileQuietly(name.isEmpty() ? name : path(name));
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::System), before);
    }

    void deleteRemovesAFile()
    {
        const QString target = path(QStringLiteral("doomed.doc"));
        QFile(target).open(QIODevice::WriteOnly);
        DeleteFileQuietly(target);
        QVERIFY(!FileExists(target));
    }

    void deleteLeavesAFolderAlone()
    {
        QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("sub")));
        DeleteFileQuietly(path(QStringLiteral("sub")));
        QVERIFY(QFileInfo(path(QStringLiteral("sub"))).isDir());
    }

    // A disk that fills while a report is put in place: said in the system's words,
    // as a save says it, and nothing is left of the copy.
    void aCopyOntoAFullDiskSaysSo()
    {
        const QString small = path(QStringLiteral("small"));
        QVERIFY(QDir().mkpath(small));
        QProcess mount;
        mount.start(QStringLiteral("mount"), {"-t", "tmpfs", "-o", "size=64k", "statusmill-test", small});
        if (!mount.waitForFinished(10000) || mount.exitCode() != 0)
            QSKIP("no file system can be mounted here, so no disk can be filled");
        const auto unmount = qScopeGuard([&] { QProcess::execute(QStringLiteral("umount"), {small}); });
        const QString source = path(QStringLiteral("report.doc"));
        QFile file(source);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(allByteValues(1024 * 1024)) == 1024 * 1024);
        file.close();
        try {
            copyFileIntoPlace(source, small + QStringLiteral("/report.doc"), false);
            QFAIL("the copy onto a full disk did not fail");
        } catch (const Failure& failure) {
            QVERIFY2(failure.description().endsWith(QString::fromLocal8Bit(std::strerror(ENOSPC))),
                     qPrintable(failure.description()));
        }
        QCOMPARE(QDir(small).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    }
};

QTEST_MAIN(TestFileHelpers)
#include "tst_filehelpers.moc"
