#include "generate/TemplateSurvey.h"

#include "DocumentReplace.h"
#include "DocumentStories.h"
#include "OfficeApplication.h"
#include "OfficeDocument.h"
#include "OfficeLocation.h"
#include "TextReplacer.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>

#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/sheet/XSheetCellCursor.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XUsedAreaCursor.hpp>
#include <com/sun/star/table/XCellRange.hpp>
#include <com/sun/star/util/XCloseable.hpp>

namespace statusmill::automation {

using namespace office;
using namespace statusmill::uno;

namespace {

// "[" and "]" around a short name on one line, no brackets inside.
const QRegularExpression kBracketed(QStringLiteral("\\[[^\\[\\]\\r\\n]{1,80}\\]"));

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

// The bracketed texts of one paragraph; where its runs of formatting meet,
// from its text portions.
void surveyParagraph(const Reference<css::text::XTextRange>& paragraph, Story story,
                     const KeepAlive& keep, QList<PlaceholderSeen>& seen)
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
    for (auto match = kBracketed.globalMatch(text); match.hasNext();) {
        const auto found = match.next();
        const bool split = std::any_of(boundaries.begin(), boundaries.end(), [&](qsizetype at) {
            return at > found.capturedStart() && at < found.capturedEnd();
        });
        seen.append({found.captured(), story, split});
    }
}

void surveyText(const Reference<css::text::XText>& text, Story story, const KeepAlive& keep,
                QList<PlaceholderSeen>& seen)
{
    for (const auto& paragraph : paragraphsOf(text, keep))
        surveyParagraph(paragraph, story, keep, seen);
}

} // namespace

QList<PlaceholderSeen> surveyPlaceholders(Document& document)
{
    auto* office = dynamic_cast<OfficeDocument*>(&document);
    if (!office)
        throw Failure(QStringLiteral("Only documents of the office engine can be surveyed."));
    const auto component = office->component();
    const auto keep = office->keeper();
    QList<PlaceholderSeen> seen;
    office->session().call([&] {
        for (const auto& [kind, text] : writerStories(component, keep))
            surveyText(text, storyOf(kind), keep, seen);
        for (const auto& text : drawingShapeTexts(component, keep))
            surveyText(text, Story::Shapes, keep, seen);
        for (const auto& comment : commentFields(component, keep))
            for (auto match = kBracketed.globalMatch(commentText(comment)); match.hasNext();)
                seen.append({match.next().captured(), Story::Comments, false});
    });
    return seen;
}

QList<QStringList> readSpreadsheet(Application& application, const QString& path)
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
    QList<QStringList> rows;
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
        Reference<css::container::XIndexAccess> sheets(spreadsheet->getSheets(), UNO_QUERY_THROW);
        if (sheets->getCount() == 0)
            return;
        Reference<css::sheet::XSpreadsheet> sheet(sheets->getByIndex(0), UNO_QUERY_THROW);
        const auto cursor = sheet->createCursor();
        Reference<css::sheet::XUsedAreaCursor>(cursor, UNO_QUERY_THROW)->gotoEndOfUsedArea(false);
        const auto end =
            Reference<css::sheet::XCellRangeAddressable>(cursor, UNO_QUERY_THROW)->getRangeAddress();
        const auto area = Reference<css::sheet::XCellRangeData>(
            sheet->getCellRangeByPosition(0, 0, end.EndColumn, end.EndRow), UNO_QUERY_THROW);
        for (const auto& cells : area->getDataArray()) {
            QStringList row;
            for (const css::uno::Any& cell : cells) {
                rtl::OUString text;
                double number = 0;
                if (cell >>= text)
                    row << toQString(text);
                else if (cell >>= number)
                    row << QString::number(number, 'g', 15);
                else
                    row << QString();
            }
            rows << row;
        }
    });
    return rows;
}

} // namespace statusmill::automation
