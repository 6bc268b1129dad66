#include "core/Failure.h"
#include "core/Random.h"
#include "core/WorkFolder.h"
#include "support/Seams.h"
#include "support/TestFiles.h"

#include <QProcess>
#include <QScopeGuard>
#include <QtTest>
#include <set>
#include <unistd.h>

using namespace statusmill;

class TestWorkFolder : public QObject
{
    Q_OBJECT

    QTemporaryDir m_base;
    std::optional<testing::EnvironmentVariable> m_temp;

private slots:
    void cleanup()
    {
        WorkFolder::remove();
        m_temp.reset();
    }

    void baseFolder_data()
    {
        QTest::addColumn<bool>("set");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("platformFolder");
        QTest::newRow("unset") << false << QString() << true;
        QTest::newRow("empty") << true << QString() << true;
        QTest::newRow("set") << true << QStringLiteral("<base>") << false;
    }

    void baseFolder()
    {
        QFETCH(bool, set);
        QFETCH(QString, value);
        QFETCH(bool, platformFolder);
        // Unset means unset here too, whatever the developer's environment holds.
        m_temp.emplace("TEMP", set ? QFile::encodeName(value == "<base>" ? m_base.path() : value)
                                   : QByteArray());
        QCOMPARE(WorkFolder::baseFolder(), platformFolder ? QDir::tempPath() : m_base.path());
        QVERIFY(WorkFolder::baseFolder() != QStringLiteral("/"));
    }

