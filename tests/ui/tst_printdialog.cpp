// Printing to a file refuses, before anything opens it, what a save refuses: the
// print dialog's own check would open a named pipe and wait there for good, and
// follow another user's link in a shared folder to make a file where it leads.

#include "ui/Dialogs.h"
#include "ui/PrintDialog.h"

#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace statusmill;

class TestPrintDialog : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void init() { Dialogs::startRecording(); }
    void cleanup() { Dialogs::stopRecording(); }

    void refusesWhatASaveRefuses_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("a new file") << "report.pdf" << true;
        QTest::newRow("a named pipe") << "pipe" << false;
        QTest::newRow("another user's link in a shared folder") << "shared/link.pdf" << false;
    }

    void refusesWhatASaveRefuses()
    {
        QFETCH(QString, output);
        QFETCH(bool, accepted);
        const QString path = m_dir.filePath(output);
        const QString victim = m_dir.filePath(QStringLiteral("victim.pdf"));
        int reader = -1;
        if (output == QLatin1String("pipe")) {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
            // Held open, so that a dialog that opens the pipe is not stuck there.
            reader = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK);
        }
        if (output.startsWith(QLatin1String("shared/"))) {
            if (::getuid() != 0)
                QSKIP("Only root can make a link of another user");
            const QByteArray shared = QFile::encodeName(m_dir.filePath(QStringLiteral("shared")));
            QCOMPARE(::mkdir(shared.constData(), 0777), 0);
            QCOMPARE(::chmod(shared.constData(), 01777), 0);
            QVERIFY(QFile::link(victim, path));
            QCOMPARE(::lchown(QFile::encodeName(path).constData(), 65534, 65534), 0);
        }
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        PrintDialog dialog(&printer);
        dialog.open();
        QCOMPARE(dialog.outputFileChosen(), path);
        // A question the dialog itself might ask is answered No.
        QTimer::singleShot(2000, [] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                box->reject();
        });
        dialog.accept();
        if (reader >= 0)
            ::close(reader);
        QCOMPARE(dialog.result() == QDialog::Accepted, accepted);
        QCOMPARE(Dialogs::shown().size(), accepted ? 0 : 1);
        if (!accepted)
            QVERIFY2(Dialogs::shown().constFirst().text.contains(QStringLiteral("cannot be printed to")),
                     qPrintable(Dialogs::shown().constFirst().text));
        QVERIFY(!QFileInfo::exists(victim));
    }

    // Printing to a file suggests its file in the folder given (the one last saved
    // in), not in the folder the program was started from.
    void suggestsItsFileInTheFolderGiven()
    {
        QPrinter printer;
        PrintDialog dialog(&printer);
        dialog.suggestFileIn(m_dir.path());
        dialog.open();
        const auto* field = dialog.findChild<QLineEdit*>(QStringLiteral("filename"));
        QVERIFY(field);
        QCOMPARE(QFileInfo(field->text()).absolutePath(), m_dir.path());
        QVERIFY(field->text().endsWith(QLatin1String(".pdf")));
        dialog.reject();
    }
};

QTEST_MAIN(TestPrintDialog)
#include "tst_printdialog.moc"
