// Times "Save Results To Word File" as a user makes it, for each format the Save
// dialog offers: the .doc copy, and the conversions to .docx, .odt and PDF, each
// against a target of 0.5 s, medians of 5; and shows the fonts of a saved PDF.
// Usage: bench_formats (offscreen unless QT_QPA_PLATFORM says otherwise)

#include "BenchSupport.h"
#include "core/WorkFolder.h"
#include "generate/Offices.h"
#include "preview/Form2.h"
#include "shell/Form1.h"
#include "ui/Dialogs.h"
#include "ui/ErrorReport.h"

#include <QApplication>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdio>

using namespace statusmill;

int main(int argc, char* argv[])
{
    QTemporaryDir scratch;
    bench::keepToScratch(scratch);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Statusmill"));
    const ErrorReportsShown reports;
    Dialogs::startRecording();
    automation::startSpareOffices();

    Form1 form;
    form.PushButton4_Click(); // the sample values
    form.PushButton6_Click();
    Form2& preview = *form.existingForm2();
    QDir().mkpath(scratch.filePath(QStringLiteral("saved")));

    int saves = 0;
    QString lastPdf;
    const auto save = [&](const SaveFormats::Offered& offered) {
        const QString target = scratch.filePath(QStringLiteral("saved/report-%1.%2")
                                                    .arg(++saves)
                                                    .arg(QLatin1String(offered.extension)));
        Dialogs::setNextFileName(target);
        preview.PushButton6()->click();
        if (offered.format == SaveFormats::Format::Pdf)
            lastPdf = target;
    };

    std::printf("platform %s, median of 5 saves each, the two-page report\n\n",
                qPrintable(QGuiApplication::platformName()));
    double copy = 0;
    for (const SaveFormats::Offered& offered : SaveFormats::kOffered) {
        const double ms = bench::medianMs(5, [&] { save(offered); });
        if (offered.format == SaveFormats::Format::Doc) {
            copy = ms;
            std::printf("  %-28s %7.1f ms  (the copy, baseline)\n", offered.filter, ms);
        } else {
            std::printf("  %-28s %7.1f ms  %5.1f x the copy  (target <= 500 ms)\n", offered.filter,
                        ms, ms / copy);
        }
    }
    int errors = 0;
    for (const auto& shown : Dialogs::shown())
        errors += shown.title == QLatin1String(kErrorTitle) ? 1 : 0;
    std::printf("\nerrors reported during the saves  %d\n\npdffonts %s\n", errors,
                qPrintable(QFileInfo(lastPdf).fileName()));
    QProcess fonts;
    fonts.start(QStringLiteral("pdffonts"), {lastPdf});
    fonts.waitForFinished(30000);
    std::printf("%s", fonts.readAllStandardOutput().constData());

    form.close();
    automation::endSpareOffices();
    WorkFolder::remove();
    return 0;
}
