#include "Table.h"

#include "core/FileHelpers.h"

#include <QFileInfo>

#include <csv.h>

#include <memory>

namespace statusmill::cli {
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
// line that is not blank after the row before it ended.
struct Reading
{
    Table table;
    QStringList cells;
    int line = 0;
    int rowStart = 0;
    bool rowOpen = false;
    bool headerRead = false;

    static void cell(void* text, size_t length, void* self)
    {
        auto* reading = static_cast<Reading*>(self);
        reading->cells << QString::fromUtf8(static_cast<const char*>(text), qsizetype(length));
    }

    static void rowEnd(int, void* self)
    {
        auto* reading = static_cast<Reading*>(self);
        if (!reading->headerRead) {
            reading->table.header = reading->cells;
            reading->headerRead = true;
        } else {
            reading->table.rows.append({reading->rowStart, reading->cells});
        }
        reading->cells.clear();
        reading->rowOpen = false;
    }
};

} // namespace

bool isSpreadsheetName(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("ods") || suffix == QLatin1String("xlsx") ||
           suffix == QLatin1String("xls");
}

Table readDelimitedTable(const QString& path)
{
    QByteArray text = readRegularFile(path, kLargestTable);
    if (text.startsWith("\xEF\xBB\xBF"))
        text.remove(0, 3);

    csv_parser parser;
    if (csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI) != 0)
        throw Failure(QStringLiteral("Cannot read %1: out of memory").arg(path));
    const auto freeParser = std::unique_ptr<csv_parser, void (*)(csv_parser*)>(&parser, csv_free);
    csv_set_space_func(&parser, isSpace);
    if (QFileInfo(path).suffix().compare(QLatin1String("tsv"), Qt::CaseInsensitive) == 0)
        csv_set_delim(&parser, CSV_TAB);

    Reading reading;
    for (qsizetype at = 0; at < text.size();) {
        const qsizetype end = text.indexOf('\n', at);
        const qsizetype next = end < 0 ? text.size() : end + 1;
        ++reading.line;
        if (!reading.rowOpen && !QByteArrayView(text.constData() + at, next - at).trimmed().isEmpty()) {
            reading.rowStart = reading.line;
            reading.rowOpen = true;
        }
        if (csv_parse(&parser, text.constData() + at, size_t(next - at), Reading::cell,
                      Reading::rowEnd, &reading) != size_t(next - at))
            throw Failure(QStringLiteral("%1, line %2: %3")
                              .arg(path)
                              .arg(reading.line)
                              .arg(QString::fromLatin1(csv_strerror(csv_error(&parser)))));
        at = next;
    }
    if (csv_fini(&parser, Reading::cell, Reading::rowEnd, &reading) != 0)
        throw Failure(QStringLiteral("%1, line %2: a quoted cell is not closed")
                          .arg(path)
                          .arg(reading.line));
    if (!reading.headerRead)
        throw Failure(QStringLiteral("%1 holds no header row naming the columns").arg(path));
    return std::move(reading.table);
}

} // namespace statusmill::cli