    void privateFolderIsOwnerOnlyAndUnpredictable()
    {
        m_temp.emplace("TEMP", QFile::encodeName(m_base.path()));
        const QString folder = WorkFolder::path();
        QCOMPARE(QFileInfo(folder).absolutePath(), m_base.path());
        // Owner, group and others; Qt also reports the current user, who is the owner.
        QCOMPARE(QFileInfo(folder).permissions() & 0x7077,
                 QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QVERIFY(QFileInfo(folder).fileName() != QStringLiteral("statusmill-XXXXXX"));
        QCOMPARE(WorkFolder::file(QStringLiteral("temp.bmp")),
                 folder + QStringLiteral("/temp.bmp"));
        QCOMPARE(WorkFolder::path(), folder); // the same folder for the whole run
    }

    void plantedFilesInTheBaseAreNeverOurs()
    {
        m_temp.emplace("TEMP", QFile::encodeName(m_base.path()));
        QFile planted(m_base.filePath(QStringLiteral("template.dot")));
        QVERIFY(planted.open(QIODevice::WriteOnly));
        QVERIFY(WorkFolder::file(QStringLiteral("template.dot")) != planted.fileName());
    }

    void removeTakesEverythingAndAFreshOneFollows()
    {
        m_temp.emplace("TEMP", QFile::encodeName(m_base.path()));
        const QString first = WorkFolder::path();
        QFile inside(WorkFolder::file(QStringLiteral("qorvex11111111.doc")));
        QVERIFY(inside.open(QIODevice::WriteOnly));
        inside.close();
        WorkFolder::remove();
        QVERIFY(!QFileInfo::exists(first));
        const QString second = WorkFolder::path();
        QVERIFY(second != first);
        QVERIFY(QFileInfo(second).isDir());
    }

    // Our folder removed and made again under its name by someone else (here: with
    // other permissions, or as a link) is never taken for ours.
    void aFolderRemadeUnderOurNameIsNotReused_data()
    {
        QTest::addColumn<bool>("asLink");
        QTest::newRow("open folder") << false;
        QTest::newRow("link to elsewhere") << true;
    }

    void aFolderRemadeUnderOurNameIsNotReused()
    {
        QFETCH(bool, asLink);
        m_temp.emplace("TEMP", QFile::encodeName(m_base.path()));
        const QString first = WorkFolder::path();
        QVERIFY(QDir(first).removeRecursively());
        if (asLink) {
            QVERIFY(QDir(m_base.path()).mkdir(QStringLiteral("elsewhere")));
            QVERIFY(QFile::link(m_base.filePath(QStringLiteral("elsewhere")), first));
        } else {
            QVERIFY(QDir(m_base.path()).mkdir(QFileInfo(first).fileName()));
            QFile::setPermissions(first, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                             QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                             QFileDevice::WriteOther | QFileDevice::ExeOther);
        }
        QVERIFY(WorkFolder::path() != first);
    }

    void anUnusableBaseIsAFailure()
    {
        m_temp.emplace("TEMP",
                       QFile::encodeName(m_base.filePath(QStringLiteral("missing/deeper"))));
        QVERIFY_THROWS_EXCEPTION(Failure, WorkFolder::path());
    }

    void quickDrawsDiffer()
    {
        std::set<int> digits;
        for (int i = 0; i < 8; ++i) {
            const double r = Random::reseededNext();
            QVERIFY(r >= 0.0 && r < 1.0);
            digits.insert(int(r * 9) + 1);
        }
        QVERIFY(digits.size() > 1);
    }

    // A killed run leaves its working folder (and its offices' sockets outside it);
    // the next start removes them, and nothing of a copy that still runs (also one
    // in another PID namespace, whose pid we cannot see), of another user or
    // without our marker; nor anything but an office's socket that a marker names.
    void leftoversOfAKilledRunGoAtTheNextStart()
    {
        m_temp.emplace("TEMP", QFile::encodeName(m_base.path()));
        const QString socket = QStringLiteral("/tmp/OSL_PIPE_%1_statusmill-test-%2")
                                   .arg(::getuid())
                                   .arg(Random::uniqueSuffix());
        auto start = [](const QStringList& arguments, QProcess& probe,
                        const QString& program = QString()) {
            const QString probeFile =
                QCoreApplication::applicationDirPath() + QStringLiteral("/workfolder_probe");
            if (program.isEmpty())
                probe.start(probeFile, arguments);
            else
                probe.start(program, QStringList(arguments).replaceInStrings(
                                         QStringLiteral("<probe>"), probeFile));
            probe.waitForReadyRead(10000);
            return QString::fromLocal8Bit(probe.readLine()).trimmed();
        };
        QProcess killed;
        QProcess running;
        QProcess contained;
        const QString killedFolder = start({socket}, killed);
        const QString runningFolder = start({}, running);
        // In a PID namespace of its own, as in a container that shares TEMP.
        const QString containedFolder =
            start({"--pid", "--fork", "--kill-child", "--mount-proc", "<probe>"}, contained,
                  QStringLiteral("unshare"));
        QVERIFY(QFileInfo(killedFolder).isDir() && QFileInfo(runningFolder).isDir());
        QVERIFY(QFileInfo(socket).exists());
        killed.kill();
        QVERIFY(killed.waitForFinished(10000));

        // Names a marker may hold that are no socket of an office of ours.
        const QString victim = m_base.filePath(QStringLiteral("victim.sock"));
        QVERIFY(testing::writeFile(victim, QByteArray("not ours to remove")));
        QFile marker(killedFolder + QStringLiteral("/.statusmill-owner"));
        QVERIFY(marker.open(QIODevice::Append));
        marker.write(QFile::encodeName(victim) + "\nvictim.sock\n/tmp/../" +
                     QFile::encodeName(victim.mid(5)) + '\n');
        marker.close();
        const QString current = QDir::currentPath();
        QDir::setCurrent(m_base.path());
        const auto back = qScopeGuard([&] { QDir::setCurrent(current); });

        const QString unmarked = m_base.filePath(QStringLiteral("statusmill-nomark"));
        QVERIFY(QDir().mkdir(unmarked));
        QFile::setPermissions(unmarked, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                            QFileDevice::ExeOwner);

        WorkFolder::removeLeftovers();

        QVERIFY(!QFileInfo::exists(killedFolder));
        QVERIFY(!QFileInfo::exists(socket));
        QVERIFY(QFileInfo::exists(victim));
        QVERIFY(QFileInfo(runningFolder).isDir());
        QVERIFY(QFileInfo(unmarked).isDir());
        if (!containedFolder.isEmpty()) {
            QVERIFY(QFileInfo(containedFolder).isDir());
            // And the contained copy's own start leaves ours alone too.
            QProcess sweep;
            sweep.start(QStringLiteral("unshare"),
                        {"--pid", "--fork", "--kill-child", "--mount-proc",
                         QCoreApplication::applicationDirPath() + QStringLiteral("/workfolder_probe"),
                         "sweep"});
            QVERIFY(sweep.waitForFinished(10000));
            QVERIFY(QFileInfo(runningFolder).isDir());
            contained.kill();
            contained.waitForFinished(10000);
        } else {
            qWarning("unshare could not make a PID namespace; that case went untried");
        }
        running.kill();
        running.waitForFinished(10000);
        WorkFolder::removeLeftovers();
        QVERIFY(!QFileInfo::exists(runningFolder));
        // The contained copy dies a moment after the unshare that waited for it.
        QTRY_VERIFY_WITH_TIMEOUT((WorkFolder::removeLeftovers(), !QFileInfo::exists(containedFolder)),
                                 5000);
    }
};

QTEST_MAIN(TestWorkFolder)
#include "tst_workfolder.moc"
