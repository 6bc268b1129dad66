#include "generate/TemplateSurvey.h"

#include "DocumentReplace.h"
#include "DocumentStories.h"
#include "OfficeApplication.h"
#include "OfficeDocument.h"
#include "OfficeLocation.h"
#include "TextReplacer.h"
#include "core/WorkFolder.h"
#include "data/Placeholders.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/io/IOException.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/sheet/XSheetCellCursor.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XUsedAreaCursor.hpp>
#include <com/sun/star/table/XCellRange.hpp>
#include <com/sun/star/text/XTextTable.hpp>
#include <com/sun/star/util/XCloseable.hpp>

namespace statusmill::automation {

using namespace office;
using namespace statusmill::uno;

namespace {

Story storyOf(StoryKind kind)
{
    switch (kind) {
    case StoryKind::MainText:
        return Story::MainText;
    case StoryKind::HeadersAndFooters:
        return Story::HeadersAndFooters;
    case StoryKind::Notes:
        return Story::Notes;
    case StoryKind::Frames:
        break;
    }
    return Story::Frames;
}

// The row a table cell's name gives ("B12": 12; "A3.1.2", a part of a split cell: 3).
int rowOfCellName(QStringView name)
{
    qsizetype at = 0;
    while (at < name.size() && name[at].isLetter())
        ++at;
    qsizetype end = at;
    while (end < name.size() && name[end].isDigit())
        ++end;
    return name.sliced(at, end - at).toInt();
}

struct Survey
{
    const KeepAlive& keep;
    QList<PlaceholderSeen>& seen;
    int holders = 0;

    void addFound(const QString& text, const QList<qsizetype>& boundaries, Story story,
                  Holder holder, int holderNumber)
    {
        for (const data::PlaceholderAt& found : data::placeholdersIn(text)) {
            const qsizetype end = found.start + found.length;
            const bool split = std::any_of(boundaries.begin(), boundaries.end(), [&](qsizetype at) {
                return at > found.start && at < end;
            });
            seen.append({text.mid(found.start, found.length), story, split, holder, holderNumber});
        }
    }

    // The placeholders of one paragraph; where its runs of formatting meet, from
    // its text portions.
    void paragraph(const Reference<css::text::XTextRange>& paragraph, Story story, Holder holder,
                   int holderNumber)
    {
        QString text;
        QList<qsizetype> boundaries;
        Reference<css::container::XEnumerationAccess> portions(paragraph, UNO_QUERY);
        keep(css::uno::Any(portions));
        if (portions.is()) {
            const auto items = portions->createEnumeration();
            keep(css::uno::Any(items));
            while (items->hasMoreElements()) {
                const css::uno::Any item = items->nextElement();
                keep(item);
                Reference<css::text::XTextRange> portion(item, UNO_QUERY);
                if (!text.isEmpty())
                    boundaries << text.size();
                if (portion.is())
                    text += toQString(portion->getString());
            }
        } else {
            text = toQString(paragraph->getString());
        }
        addFound(text, boundaries, story, holder, holderNumber);
    }

