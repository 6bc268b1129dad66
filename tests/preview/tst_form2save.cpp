#include "support/PreviewFixture.h"
#include "support/Seams.h"
#include "ui/ErrorReport.h"

#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>

#include "core/Settings.h"
#include "core/WorkFolder.h"

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace statusmill;
using namespace statusmill::testing;

namespace {

// Every byte value, CR, LF and NUL among them, as in a binary Word file.
QByteArray documentBytes()
{
    QByteArray bytes(70000, '\0');
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char((i * 31 + i / 256) % 256);
    return bytes;
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<absent>");
}

void write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

struct stat statusOf(const QString& path)
{
    struct stat info
    {
    };
    ::lstat(QFile::encodeName(path).constData(), &info);
    return info;
}

QStringList whatWasShown()
{
    QStringList seen;
    for (const auto& shown : Dialogs::shown())
        seen << (shown.isSaveDialog ? QStringLiteral("save dialog") : shown.text);
    return seen;
}

} // namespace

class TestForm2Save : public QObject
{
    Q_OBJECT

    const ErrorReportsShown m_reports;
    std::optional<testing::RecordedDialogs> m_dialogs;
    std::optional<testing::EnvironmentVariable> m_temp;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Form2> m_form;
    QString m_document;

    QString path(const QString& name) const { return m_dir->filePath(name); }

private slots:
    void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("Statusmill")); }

    void init()
    {
        m_dialogs.emplace();
        m_dir = std::make_unique<QTemporaryDir>();
        // The working folder, made on demand, then lives and goes with this test's folder.
        QDir().mkpath(path(QStringLiteral("temp")));
        m_temp.emplace("TEMP", QFile::encodeName(path(QStringLiteral("temp"))));
        QDir().mkpath(path(QStringLiteral("work")));
        m_document = path(QStringLiteral("work/qorvex12345678.doc"));
        write(m_document, documentBytes());
        m_form = std::make_unique<Form2>();
        m_form->setWordFile(m_document);
    }

    void cleanup()
    {
        m_form.reset();
        WorkFolder::remove();
        m_dialogs.reset();
        m_temp.reset();
    }

    void savesWhereTheUserSays_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("existing"); // null: no file there
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("shown");
        const QString ask = QStringLiteral("Are you sure you wish to overwrite %1 ?");
        QTest::newRow("cancel") << QString() << QByteArray() << 0 << QStringList{"save dialog"};
        QTest::newRow("new name") << "report.doc" << QByteArray() << 0
                                  << QStringList{"save dialog", "Done."};
        QTest::newRow("existing, yes") << "old.doc" << QByteArray("old") << int(Dialogs::Yes)
                                       << QStringList{"save dialog", ask, "Done."};
        QTest::newRow("existing, no") << "old.doc" << QByteArray("old") << int(Dialogs::No)
                                      << QStringList{"save dialog", ask};
        QTest::newRow("no extension added")
            << "report" << QByteArray() << 0 << QStringList{"save dialog", "Done."};
    }

    void savesWhereTheUserSays()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, existing);
        QFETCH(int, answer);
        QFETCH(QStringList, shown);
        const QString target = name.isEmpty() ? QString() : path(name);
        if (!existing.isNull())
            write(target, existing);
        Dialogs::setNextFileName(target);
        Dialogs::setNextAnswer(Dialogs::Answer(answer));

        m_form->PushButton6()->click();

        QCOMPARE(whatWasShown(), shown.replaceInStrings(QStringLiteral("%1"), target));
        const bool copied = shown.last() == QStringLiteral("Done.");
        if (!target.isEmpty())
            QCOMPARE(contents(target), copied ? documentBytes() : existing);
        QVERIFY(!QFile::exists(target + QStringLiteral(".doc")));
        QCOMPARE(contents(m_document), documentBytes()); // the working document stays

        const auto asked = Dialogs::shown();
        QCOMPARE(asked[0].title, QStringLiteral("Save File"));
        QCOMPARE(asked[0].fileName, QString());
        QCOMPARE(asked[0].filter, QStringLiteral("Word Files (*.doc);;Word Documents (*.docx);;"
                                                 "OpenDocument Text (*.odt);;PDF Files (*.pdf)"));
        for (qsizetype i = 1; i < asked.size(); ++i) {
            QCOMPARE(asked[i].title, QStringLiteral("Statusmill"));
            QCOMPARE(asked[i].icon, Dialogs::Icon::None);
        }
    }

    // The selected filter's format, unless the name ends in another offered
    // format's extension, in any case; nothing is ever added to the name.
    void theNameOrTheFilterChoosesTheFormat_data()
    {
        using SaveFormats::Format;
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("filter");
        QTest::addColumn<int>("format");
        QTest::newRow("doc") << "a.doc" << 0 << int(Format::Doc);
        QTest::newRow("the extension over the filter") << "a.pdf" << 0 << int(Format::Pdf);
        QTest::newRow("any case") << "a.DocX" << 3 << int(Format::Docx);
        QTest::newRow("only the last extension") << "a.pdf.doc" << 3 << int(Format::Doc);
        QTest::newRow("no offered extension") << "a.odt.bak" << 2 << int(Format::Odt);
        QTest::newRow("none at all") << "report" << 3 << int(Format::Pdf);
    }

    void theNameOrTheFilterChoosesTheFormat()
    {
        QFETCH(QString, name);
        QFETCH(int, filter);
        QFETCH(int, format);
        const QString selected = QLatin1String(SaveFormats::kOffered[filter].filter);
        QCOMPARE(int(SaveFormats::formatFor(name, selected)), format);
    }

    void savingTwiceAsksTheSecondTime()
    {
        const QString target = path(QStringLiteral("twice.doc"));
        Dialogs::setNextFileName(target);
        m_form->PushButton6()->click();
        Dialogs::setNextFileName(target);
        Dialogs::setNextAnswer(Dialogs::Yes);
        m_form->PushButton6()->click();
        QCOMPARE(Dialogs::shown().size(), 5);
        QCOMPARE(Dialogs::shown()[3].buttons, Dialogs::Buttons::YesNo);
        QCOMPARE(contents(target), documentBytes());
    }

    // The dialog opens where the last save went, in this run or the next (a new
    // window, the folder read back from the state file); a save cancelled or failed
    // moves nothing, and a folder gone since gives the home folder. The settings
    // file knows nothing of it.
    void theDialogOpensWhereTheLastSaveWent()
    {
        const EnvironmentVariable state("XDG_STATE_HOME", QFile::encodeName(path("state")));
        const EnvironmentVariable home("HOME", QFile::encodeName(path("home")));
        QVERIFY(QDir().mkpath(path("home")) && QDir().mkpath(path("reports")));
        m_form->PushButton6()->click();
        Dialogs::setNextFileName(path("reports/week 1.doc"));
        m_form->PushButton6()->click();
        m_form = std::make_unique<Form2>();
        m_form->setWordFile(m_document);
        m_form->PushButton6()->click();
        Dialogs::setNextFileName(path("nowhere/week 2.doc"));
        m_form->PushButton6()->click();
        QVERIFY(QDir(path("reports")).removeRecursively());
        m_form->PushButton6()->click();

        QStringList folders;
        for (const auto& shown : Dialogs::shown()) {
            if (shown.isSaveDialog) {
                folders << QDir(m_dir->path()).relativeFilePath(shown.folder);
                QCOMPARE(shown.fileName, QString());
            }
        }
        QCOMPARE(folders, QStringList({"home", "home", "reports", "reports", "home"}));
        QVERIFY(QFileInfo(path("state/statusmill/last-save-folder")).isFile());
        QVERIFY(!contents(Settings::storeFile(QStringLiteral("Statusmill"))).contains("reports"));
    }

    void aFailedCopyKeepsTheOldFileAndSaysSo()
    {
        const QString target = path(QStringLiteral("precious.doc"));
        write(target, "the user's old report");
        const QStringList before = QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden);
        Dialogs::setNextFileName(target);
        Dialogs::setNextAnswer(Dialogs::Yes);
        {
            // Writes past 4 KB fail, as on a full disk.
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit saved{};
            getrlimit(RLIMIT_FSIZE, &saved);
            rlimit limited = saved;
            limited.rlim_cur = 4096;
            setrlimit(RLIMIT_FSIZE, &limited);
            m_form->PushButton6()->click();
            setrlimit(RLIMIT_FSIZE, &saved);
        }
        QCOMPARE(contents(target), QByteArray("the user's old report"));
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden), before);
        QCOMPARE(reportedAt(), QStringList{"Form2.PushButton6_Click at line 130"});
        QVERIFY(!whatWasShown().contains(QStringLiteral("Done.")));
    }

    void theWorkingDocumentItselfIsRefused_data()
    {
        // Named from the working document's folder; %t is the temporary folder.
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("link"); // %t/shortcut.doc, a link to the working document
        QTest::newRow("same path") << "%t/work/qorvex12345678.doc" << false;
        QTest::newRow("relative") << "qorvex12345678.doc" << false;
        QTest::newRow("with dots") << "../work/./qorvex12345678.doc" << false;
        QTest::newRow("through a link") << "%t/shortcut.doc" << true;
    }

    void theWorkingDocumentItselfIsRefused()
    {
        QFETCH(QString, target);
        QFETCH(bool, link);
        if (link)
            QVERIFY(QFile::link(m_document, path(QStringLiteral("shortcut.doc"))));
        const QString home = QDir::currentPath();
        QDir::setCurrent(path(QStringLiteral("work")));
        Dialogs::setNextFileName(target.replace(QStringLiteral("%t"), m_dir->path()));
        Dialogs::setNextAnswer(Dialogs::Yes);
        m_form->PushButton6()->click();
        QDir::setCurrent(home);

        const auto shown = Dialogs::shown();
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown[1].icon, Dialogs::Icon::Warning);
        QVERIFY(shown[1].text.contains(QStringLiteral("another name")));
        QCOMPARE(contents(m_document), documentBytes());
    }

    void replacingKeepsTheOldFilesRights_data()
    {
        QTest::addColumn<int>("mode");  // -1: no file there yet
        QTest::addColumn<bool>("link"); // the chosen name is a link to the old file
        QTest::addColumn<bool>("foreignOwner");
        QTest::newRow("private") << 0600 << false << false;
        QTest::newRow("group may read") << 0640 << false << false;
        QTest::newRow("read-only for all") << 0444 << false << false;
        QTest::newRow("private, through a link") << 0600 << true << false;
        QTest::newRow("private, another owner") << 0600 << false << true;
        QTest::newRow("new file") << -1 << false << false;
    }

    void replacingKeepsTheOldFilesRights()
    {
        QFETCH(int, mode);
        QFETCH(bool, link);
        QFETCH(bool, foreignOwner);
        if (foreignOwner && ::geteuid() != 0)
            QSKIP("Only root can give a file to another owner");
        const QString old = path(QStringLiteral("old.doc"));
        const QString target = link ? path(QStringLiteral("shortcut.doc")) : old;
        const uid_t owner = foreignOwner ? 4321 : ::geteuid();
        const gid_t group = foreignOwner ? 4322 : ::getegid();
        if (mode >= 0) {
            write(old, "the user's old report");
            QCOMPARE(::chmod(QFile::encodeName(old).constData(), mode_t(mode)), 0);
            QCOMPARE(::chown(QFile::encodeName(old).constData(), owner, group), 0);
        }
        if (link)
            QVERIFY(QFile::link(old, target));
        Dialogs::setNextFileName(target);
        Dialogs::setNextAnswer(Dialogs::Yes);

        m_form->PushButton6()->click();

        QCOMPARE(whatWasShown().last(), QStringLiteral("Done."));
        QCOMPARE(contents(target), documentBytes());
        QCOMPARE(S_ISLNK(statusOf(target).st_mode), link);
        const struct stat copy = statusOf(old);
        QVERIFY(S_ISREG(copy.st_mode));
        const mode_t mask = ::umask(0);
        ::umask(mask);
        QCOMPARE(copy.st_mode & 07777, mode >= 0 ? mode_t(mode) : 0666 & ~mask);
        QCOMPARE(copy.st_uid, owner);
        QCOMPARE(copy.st_gid, group);
    }

    // Saving over a link writes the file it points to; the link stays a link.
    void savingOverALinkWritesWhereItPoints_data()
    {
        QTest::addColumn<QStringList>("links"); // each links to the next; the last to old.doc
        QTest::addColumn<bool>("oldExists");
        QTest::newRow("absolute") << QStringList{"%t/shortcut.doc"} << true;
        QTest::newRow("relative") << QStringList{"shortcut.doc"} << true;
        QTest::newRow("a chain of two") << QStringList{"%t/first.doc", "second.doc"} << true;
        QTest::newRow("pointing at nothing yet") << QStringList{"%t/shortcut.doc"} << false;
    }

    void savingOverALinkWritesWhereItPoints()
    {
        QFETCH(QStringList, links);
        QFETCH(bool, oldExists);
        const QString old = path(QStringLiteral("sub/old.doc"));
        QDir().mkpath(path(QStringLiteral("sub")));
        if (oldExists)
            write(old, "the user's old report");
        // Relative link texts count from the link's own folder, the test's folder.
        QString next = QStringLiteral("sub/old.doc");
        for (auto it = links.crbegin(); it != links.crend(); ++it) {
            const QString name = QFileInfo(QString(*it).remove(QStringLiteral("%t/"))).fileName();
            const QByteArray text =
                QFile::encodeName(it->startsWith(QLatin1String("%t/")) ? path(next) : next);
            QCOMPARE(::symlink(text.constData(), QFile::encodeName(path(name)).constData()), 0);
            next = name;
        }
        const QString chosen = path(next);
        Dialogs::setNextFileName(chosen);
        Dialogs::setNextAnswer(Dialogs::Yes);

        m_form->PushButton6()->click();

        QCOMPARE(whatWasShown().last(), QStringLiteral("Done."));
        QCOMPARE(contents(old), documentBytes());
        for (const QString& link : links) {
            const QString name = QFileInfo(QString(link).remove(QStringLiteral("%t/"))).fileName();
            QVERIFY2(S_ISLNK(statusOf(path(name)).st_mode), qPrintable(name));
        }
        QCOMPARE(QDir(path(QStringLiteral("sub"))).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"old.doc"});
    }

    // A folder the user may not write to, holding a file they may: the old file is
    // written over where it stands, and put back as it was when that fails. Run as
    // an unprivileged user, since root passes every permission check.
    void overwritingInAFolderThatTakesNoNewFile_data()
    {
        QTest::addColumn<bool>("exists");
        QTest::addColumn<int>("sizeLimit"); // 0: none; else writes past it fail
        QTest::addColumn<QByteArray>("old");
        QTest::addColumn<bool>("copied");
        const QByteArray report("the user's old report");
        QTest::newRow("an existing file") << true << 0 << report << true;
        QTest::newRow("an existing file, the disk fills up") << true << 4096 << report << false;
        // Even the old contents no longer fit: the user must hear that the old file
        // is damaged, not only that the copy failed.
        QTest::newRow("an existing file, the disk too full to put it back")
            << true << 4096 << QByteArray(8192, 'o') << false;
        QTest::newRow("a new file") << false << 0 << report << false;
    }

    void overwritingInAFolderThatTakesNoNewFile()
    {
        QFETCH(bool, exists);
        QFETCH(int, sizeLimit);
        QFETCH(QByteArray, old);
        QFETCH(bool, copied);
        const bool root = ::geteuid() == 0;
        if (root && QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
            QSKIP("setpriv is needed to drop to an unprivileged user");
        const uid_t user = root ? 65534 : ::geteuid(); // nobody
        const gid_t group = root ? 65534 : ::getegid();

        const QString folder = path(QStringLiteral("locked"));
        const QString target = folder + QStringLiteral("/old.doc");
        QVERIFY(QDir().mkpath(folder));
        if (exists) {
            write(target, old);
            QCOMPARE(::chown(QFile::encodeName(target).constData(), user, group), 0);
        }
        const ino_t inode = statusOf(target).st_ino;
        QCOMPARE(::chmod(QFile::encodeName(m_dir->path()).constData(), 0755), 0);
        QCOMPARE(::chmod(QFile::encodeName(m_document).constData(), 0644), 0);
        QCOMPARE(::chmod(QFile::encodeName(path(QStringLiteral("work"))).constData(), 0755), 0);
        // Root's folder, or ours made read-only: either way no new file goes in.
        if (!root)
            QCOMPARE(::chmod(QFile::encodeName(folder).constData(), 0555), 0);

        QStringList arguments{m_document, target, exists ? "1" : "0"};
        if (sizeLimit > 0)
            arguments << QString::number(sizeLimit);
        QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/copy_probe");
        if (root) {
            arguments.prepend(program);
            arguments =
                QStringList{"--reuid=65534", "--regid=65534", "--clear-groups", "--"} + arguments;
            program = QStringLiteral("setpriv");
        }
        QProcess probe;
        probe.start(program, arguments);
        QVERIFY(probe.waitForFinished(30000));
        const QString said = QString::fromLocal8Bit(probe.readAllStandardError());
        QCOMPARE(probe.exitCode() == 0, copied);
        ::chmod(QFile::encodeName(folder).constData(), 0755);

        if (copied) {
            QCOMPARE(contents(target), documentBytes());
            QCOMPARE(statusOf(target).st_ino, inode); // the same file, not a new one
            QCOMPARE(statusOf(target).st_uid, user);
        } else if (old.size() > sizeLimit && exists) {
            QVERIFY2(said.contains(QStringLiteral("could not be put back")), qPrintable(said));
        } else {
            QVERIFY2(!said.isEmpty(), "a failed copy says why");
            QCOMPARE(contents(target), exists ? old : QByteArray("<absent>"));
        }
        QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 exists ? QStringList{"old.doc"} : QStringList());
    }

    // Something that is not a file (a named pipe, a device, a folder), also behind
    // a link, is never replaced by a file: refused before any question about it.
    void whatIsNotAFileIsRefused_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("a named pipe") << "pipe";
        QTest::newRow("a device") << "device";
        QTest::newRow("a link to a named pipe") << "link";
        QTest::newRow("a folder") << "folder";
    }

    void whatIsNotAFileIsRefused()
    {
        QFETCH(QString, kind);
        const QString node = path(QStringLiteral("node"));
        const QByteArray name = QFile::encodeName(node);
        if (kind == QLatin1String("device")) {
            if (::geteuid() != 0)
                QSKIP("Only root can make a device");
            QCOMPARE(::mknod(name.constData(), S_IFCHR | 0666, makedev(1, 3)), 0); // a null
        } else if (kind == QLatin1String("folder")) {
            QVERIFY(QDir().mkdir(node));
        } else {
            QCOMPARE(::mkfifo(name.constData(), 0666), 0);
        }
        const QString target =
            kind == QLatin1String("link") ? path(QStringLiteral("shortcut.doc")) : node;
        if (kind == QLatin1String("link"))
            QVERIFY(QFile::link(node, target));
        const mode_t type = statusOf(node).st_mode & S_IFMT;
        Dialogs::setNextFileName(target);
        Dialogs::setNextAnswer(Dialogs::Yes);

        m_form->PushButton6()->click();

        const auto shown = Dialogs::shown();
        QCOMPARE(shown.size(), 2); // the dialog and the refusal: no question, no "Done."
        QCOMPARE(shown[1].icon, Dialogs::Icon::Warning);
        QVERIFY2(shown[1].text.startsWith(target) &&
                     shown[1].text.contains(QStringLiteral("not a file")),
                 qPrintable(shown[1].text));
        QCOMPARE(reportedAt(), QStringList());
        QCOMPARE(statusOf(node).st_mode & S_IFMT, type);
    }

    // In a shared sticky folder (such as /tmp) a link another user made is not
    // followed, as the system itself would not follow it; one of the user's own, or
    // of the folder's owner, is. Run as an unprivileged user.
    void foreignLinksInSharedFoldersAreNotFollowed_data()
    {
        QTest::addColumn<int>("linkOwner");
        QTest::addColumn<bool>("victimExists");
        QTest::addColumn<bool>("followed");
        QTest::newRow("another user's, to a file") << 4321 << true << false;
        QTest::newRow("another user's, to no file yet") << 4321 << false << false;
        QTest::newRow("the user's own") << 65534 << true << true;
        QTest::newRow("the folder owner's") << 0 << true << true;
    }

    void foreignLinksInSharedFoldersAreNotFollowed()
    {
        QFETCH(int, linkOwner);
        QFETCH(bool, victimExists);
        QFETCH(bool, followed);
        if (::geteuid() != 0 || QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
            QSKIP("Needs root, to give links to other users, and setpriv");
        const QString shared = path(QStringLiteral("shared"));
        const QString victims = path(QStringLiteral("victims"));
        QVERIFY(QDir().mkpath(shared) && QDir().mkpath(victims));
        QCOMPARE(::chmod(QFile::encodeName(shared).constData(), 01777), 0);
        // Anyone may write there: only the rule on links keeps the copy out.
        QCOMPARE(::chmod(QFile::encodeName(victims).constData(), 0777), 0);
        const QString victim = victims + QStringLiteral("/victim.doc");
        if (victimExists) {
            write(victim, "someone else's file");
            QCOMPARE(::chmod(QFile::encodeName(victim).constData(), 0666), 0);
        }
        const QByteArray link = QFile::encodeName(shared + QStringLiteral("/report.doc"));
        QCOMPARE(::symlink(QFile::encodeName(victim).constData(), link.constData()), 0);
        QCOMPARE(::lchown(link.constData(), uid_t(linkOwner), gid_t(linkOwner)), 0);
        QCOMPARE(::chmod(QFile::encodeName(m_dir->path()).constData(), 0755), 0);
        QCOMPARE(::chmod(QFile::encodeName(m_document).constData(), 0644), 0);
        QCOMPARE(::chmod(QFile::encodeName(path(QStringLiteral("work"))).constData(), 0755), 0);

        QProcess probe;
        probe.start(QStringLiteral("setpriv"),
                    {"--reuid=65534", "--regid=65534", "--clear-groups", "--",
                     QCoreApplication::applicationDirPath() + QStringLiteral("/copy_probe"),
                     m_document, QFile::decodeName(link), victimExists ? "1" : "0"});
        QVERIFY(probe.waitForFinished(30000));
        const QString said = QString::fromLocal8Bit(probe.readAllStandardError());
        QCOMPARE(probe.exitCode() == 0, followed);
        if (followed)
            QCOMPARE(contents(victim), documentBytes());
        else
            QCOMPARE(contents(victim),
                     victimExists ? QByteArray("someone else's file") : QByteArray("<absent>"));
        if (!followed)
            QVERIFY2(said.contains(QStringLiteral("another user")), qPrintable(said));
    }

    void theWorkingFolderIsRefused_data()
    {
        // %w is the working folder, %t this test's folder; "linked" links to %w.
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("refused");
        QTest::newRow("new name there") << "%w/report.doc" << true;
        QTest::newRow("a folder inside it") << "%w/inner/report.doc" << true;
        QTest::newRow("relative") << "report.doc" << true;
        QTest::newRow("with dots") << "%w/inner/../report.doc" << true;
        QTest::newRow("through a linked folder") << "%t/linked/report.doc" << true;
        QTest::newRow("a folder that only starts alike") << "%w-old/report.doc" << false;
    }

    void theWorkingFolderIsRefused()
    {
        QFETCH(QString, target);
        QFETCH(bool, refused);
        const QString work = WorkFolder::path();
        QVERIFY(QDir(work).mkdir(QStringLiteral("inner")));
        QVERIFY(QDir().mkdir(work + QStringLiteral("-old")));
        QVERIFY(QFile::link(work, path(QStringLiteral("linked"))));
        target.replace(QStringLiteral("%w"), work).replace(QStringLiteral("%t"), m_dir->path());
        const QString landing = QFileInfo(QDir(work), target).absoluteFilePath();
        const QString home = QDir::currentPath();
        QDir::setCurrent(work);
        Dialogs::setNextFileName(target);
        Dialogs::setNextAnswer(Dialogs::Yes);
        m_form->PushButton6()->click();
        QDir::setCurrent(home);

        const auto shown = Dialogs::shown();
        QCOMPARE(shown.size(), 2);
        QCOMPARE(reportedAt(), QStringList());
        if (refused) {
            QCOMPARE(shown[1].icon, Dialogs::Icon::Warning);
            QVERIFY(shown[1].text.contains(QStringLiteral("working folder")));
            QVERIFY(shown[1].text.contains(QStringLiteral("another folder")));
            QVERIFY(!QFile::exists(landing));
            // Nothing landed there: only the folder made above (and the folder's own marker).
            QCOMPARE(QDir(work).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                     QStringList{"inner"});
            QCOMPARE(QDir(work).entryList({"*.doc", ".*.doc", ".statusmill-copy-*"},
                                          QDir::AllEntries | QDir::Hidden),
                     QStringList());
            QCOMPARE(QDir(work + QStringLiteral("/inner"))
                         .isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                     true);
        } else {
            QCOMPARE(shown[1].text, QStringLiteral("Done."));
            QCOMPARE(contents(landing), documentBytes());
        }
        QCOMPARE(contents(m_document), documentBytes());
    }
};

QTEST_MAIN(TestForm2Save)
#include "tst_form2save.moc"
