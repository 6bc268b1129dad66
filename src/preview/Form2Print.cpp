// Printing the report (Ctrl+P): the system's print dialog, then every page asked
// for, drawn from the document itself rather than from the screen's picture.
#include "Form2.h"

#include "core/CopyIntoPlace.h"
#include "core/FileHelpers.h"
#include "core/ObjectRef.h"
#include "core/Procedure.h"
#include "core/Random.h"
#include "core/SaveFolder.h"
#include "core/WorkFolder.h"
#include "ui/Dialogs.h"

#include <QPageSize>
#include <QPrinter>
#include <QScopeGuard>

namespace statusmill {

Form2::Busy::Busy(Form2& form) : m_form(form), m_gate(&form)
{
    m_form.m_pointer.set(WindowPointer::Hourglass);
}

Form2::Busy::~Busy()
{
    m_form.m_pointer.set(WindowPointer::Default);
    // What the user clicked or typed meanwhile is dropped, also what is still on its way.
    m_gate.drain();
}

void Form2::PrintReport()
{
    using namespace automation;
    Procedure proc(QStringLiteral("Form2.PrintReport"));
    std::unique_ptr<Application> application;
    std::shared_ptr<Document> document;
    int pages = 0;
    // After a failed step the office may be gone: the user hears of that step only,
    // and the session ends with these objects.
    {
        const Busy busy(*this);
        if (!proc.run(100, [&] { application = engine().createApplication(); }) ||
            !proc.run(102,
                      [&] { document = use(application).Documents().Open(mWordFile, true); }) ||
            !proc.run(104,
                      [&] { pages = use(document).ComputeStatistics(Document::kStatisticPages); }))
            return;
    }
    QPrinter printer(QPrinter::HighResolution);
    // The printer is offered the report's own paper, as the picture has its pages
    // (96 units to the inch, the first ten pages at most).
    if (const QSizeF units = m_zoomOri->picture().deviceIndependentSize();
        pages > 0 && !units.isEmpty())
        printer.setPageSize(
            QPageSize(QSizeF(units.width(), units.height() / std::min(pages, 10)) * 72.0 / 96.0,
                      QPageSize::Point, QString(), QPageSize::FuzzyMatch));
    bool accepted = false;
    if (pages > 0 && !proc.run(106, [&] {
            accepted = Dialogs::print(printer, pages, SaveFolder::current());
        }))
        return;
    if (accepted) {
        const Busy busy(*this);
        if (!proc.run(108, [&] { printOn(printer, use(document), pages); }))
            return;
    }
    proc.run(110, [&] { use(document).Close(0); });
    proc.run(112, [&] { use(application).quit(); });
}

void Form2::printOn(QPrinter& printer, automation::Document& document, int pages)
{
    const bool range = printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0;
    const int from = range ? printer.fromPage() : 1;
    const int to = range ? std::min(printer.toPage(), pages) : pages;
    if (printer.outputFormat() != QPrinter::PdfFormat) {
        document.PrintOut(printer, from, to);
        return;
    }
    // Printed to a file: the document's own PDF of those pages, its text still
    // text, put in place whole or not at all.
    const QString pdf =
        WorkFolder::file(QStringLiteral("print-%1.pdf").arg(Random::uniqueSuffix()));
    const auto remove = qScopeGuard([&] { DeleteFileQuietly(pdf); });
    document.ExportAsFixedFormat(pdf, from, to);
    copyFileIntoPlace(pdf, printer.outputFileName(), /*replaceExisting=*/true);
}

} // namespace statusmill
