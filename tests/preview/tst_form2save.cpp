#include "PreviewFixture.h"

#include <QPushButton>

#include <csignal>
#include <sys/resource.h>

using namespace statusmill;
using namespace statusmill::testing;

namespace {

// Every byte value, with CR, LF and NUL among them, as a binary Word file has.
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

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Form2> m_form;
    QString m_document;

    QString path(const QString& name) const { return m_dir->filePath(name); }
    QStringList folderEntries() const
    {
        return QDir(m_dir->path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

private slots:
    void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("Statusmill")); }

    void init()
    {
        Dialogs::startRecording();
        m_dir = std::make_unique<QTemporaryDir>();
        m_document = path(QStringLiteral("work/qorvex12345678.doc"));
        QDir().mkpath(path(QStringLiteral("work")));
        write(m_document, documentBytes());
        m_form = std::make_unique<Form2>();
        m_form->setWordFile(m_document);
    }

    void cleanup()
    {
        m_form.reset();
        Dialogs::stopRecording();
    }

    void savesWhereTheUserSays_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("existing"); // null: no file there
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("copied");
        QTest::addColumn<QStringList>("shown");
        const QString ask = QStringLiteral("Are you sure you wish to overwrite %1 ?");
        QTest::newRow("cancel") << QString() << QByteArray() << 0 << false
                                << QStringList{"save dialog"};
        QTest::newRow("new name") << "report.doc" << QByteArray() << 0 << true
                                  << QStringList{"save dialog", "Done."};
        QTest::newRow("existing, yes") << "old.doc" << QByteArray("old") << int(Dialogs::Yes)
                                       << true << QStringList{"save dialog", ask, "Done."};
        QTest::newRow("existing, no") << "old.doc" << QByteArray("old") << int(Dialogs::No) << false
                                      << QStringList{"save dialog", ask};
        QTest::newRow("no extension added")
            << "report" << QByteArray() << 0 << true << QStringList{"save dialog", "Done."};
    }

    void savesWhereTheUserSays()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, existing);
        QFETCH(int, answer);
        QFETCH(bool, copied);
        QFETCH(QStringList, shown);
        const QString target = name.isEmpty() ? QString() : path(name);
        if (!existing.isNull())
            write(target, existing);
        Dialogs::setNextFileName(target);
        if (answer)
            Dialogs::setNextAnswer(Dialogs::Answer(answer));

        m_form->PushButton6()->click();

        shown.replaceInStrings(QStringLiteral("%1"), target);
        QCOMPARE(whatWasShown(), shown);
        if (!target.isEmpty())
            QCOMPARE(contents(target), copied ? documentBytes() : existing);
        QCOMPARE(contents(m_document), documentBytes());          // the working document stays
        QVERIFY(!QFile::exists(target + QStringLiteral(".doc"))); // exactly the name given
    }

    void theDialogsAreAskedAsTheUserExpects()
    {
        write(path(QStringLiteral("old.doc")), "old");
        Dialogs::setNextFileName(path(QStringLiteral("old.doc")));
        Dialogs::setNextAnswer(Dialogs::Yes);
        m_form->PushButton6()->click();
        const auto shown = Dialogs::shown();
        QCOMPARE(shown.size(), 3);
        QCOMPARE(shown[0].title, QStringLiteral("Save File"));
        QCOMPARE(shown[0].fileName, QString());
        QCOMPARE(shown[0].filter, QStringLiteral("Word Files (*.doc)"));
        for (int i : {1, 2}) {
            QCOMPARE(shown[i].title, QStringLiteral("Statusmill"));
            QCOMPARE(shown[i].icon, Dialogs::Icon::None);
        }
        QCOMPARE(shown[1].buttons, Dialogs::Buttons::YesNo);
        QCOMPARE(shown[2].buttons, Dialogs::Buttons::Ok);
    }

    void savingTwiceAsksTheSecondTime()
    {
        const QString target = path(QStringLiteral("twice.doc"));
        Dialogs::setNextFileName(target);
        m_form->PushButton6()->click();
        Dialogs::clearShown();
        Dialogs::setNextFileName(target);
        Dialogs::setNextAnswer(Dialogs::Yes);
        m_form->PushButton6()->click();
        QCOMPARE(whatWasShown(),
                 (QStringList{"save dialog",
                              QStringLiteral("Are you sure you wish to overwrite %1 ?").arg(target),
                              "Done."}));
        QCOMPARE(contents(target), documentBytes());
    }

    void aFailedCopyKeepsTheOldFileAndSaysSo()
    {
        const QString target = path(QStringLiteral("precious.doc"));
        write(target, "the user's old report");
        const QStringList before = folderEntries();
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
        QCOMPARE(folderEntries(), before); // no partial file beside it
        QCOMPARE(reportedAt(), QStringList{"Form2.PushButton6_Click at line 130"});
        QVERIFY(!whatWasShown().contains(QStringLiteral("Done.")));
    }

    void aFolderThatCannotHoldFilesIsReported()
    {
        write(path(QStringLiteral("plain")), "a file, not a folder");
        Dialogs::setNextFileName(path(QStringLiteral("plain/report.doc")));
        m_form->PushButton6()->click();
        QCOMPARE(reportedAt(), QStringList{"Form2.PushButton6_Click at line 130"});
        QCOMPARE(whatWasShown().size(), 2); // the dialog and the report, no "Done."
    }

    void theWorkingDocumentItselfIsRefused_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("same path") << "same";
        QTest::newRow("through a link") << "link";
        QTest::newRow("relative") << "relative";
        QTest::newRow("with dots") << "dots";
    }

    void theWorkingDocumentItselfIsRefused()
    {
        QFETCH(QString, how);
        QString target = m_document;
        const QString home = QDir::currentPath();
        if (how == "link") {
            target = path(QStringLiteral("shortcut.doc"));
            QVERIFY(QFile::link(m_document, target));
        } else if (how == "relative") {
            QDir::setCurrent(path(QStringLiteral("work")));
            target = QStringLiteral("qorvex12345678.doc");
        } else if (how == "dots") {
            target = path(QStringLiteral("work/../work/./qorvex12345678.doc"));
        }
        Dialogs::setNextFileName(target);
        Dialogs::setNextAnswer(Dialogs::Yes);
        m_form->PushButton6()->click();
        QDir::setCurrent(home);

        const auto shown = Dialogs::shown();
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown[1].icon, Dialogs::Icon::Warning);
        QVERIFY(shown[1].text.contains(QStringLiteral("another name")));
        QCOMPARE(contents(m_document), documentBytes());
    }
};

QTEST_MAIN(TestForm2Save)
#include "tst_form2save.moc"
