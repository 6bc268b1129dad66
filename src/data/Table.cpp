#include "Table.h"

#include "TextEncoding.h"
#include "core/FileHelpers.h"

#include <QFileInfo>

#include <csv.h>

#include <memory>

namespace statusmill::data {
namespace {

// Larger is not a project list: a table is read into memory whole.
constexpr qint64 kLargestTable = 64 * 1024 * 1024;

// Only the space is trimmed around a cell: a tab is a delimiter in .tsv.
int isSpace(unsigned char c)
{
    return c == CSV_SPACE;
}

// What the parser hands over, cell by cell and row by row, with the line each row
// starts on: the text is given a line at a time, and a row starts on the first
// line that is not blank after the row before it ended. A row of empty cells is
// no row, as in a spreadsheet. A cell that is no text (not UTF-8, or holding a NUL
// byte) refuses the whole table: it would fill reports and names with something
// other than what the file holds, and a file like that is seldom wrong in one
// place only.
struct Reading
{
    QString path;
    Table table;
    QStringList cells;
    int line = 0;
    int rowStart = 0;
    bool rowOpen = false;
    bool headerRead = false;
    // What a callback of libcsv threw, which may not cross it; thrown again after.
    std::exception_ptr failed;

    void addCell(QByteArrayView bytes)
    {
        const qsizetype invalid = firstInvalidUtf8(bytes);
        const qsizetype nul = bytes.indexOf('\0');
        if (invalid >= 0 || nul >= 0) {
            const qsizetype at = invalid >= 0 ? invalid : nul;
            // A quoted cell may span lines: the line of the byte itself.
            const int where = line - int(bytes.sliced(at).count('\n'));
            throw Failure(QStringLiteral("%1, line %2, column %3: %4; no report is made of the table")
                              .arg(path)
                              .arg(where)
                              .arg(cells.size() + 1)
                              .arg(invalid >= 0 ? QStringLiteral("not UTF-8 text (save the table as UTF-8)")
                                                : QStringLiteral("a NUL byte, which is no text")));
        }
        cells << QString::fromUtf8(bytes);
    }

    void endRow()
    {
        const bool empty = std::all_of(cells.begin(), cells.end(),
                                       [](const QString& cell) { return cell.isEmpty(); });
        if (empty) {
            // Skipped.
        } else if (!headerRead) {
            table.header = cells;
            headerRead = true;
        } else {
            table.rows.append({rowStart, cells});
        }
        cells.clear();
        rowOpen = false;
    }

    static void cell(void* text, size_t length, void* self)
    {
        auto* reading = static_cast<Reading*>(self);
        if (reading->failed)
            return;
        try {
            reading->addCell(QByteArrayView(static_cast<const char*>(text), qsizetype(length)));
        } catch (...) {
            reading->failed = std::current_exception();
        }
    }

    static void rowEnd(int, void* self)
    {
        auto* reading = static_cast<Reading*>(self);
        if (!reading->failed)
            reading->endRow();
    }
};

// Tab-separated values have no quoting: a line is a row, a tab ends a cell, and a
// quote is a character like any other.
void readTabSeparated(const QByteArray& text, Reading& reading)
{
    for (qsizetype at = 0; at < text.size();) {
        const qsizetype end = text.indexOf('\n', at);
        qsizetype next = end < 0 ? text.size() : end + 1;
        QByteArrayView line(text.constData() + at, (end < 0 ? text.size() : end) - at);
        if (line.endsWith('\r'))
            line.chop(1);
        ++reading.line;
        reading.rowStart = reading.line;
        for (qsizetype from = 0;;) {
            const qsizetype tab = line.indexOf('\t', from);
            reading.addCell(line.sliced(from, (tab < 0 ? line.size() : tab) - from));
            if (tab < 0)
                break;
            from = tab + 1;
        }
        reading.endRow();
        at = next;
    }
}

void readCommaSeparated(const QByteArray& text, Reading& reading)
{
    csv_parser parser;
    if (csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI) != 0)
        throw Failure(QStringLiteral("Cannot read %1: out of memory").arg(reading.path));
    const auto freeParser = std::unique_ptr<csv_parser, void (*)(csv_parser*)>(&parser, csv_free);
    csv_set_space_func(&parser, isSpace);