    // A text's paragraphs, each its own holder, unless the text is a table cell's,
    // whose row holds them all (`row`); a table inside a cell has rows of its own.
    void text(const Reference<css::text::XText>& text, Story story, int row = 0)
    {
        Reference<css::container::XEnumerationAccess> access(text, UNO_QUERY);
        keep(css::uno::Any(access));
        if (!access.is())
            return;
        const auto items = access->createEnumeration();
        keep(css::uno::Any(items));
        while (items->hasMoreElements()) {
            const css::uno::Any item = items->nextElement();
            keep(item);
            Reference<css::text::XTextTable> table(item, UNO_QUERY);
            keep(css::uno::Any(table));
            if (table.is()) {
                QHash<int, int> holderOfRow;
                for (const rtl::OUString& name : table->getCellNames()) {
                    int& holder = holderOfRow[rowOfCellName(toQString(name))];
                    if (holder == 0)
                        holder = ++holders;
                    const auto cell = table->getCellByName(name);
                    keep(css::uno::Any(cell));
                    Reference<css::text::XText> cellText(cell, UNO_QUERY);
                    keep(css::uno::Any(cellText));
                    this->text(cellText, story, holder);
                }
                continue;
            }
            Reference<css::text::XTextRange> range(item, UNO_QUERY);
            keep(css::uno::Any(range));
            if (range.is())
                paragraph(range, story, row > 0 ? Holder::TableRow : Holder::Paragraph,
                          row > 0 ? row : ++holders);
        }
    }
};

} // namespace

QList<PlaceholderSeen> surveyPlaceholders(Document& document)
{
    auto* office = dynamic_cast<OfficeDocument*>(&document);
    if (!office)
        throw Failure(QStringLiteral("Only documents of the office engine can be surveyed."));
    const auto component = office->component();
    const auto keep = office->keeper();
    QList<PlaceholderSeen> seen;
    Survey survey{keep, seen};
    office->session().call([&] {
        for (const auto& [kind, text] : writerStories(component, keep))
            survey.text(text, storyOf(kind));
        for (const auto& text : drawingShapeTexts(component, keep))
            survey.text(text, Story::Shapes);
        for (const auto& comment : commentFields(component, keep))
            survey.addFound(commentText(comment), {}, Story::Comments, Holder::Paragraph,
                            ++survey.holders);
    });
    return seen;
}

namespace {

// The cells of the workbook's sheet `index` as the sheet shows them, written out
// by the office in one call: a cell's text costs three calls into the office, some
// 0.75 ms (a sheet of a thousand numbers three quarters of a second), the whole
// sheet written out a few milliseconds. Row N of the sheet is record N, from
// column A. Nothing when it cannot be written.
QList<QStringList> shownCells(const Reference<css::frame::XStorable>& workbook, sal_Int32 index)
{
    const QTemporaryDir folder(WorkFolder::file(QStringLiteral("sheet-XXXXXX")));
    if (!folder.isValid())
        return {};
    // Comma, double quote, UTF-8, from line 1, cells as shown, no formulas, this sheet.
    const QString options = QStringLiteral("44,34,76,1,,0,false,true,true,false,false,%1").arg(index + 1);
    try {
        workbook->storeToURL(fileUrl(folder.filePath(QStringLiteral("sheet.csv"))),
                             properties({{"FilterName", css::uno::Any(rtl::OUString("Text - txt - csv (StarCalc)"))},
                                         {"FilterOptions", css::uno::Any(toOUString(options))}}));
        // The office adds the sheet's name to the file's.
        const QStringList written = QDir(folder.path()).entryList(QDir::Files);
        return written.size() == 1 ? data::readCsvRecords(folder.filePath(written.constFirst()))
                                   : QList<QStringList>();
    } catch (const css::io::IOException&) {
    } catch (const Failure&) {
    }
    return {};
}

// One sheet's cells down to the last row and column in use, as the sheet shows
// them. Text comes whole from one call; a number is shown in the cell's own
// format (currency, a date, a percentage), which only the cell's text gives.
data::Sheet readSheet(const Reference<css::frame::XStorable>& workbook,
                      const Reference<css::sheet::XSpreadsheet>& sheet, sal_Int32 index)
{
    data::Sheet read;
    read.name = toQString(Reference<css::container::XNamed>(sheet, UNO_QUERY_THROW)->getName());
    const auto cursor = sheet->createCursor();
    Reference<css::sheet::XUsedAreaCursor>(cursor, UNO_QUERY_THROW)->gotoEndOfUsedArea(false);
    const auto end =
        Reference<css::sheet::XCellRangeAddressable>(cursor, UNO_QUERY_THROW)->getRangeAddress();
    const auto area = Reference<css::sheet::XCellRangeData>(
        sheet->getCellRangeByPosition(0, 0, end.EndColumn, end.EndRow), UNO_QUERY_THROW);
    const auto data = area->getDataArray();
    std::optional<QList<QStringList>> shown;
    for (sal_Int32 row = 0; row < data.getLength(); ++row) {
        QStringList cells;
        for (sal_Int32 column = 0; column < data[row].getLength(); ++column) {
            const css::uno::Any& cell = data[row][column];
            rtl::OUString text;
            if (cell >>= text) {
                cells << toQString(text);
            } else if (cell.getValueTypeClass() == css::uno::TypeClass_DOUBLE) {
                if (!shown)
                    shown = shownCells(workbook, index);
                if (row < shown->size() && column < shown->at(row).size()) {
                    cells << shown->at(row).at(column);
                } else {
                    Reference<css::text::XTextRange> cellText(sheet->getCellByPosition(column, row),
                                                              UNO_QUERY_THROW);
                    cells << toQString(cellText->getString());
                }
            } else {
                cells << QString();
            }
        }
        while (!cells.isEmpty() && cells.constLast().isEmpty())
            cells.removeLast();
        if (!cells.isEmpty())
            read.rows.append({int(row + 1), cells});
    }
    return read;
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
    if (!program.isEmpty() && !QFileInfo::exists(QFileInfo(program).absolutePath() +
                                                 QStringLiteral("/libsclo.so")))
        throw Failure(QStringLiteral("Reading %1 needs LibreOffice Calc, which is not installed "
                                     "(sudo apt-get install libreoffice-calc); or save the table "
                                     "as CSV.")
                          .arg(path));
    OfficeSession& session = officeApplication->session();
    const QString absolute = QFileInfo(path).absoluteFilePath();
    data::Workbook workbook;
    QList<data::Sheet>& sheets = workbook.sheets;
    session.call([&] {
        Reference<css::frame::XComponentLoader> loader(session.desktop(), UNO_QUERY_THROW);
        const auto loaded = loader->loadComponentFromURL(
            fileUrl(absolute), "_blank", 0,
            properties({{"Hidden", css::uno::Any(true)},
                        {"ReadOnly", css::uno::Any(true)},
                        {"MacroExecutionMode",
                         css::uno::Any(css::document::MacroExecMode::NEVER_EXECUTE)}}));
        const auto close = qScopeGuard([&]() noexcept {
            try {
                Reference<css::util::XCloseable> closeable(loaded, UNO_QUERY);
                if (closeable.is())
                    closeable->close(true);
            } catch (const css::uno::Exception&) {
                // An office that died meanwhile took the document with it.
            }
        });
        Reference<css::sheet::XSpreadsheetDocument> spreadsheet(loaded, UNO_QUERY);
        if (!spreadsheet.is())
            throw Failure(QStringLiteral("%1 is not a spreadsheet.").arg(absolute));
        const Reference<css::frame::XStorable> workbook(loaded, UNO_QUERY_THROW);
        Reference<css::container::XIndexAccess> all(spreadsheet->getSheets(), UNO_QUERY_THROW);
        for (sal_Int32 index = 0; index < all->getCount(); ++index)
            sheets << readSheet(workbook,
                                Reference<css::sheet::XSpreadsheet>(all->getByIndex(index), UNO_QUERY_THROW),
                                index);
    });
    return workbook;
}

} // namespace statusmill::automation
