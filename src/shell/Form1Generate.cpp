// The generation run behind "Start Creating Template": fills the template with
// the four fields, saves the document, renders it and hands it to the preview.

#include "Form1.h"

#include "generate/TemplateResource.h"
#include "core/FileHelpers.h"
#include "core/Paper.h"
#include "core/ObjectRef.h"
#include "core/PictureFile.h"
#include "core/PictureRest.h"
#include "core/Procedure.h"
#include "core/Random.h"
#include "core/Threads.h"
#include "core/WorkFolder.h"
#include "data/Placeholders.h"
#include "data/WindowFields.h"
#include "generate/Automation.h"
#include "generate/DataFiles.h"
#include "generate/Fill.h"
#include "generate/Snapshot.h"
#include "preview/Form2.h"
#include "ui/BusyInputGate.h"
#include "ui/FixedWindow.h"

#include <QDate>
#include <QEventLoop>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QScopeGuard>

#include <cmath>
#include <thread>

namespace statusmill {

using namespace automation;

void Form1::PushButton6_Click()
{
    Procedure proc(QStringLiteral("Form1.PushButton6_Click"));

    if (proc.jumpWhen(100, [&] { return mBusy; }))
        return;
    // Clicks and keys that reach this window while the run is under way are dropped,
    // also those that are only delivered after it.
    BusyInputGate gate(this);
    proc.run(102, [&] { mBusy = true; });
    // Whatever fails on the way, the button works again once the press is over.
    const auto notBusy = qScopeGuard([this] { mBusy = false; });
    proc.run(104, [&] { m_pointer.set(WindowPointer::Hourglass); });

    // With a data file, the report comes from it, read anew at every press: the
    // four fields the user gave are the window's. A file that cannot be read has
    // been said: no report is made until the user puts it right and presses again.
    std::optional<data::ReportData> reportData;
    if (!m_dataFile.isEmpty())
        proc.run(106, [&] { reportData = dataOfThePress(); });
    const bool unread = !m_dataFile.isEmpty() && proc.jumpWhen(106, [&] { return !reportData; });
    const QString document = unread ? QString() : makeTheDocument(proc, reportData);

    // A report that was not made is not shown: the user stays in the main window
    // with what was said about it, rather than in a preview of nothing that
    // offers to save it.
    const bool made = !proc.jumpWhen(196, [&] { return document.isEmpty(); });
    if (made)
        proc.run(196, [&] { SaveDocAsJPG(document); });
    proc.run(198, [&] { m_pointer.set(WindowPointer::Default); });
    if (made)
        showTheReport(proc, document);
    proc.run(210, [&] {
        // The preview shows its first view while the pages below are drawn; they
        // are all there before the run ends and the user's input is taken.
        showWhilePictureIsFinished();
        gate.drain();
        mBusy = false;
    });
}

QString Form1::makeTheDocument(Procedure& proc, const std::optional<data::ReportData>& reportData)
{
    // The built-in template is written into the working folder for the run; a
    // template of the user's is opened where it is, read-only.
    // With data, it is the form whose spots are named as the data names them.
    const bool withData = !m_dataFile.isEmpty();
    const bool builtIn = m_templateFile.isEmpty();
    QString builtInFile;
    QByteArray templateBytes;
    if (builtIn) {
        proc.run(106, [&] {
            templateBytes = withData ? TemplateResource::dataBytes() : TemplateResource::bytes();
        });
        if (proc.when(108, [&] {
                builtInFile = WorkFolder::file(withData ? QStringLiteral("template-data.dot")
                                                        : QStringLiteral("template.dot"));
                return !FileExists(builtInFile);
            }))
            proc.run(108, [&] { WriteBytesIfAbsent(templateBytes, builtInFile); });
    }

    std::unique_ptr<Application> app;
    proc.run(110, [&] { app = engine().createApplication(); });
    QString templatePath;
    proc.run(112, [&] {
        templatePath = builtIn ? builtInFile : QFileInfo(m_templateFile).absoluteFilePath();
    });
    // The built-in report comes on the user's paper; a template of theirs has its own.
    std::shared_ptr<Document> doc =
        openTemplate(proc, app, templatePath, builtIn ? Paper::forTheReport() : std::nullopt);

    const int failedBefore = proc.failures();
    if (withData) {
        fillReport(proc, doc, reportData.value_or(data::ReportData()));
    } else {
        QList<Replacement> replacements;
        for (int i = 0; i < kFieldCount; ++i)
            replacements.append({Tag(i), Text1(i)->text()});
        // The report's date, as the user's language writes it: the built-in
        // template shows it, and a template of the user's may.
        replacements.append({data::bracketed(QLatin1String(data::kReportDate)),
                             data::reportDateText(QDate::currentDate())});
        fillPlaceholders(proc, doc, replacements);
    }

    // A report from data the fill failed in is not saved, nor closed statement by
    // statement: its office is most likely gone, and each would only say so again.
    // The session ends with it below, and takes the document along. Without data
    // the statements go on as they always have; a save that fails shows nothing.
    QString name;
    bool saved = false;
    if (!(withData && proc.jumpWhen(166, [&] { return proc.failures() > failedBefore; }))) {
        name = drawDocumentName(proc);
        saved = proc.run(182, [&] { use(doc).SaveAs(name); });
        proc.run(184, [&] { use(app).setDisplayAlerts(false); });
        proc.run(186, [&] { use(doc).Close(); });
        proc.run(188, [&] { use(app).quit(); });
    }
    proc.run(190, [&] { doc.reset(); });
    proc.run(192, [&] { app.reset(); });
    if (builtIn)
        proc.run(194, [&] { DeleteFileQuietly(templatePath); });
    return saved ? name : QString();
}

QString Form1::drawDocumentName(Procedure& proc)
{
    QString name;
    do {
        QString drawn;
        proc.run(166, [&] { drawn = QStringLiteral("qorvex"); });
        for (int k = 1; k <= 8; ++k) {
            double r = 0;
            proc.run(170, [&] { r = Random::reseededNext(); });
            int d = 0;
            proc.run(172, [&] { d = int(std::floor(r * 9)) + 1; });
            proc.run(174, [&] { drawn += QString::number(d); });
        }
        // Without a working folder there is no name, rather than a bare one that
        // would put the report in the current folder.
        proc.run(178, [&] {
            name.clear();
            name = WorkFolder::file(drawn + QStringLiteral(".doc"));
        });
    } while (proc.jumpWhen(180, [&] { return FileExists(name); }));
    return name;
}

void Form1::showTheReport(Procedure& proc, const QString& document)
{
    proc.run(200, [&] {
        form2().setPicture(loadPictureFile(WorkFolder::file(QStringLiteral("temp.bmp"))));
    });
    proc.run(202, [&] { form2().setWordFile(document); });
    proc.run(204, [&] { form2().show(); });
    // Never both windows hidden: a preview that did not show leaves this one up.
    proc.run(206, [&] {
        if (form2().isVisible())
            hide();
    });
    proc.run(208, [&] { removePictureFile(WorkFolder::file(QStringLiteral("temp.bmp"))); });
}

void Form1::showWhilePictureIsFinished()
{
    QEventLoop showing;
    // Declared after the loop it ends, so that it is joined before the loop goes.
    std::jthread waiting;
    try {
        waiting = startThread([&showing] {
            waitForPictureRest();
            QMetaObject::invokeMethod(&showing, &QEventLoop::quit, Qt::QueuedConnection);
        });
    } catch (const Failure&) {
        // No thread to wait with: the rest is waited for without painting meanwhile.
        waitForPictureRest();
        return;
    }
    showing.exec();
}

void Form1::SaveDocAsJPG(const QString& path)
{
    statusmill::SaveDocAsJPG(path);
}

Form2& Form1::form2()
{
    if (!m_form2) {
        m_form2 = std::make_unique<Form2>();
        m_form2->setMainWindow(this);
        placeOnScreen(m_form2.get());
    }
    return *m_form2;
}

} // namespace statusmill