    for (qsizetype at = 0; at < text.size();) {
        const qsizetype end = text.indexOf('\n', at);
        const qsizetype next = end < 0 ? text.size() : end + 1;
        ++reading.line;
        if (!reading.rowOpen && !QByteArrayView(text.constData() + at, next - at).trimmed().isEmpty()) {
            reading.rowStart = reading.line;
            reading.rowOpen = true;
        }
        const size_t parsed = csv_parse(&parser, text.constData() + at, size_t(next - at),
                                        Reading::cell, Reading::rowEnd, &reading);
        if (reading.failed)
            std::rethrow_exception(reading.failed);
        if (parsed != size_t(next - at))
            throw Failure(QStringLiteral("%1, line %2: %3")
                              .arg(reading.path)
                              .arg(reading.line)
                              .arg(QString::fromLatin1(csv_strerror(csv_error(&parser)))));
        at = next;
    }
    if (csv_fini(&parser, Reading::cell, Reading::rowEnd, &reading) != 0)
        throw Failure(QStringLiteral("%1, line %2: a quoted cell is not closed")
                          .arg(reading.path)
                          .arg(reading.line));
    if (reading.failed)
        std::rethrow_exception(reading.failed);
}

} // namespace

bool isSpreadsheetName(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("ods") || suffix == QLatin1String("xlsx") ||
           suffix == QLatin1String("xls");
}

QList<QStringList> readCsvRecords(const QString& path)
{
    struct Records
    {
        QList<QStringList> records;
        QStringList cells;
        static void cell(void* text, size_t length, void* self)
        {
            static_cast<Records*>(self)->cells << QString::fromUtf8(static_cast<const char*>(text),
                                                                    qsizetype(length));
        }
        static void end(int, void* self)
        {
            auto* records = static_cast<Records*>(self);
            records->records << std::exchange(records->cells, {});
        }
    } read;
    const QByteArray text = readRegularFile(path, kLargestTable);
    csv_parser parser;
    // Every line break outside a record is an empty record: a row of one empty cell.
    if (csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI | CSV_REPALL_NL) != 0)
        throw Failure(QStringLiteral("Cannot read %1: out of memory").arg(path));
    const auto freeParser = std::unique_ptr<csv_parser, void (*)(csv_parser*)>(&parser, csv_free);
    csv_set_space_func(&parser, [](unsigned char) { return 0; });
    if (csv_parse(&parser, text.constData(), size_t(text.size()), Records::cell, Records::end, &read) !=
            size_t(text.size()) ||
        csv_fini(&parser, Records::cell, Records::end, &read) != 0)
        throw Failure(QStringLiteral("Cannot read %1: %2")
                          .arg(path, QString::fromLatin1(csv_strerror(csv_error(&parser)))));
    return read.records;
}

Table tableOfSheet(const Sheet& sheet)
{
    Table table;
    qsizetype width = 0;
    for (const TableRow& row : sheet.rows) {
        if (std::all_of(row.cells.begin(), row.cells.end(), [](const QString& cell) { return cell.isEmpty(); }))
            continue;
        width = std::max(width, row.cells.size());
        if (table.header.isEmpty())
            table.header = row.cells;
        else
            table.rows.append(row);
    }
    // The empty cells at a row's end are left off, the header's too: every row is
    // made as wide as the widest, so that a note typed right of the header stands
    // in a column of its own, one with no name.
    table.header.resize(width);
    for (TableRow& row : table.rows)
        row.cells.resize(width);
    return table;
}

Table readDelimitedTable(const QString& path)
{
    QByteArray text = readRegularFile(path, kLargestTable);
    if (const auto kind = utf16Kind(text))
        throw Failure(QStringLiteral("%1, line 1: UTF-16 text (%2); save the table as UTF-8")
                          .arg(path, *kind));
    if (text.startsWith("\xEF\xBB\xBF"))
        text.remove(0, 3);

    Reading reading;
    reading.path = path;
    if (QFileInfo(path).suffix().compare(QLatin1String("tsv"), Qt::CaseInsensitive) == 0)
        readTabSeparated(text, reading);
    else
        readCommaSeparated(text, reading);
    return std::move(reading.table);
}

} // namespace statusmill::data
