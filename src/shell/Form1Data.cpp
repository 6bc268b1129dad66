// The window started with a data file: the four fields show the file's values
// where the user has given none, and every press reads the file anew.

#include "Form1.h"

#include "core/Failure.h"
#include "data/LastWeek.h"
#include "data/Table.h"
#include "data/WindowFields.h"
#include "generate/DataFiles.h"
#include "ui/Dialogs.h"

#include <QLineEdit>
#include <QScopedValueRollback>

namespace statusmill {

namespace {

QLatin1String fieldName(int index)
{
    return QLatin1String(data::kWindowFields[size_t(index)].name);
}

} // namespace

void Form1::followTheDataFile()
{
    // Until the file says otherwise, the stored values stand in for its own.
    m_fromFile.fill(true);
    // A workbook is read through an office, which takes a moment: once the
    // window is up (see showEvent), not before.
    if (data::isSpreadsheetName(m_dataFile))
        m_workbookToRead = true;
    else
        showTheDataFilesFour();
}

void Form1::showTheDataFilesFour()
{
    try {
        // The only report, or the stored project's; of several others, none.
        const data::Reports reports = automation::readReportFile(m_dataFile);
        const QList<const data::Record*> picked =
            data::recordsOfProject(reports.records, Text1(0)->text());
        if (picked.size() == 1 && picked.constFirst()->problem.isEmpty())
            followTheFile(picked.constFirst()->data);
    } catch (const Failure&) {
        // The stored values stay; a press says what is wrong with the file.
    }
}

std::optional<data::ReportData> Form1::dataOfThePress()
{
    std::optional<data::ReportData> report;
    std::optional<QList<data::Record>> lastWeek;
    QString reading = m_dataFile;
    try {
        report = automation::reportOfProject(m_dataFile, Text1(0)->text());
        reading = m_previousFile;
        if (!m_previousFile.isEmpty())
            lastWeek = automation::linkedReports(m_previousFile);
    } catch (const Failure& failure) {
        // A mistake in the user's file is theirs to put right, not an error of the
        // program: said plainly, naming the file, and no report is made of it.
        const QString& why = failure.description();
        Dialogs::message(Dialogs::applicationTitle(),
                         why.contains(reading) ? why : reading + QStringLiteral(": ") + why,
                         Dialogs::Icon::Warning, Dialogs::Buttons::Ok);
        return std::nullopt;
    }
    followTheFile(*report);
    for (int i = 0; i < kFieldCount; ++i)
        report->setField(fieldName(i), Text1(i)->text());
    data::giveReportDate(*report);
    return data::thisWeeksReport(std::move(*report), lastWeek);
}

void Form1::followTheFile(const data::ReportData& report)
{
    for (int i = 0; i < kFieldCount; ++i) {
        const std::optional<QString> value = report.field(fieldName(i));
        if (value && !value->isEmpty() && (m_fromFile[i] || Text1(i)->text().isEmpty())) {
            showFileValue(i, *value);
        } else if (m_fromFile[i]) {
            // The file has it no more: the stored value, as a start would show.
            restoreField(i);
            m_fromFile[i] = false;
        }
    }
}

void Form1::showFileValue(int index, const QString& text)
{
    // Shown, not stored: the settings keep what the user typed.
    const QScopedValueRollback showing(m_showingFileValue, true);
    setFieldText(index, text);
    m_fromFile[index] = true;
}

} // namespace statusmill
