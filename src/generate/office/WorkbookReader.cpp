#include "WorkbookReader.h"

#include "OfficeApplication.h"
#include "OfficeLocation.h"
#include "UnoSupport.h"

#include <QFileInfo>
#include <QHash>

#include <com/sun/star/beans/NamedValue.hpp>
#include <com/sun/star/lang/XMultiComponentFactory.hpp>
#include <com/sun/star/task/XJob.hpp>

namespace statusmill::automation {

using namespace office;
using namespace statusmill::uno;
using css::beans::NamedValue;
using css::uno::Sequence;

namespace {

// The value the office's answer gives `name`; an empty one when it gives none.
template <class Value> Value valueIn(const Sequence<NamedValue>& answer, const char* name)
{
    Value value{};
    for (const NamedValue& item : answer)
        if (item.Name.equalsAscii(name))
            item.Value >>= value;
    return value;
}

data::Sheet sheetOf(const Sequence<NamedValue>& answer)
{
    data::Sheet sheet;
    sheet.name = toQString(valueIn<rtl::OUString>(answer, "Name"));
    const auto lines = valueIn<Sequence<sal_Int32>>(answer, "Lines");
    const auto cells = valueIn<Sequence<Sequence<rtl::OUString>>>(answer, "Cells");
    QHash<int, qsizetype> rowOfLine;
    for (sal_Int32 row = 0; row < lines.getLength() && row < cells.getLength(); ++row) {
        QStringList texts;
        for (const rtl::OUString& text : cells[row])
            texts << toQString(text);
        rowOfLine.insert(lines[row], sheet.rows.size());
        sheet.rows.append({lines[row], texts});
    }
    const auto numberLines = valueIn<Sequence<sal_Int32>>(answer, "NumberLines");
    const auto numberColumns = valueIn<Sequence<sal_Int32>>(answer, "NumberColumns");
    const auto numberValues = valueIn<Sequence<double>>(answer, "NumberValues");
    for (sal_Int32 number = 0; number < numberLines.getLength() && number < numberColumns.getLength() &&
                               number < numberValues.getLength();
         ++number)
        if (const auto row = rowOfLine.constFind(numberLines[number]); row != rowOfLine.cend())
            sheet.rows[*row].numbers.insert(numberColumns[number], numberValues[number]);
    const auto errorLines = valueIn<Sequence<sal_Int32>>(answer, "ErrorLines");
    const auto errorColumns = valueIn<Sequence<sal_Int32>>(answer, "ErrorColumns");
    for (sal_Int32 error = 0; error < errorLines.getLength() && error < errorColumns.getLength();
         ++error) {
        const auto row = rowOfLine.constFind(errorLines[error]);
        const QString shown = row == rowOfLine.cend()
                                  ? QString()
                                  : sheet.rows.at(*row).cells.value(errorColumns[error]);
        sheet.errors.append({errorLines[error], errorColumns[error], shown});
    }
    return sheet;
}

data::Workbook workbookOf(const Sequence<NamedValue>& answer)
{
    data::Workbook workbook;
    workbook.hiddenSheets = valueIn<sal_Int32>(answer, "HiddenSheets");
    workbook.hiddenRows = valueIn<sal_Int32>(answer, "HiddenRows");
    for (const auto& sheet : valueIn<Sequence<Sequence<NamedValue>>>(answer, "Sheets"))
        workbook.sheets << sheetOf(sheet);
    return workbook;
}

// The office's answer to reading the workbook at `url`, in one call.
Sequence<NamedValue> askOffice(OfficeSession& session, const rtl::OUString& url)
{
    return session.call([&] {
        const auto context = session.office()->context();
        const Reference<css::task::XJob> read(
            context->getServiceManager()->createInstanceWithContext("org.statusmill.WorkbookRead",
                                                                    context),
            UNO_QUERY);
        if (!read.is())
            throw Failure(QStringLiteral("The office part of the program (libstatusmill_office.so) "
                                         "was not found; reinstall the program."));
        Sequence<NamedValue> answer;
        const NamedValue workbook("URL", css::uno::Any(url));
        read->execute(Sequence<NamedValue>(&workbook, 1)) >>= answer;
        return answer;
    });
}

} // namespace

data::Workbook readWorkbook(Application& application, const QString& path)
{
    auto* officeApplication = dynamic_cast<OfficeApplication*>(&application);
    if (!officeApplication)
        throw Failure(QStringLiteral("Only sessions of the office engine read spreadsheets."));
    // Without its spreadsheet program the office opens no spreadsheet, and says
    // only that it could not.
    const QString program = findOfficeProgram();
    if (!program.isEmpty() &&
        !QFileInfo::exists(QFileInfo(program).absolutePath() + QStringLiteral("/libsclo.so")))
        throw Failure(QStringLiteral("Reading %1 needs LibreOffice Calc, which is not installed "
                                     "(sudo apt-get install libreoffice-calc); or save the table "
                                     "as CSV.")
                          .arg(path));
    const QString absolute = QFileInfo(path).absoluteFilePath();
    const auto answer = askOffice(officeApplication->session(), fileUrl(absolute));
    const QString unreadable = toQString(valueIn<rtl::OUString>(answer, "Unreadable"));
    if (unreadable == QLatin1String("Password"))
        throw Failure(QStringLiteral("%1 is protected by a password; save a copy without the "
                                     "password and read that.")
                          .arg(absolute));
    if (!unreadable.isEmpty())
        throw Failure(QStringLiteral("%1 is not a spreadsheet.").arg(absolute));
    return workbookOf(answer);
}

} // namespace statusmill::automation
